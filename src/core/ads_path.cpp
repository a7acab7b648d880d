#include "core/ads_path.h"

namespace quill {

namespace {

// Host names, IPv4 and bracketed IPv6 addresses, with an optional port.
bool isHostText(const QString& host) {
  if (host.isEmpty()) return false;
  for (QChar c : host) {
    const bool ok = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
                    (c >= u'0' && c <= u'9') || c == u'-' || c == u'.' || c == u'_' || c == u':' ||
                    c == u'[' || c == u']';
    if (!ok) return false;
  }
  return true;
}

}  // namespace

AdsPath parseAdsPath(const QString& path) {
  static constexpr QLatin1StringView kPrefix("LDAP://");
  AdsPath result;
  if (!path.startsWith(kPrefix, Qt::CaseInsensitive)) return result;
  const QString rest = path.mid(kPrefix.size());
  if (rest.isEmpty()) return result;

  const qsizetype slash = rest.indexOf(u'/');
  const QString head = slash < 0 ? rest : rest.left(slash);
  if (head.contains(u'=')) {
    // A DN may itself contain "/", so everything after the prefix is the DN.
    result.dn = rest;
  } else {
    result.host = head;
    if (slash >= 0) result.dn = rest.mid(slash + 1);
    if (!isHostText(result.host)) return result;
  }
  result.valid = true;
  return result;
}

QString makeAdsPath(const QString& host, const QString& dn) {
  QString path = QStringLiteral("LDAP://");
  if (host.isEmpty()) return path + dn;
  path += host;
  if (!dn.isEmpty()) path += u'/' + dn;
  return path;
}

}  // namespace quill
