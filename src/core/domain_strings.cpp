#include "core/domain_strings.h"

namespace quill {

DomainStrings deriveDomainStrings(const QString& domainText) {
  DomainStrings strings;
  strings.DomainFqdn = domainText;
  QString suffix = domainText;
  suffix.replace(QLatin1Char('.'), QStringLiteral(",DC="));
  strings.DomainDnSuffix = QStringLiteral(",DC=") + suffix;
  strings.LdapPrefix = QStringLiteral("LDAP://") + domainText + QLatin1Char('/');
  return strings;
}

}  // namespace quill
