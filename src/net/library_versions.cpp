#include "net/library_versions.h"

#include <ldap.h>
#include <libsmbclient.h>

namespace quill {

QString ldapLibraryVersion() {
  LDAPAPIInfo info{};
  info.ldapai_info_version = LDAP_API_INFO_VERSION;
  if (ldap_get_option(nullptr, LDAP_OPT_API_INFO, &info) != LDAP_OPT_SUCCESS) return QString();
  // The vendor version is major * 10000 + minor * 100 + patch.
  const int v = info.ldapai_vendor_version;
  const QString text = QStringLiteral("%1.%2.%3").arg(v / 10000).arg(v / 100 % 100).arg(v % 100);
  ldap_memfree(info.ldapai_vendor_name);
  ldap_memvfree(reinterpret_cast<void**>(info.ldapai_extensions));
  return text;
}

QString smbclientLibraryVersion() {
  const char* version = smbc_version();
  return version == nullptr ? QString() : QString::fromUtf8(version);
}

}  // namespace quill
