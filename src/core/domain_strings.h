#pragma once

#include <QString>

namespace quill {

// The three strings every directory path of a run is built from.
struct DomainStrings {
  QString DomainFqdn;      // the domain as typed
  QString DomainDnSuffix;  // ",DC=x,DC=y" for x.y
  QString LdapPrefix;      // "LDAP://x.y/"
};

// Derives the strings from the text of the domain box. The text is used as
// typed: every "." becomes ",DC=" (exact replacement), nothing is escaped.
DomainStrings deriveDomainStrings(const QString& domainText);

}  // namespace quill
