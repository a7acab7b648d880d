#pragma once

#include <QString>

namespace quill {

// An ADSI path taken apart:
//   "LDAP://host"        -> host, empty dn (the domain root of host)
//   "LDAP://host/DN"     -> host, dn
//   "LDAP://DN"          -> empty host, dn (text before any "/" holds "=")
// "LDAP:" is matched without regard to case. valid is false for any other text.
struct AdsPath {
  bool valid = false;
  QString host;
  QString dn;
};

AdsPath parseAdsPath(const QString& path);

// "LDAP://" + host + "/" + dn, or "LDAP://" + dn without host, or
// "LDAP://" + host with an empty dn.
QString makeAdsPath(const QString& host, const QString& dn);

}  // namespace quill
