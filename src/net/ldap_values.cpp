#include "net/ldap_values.h"

#include <QUuid>

#include "core/dn.h"

namespace quill {

QByteArray unicodePwdValue(const QString& password) {
  QString quoted = u'"' + password + u'"';
  QByteArray value(quoted.size() * 2, Qt::Uninitialized);
  for (qsizetype i = 0; i < quoted.size(); ++i) {
    const char16_t unit = quoted.at(i).unicode();
    value[2 * i] = static_cast<char>(unit & 0xff);
    value[2 * i + 1] = static_cast<char>(unit >> 8);
  }
  // The quoted copy held the password too.
  volatile char16_t* p = reinterpret_cast<char16_t*>(quoted.data());
  for (qsizetype i = 0; i < quoted.size(); ++i) p[i] = 0;
  return value;
}

QString simpleBindName(const QString& user, const QString& domain) {
  if (domain.isEmpty() || user.contains(u'@') || user.contains(u'\\')) return user;
  if (domain.contains(u'.')) return user + u'@' + domain;
  return domain + u'\\' + user;
}

QString accountFilter(const QString& name) {
  const QString value = escapeFilterValue(name);
  return QStringLiteral("(|(sAMAccountName=%1)(sAMAccountName=%1$))").arg(value);
}

QString guidText(const QByteArray& value) {
  if (value.size() != 16) return {};
  const auto* b = reinterpret_cast<const uchar*>(value.constData());
  const QUuid uuid(static_cast<uint>(b[0] | b[1] << 8 | b[2] << 16 | static_cast<uint>(b[3]) << 24),
                   static_cast<ushort>(b[4] | b[5] << 8), static_cast<ushort>(b[6] | b[7] << 8),
                   b[8], b[9], b[10], b[11], b[12], b[13], b[14], b[15]);
  return uuid.toString(QUuid::WithBraces);
}

QByteArray guidBytes(const QString& text) {
  const QUuid uuid(text);
  if (uuid.isNull()) return {};
  QByteArray value(16, '\0');
  auto* b = reinterpret_cast<uchar*>(value.data());
  for (int i = 0; i < 4; ++i) b[i] = static_cast<uchar>(uuid.data1 >> (8 * i));
  for (int i = 0; i < 2; ++i) b[4 + i] = static_cast<uchar>(uuid.data2 >> (8 * i));
  for (int i = 0; i < 2; ++i) b[6 + i] = static_cast<uchar>(uuid.data3 >> (8 * i));
  for (int i = 0; i < 8; ++i) b[8 + i] = uuid.data4[i];
  return value;
}

QString escapeFilterBytes(const QByteArray& bytes) {
  QString out;
  for (const char c : bytes) {
    out += QStringLiteral("\\%1").arg(static_cast<uchar>(c), 2, 16, QLatin1Char('0'));
  }
  return out;
}

QString domainOfDn(const QString& dn) {
  const std::optional<std::vector<Rdn>> rdns = parseDn(dn);
  if (!rdns) return {};
  QStringList labels;
  for (const Rdn& rdn : *rdns) {
    if (rdn.size() == 1 && rdn.front().type.compare(u"DC", Qt::CaseInsensitive) == 0) {
      labels.append(rdn.front().value);
    }
  }
  return labels.join(u'.');
}

namespace {

bool isHostChar(QChar c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
         c == u'.' || c == u'-' || c == u'_';
}

bool isPort(const QString& text) {
  bool ok = false;
  const int port = text.toInt(&ok);
  return ok && port > 0 && port < 65536 && !text.startsWith(u'+');
}

}  // namespace

QString ldapServerUri(const QString& address, bool startTls) {
  QString host = address;
  QString port = startTls ? QStringLiteral("389") : QStringLiteral("636");
  bool isIpv6 = false;
  if (host.startsWith(u'[')) {
    const qsizetype close = host.indexOf(u']');
    if (close < 0) return {};
    const QString rest = host.mid(close + 1);
    if (!rest.isEmpty()) {
      if (!rest.startsWith(u':') || !isPort(rest.mid(1))) return {};
      port = rest.mid(1);
    }
    host = host.mid(1, close - 1);
    isIpv6 = true;
  } else if (host.count(u':') > 1) {
    isIpv6 = true;
  } else if (host.count(u':') == 1) {
    const QString given = host.section(u':', 1);
    if (!isPort(given)) return {};
    port = given;
    host = host.section(u':', 0, 0);
  }
  if (host.isEmpty()) return {};
  for (QChar c : host) {
    const bool ok = isIpv6 ? (c.isDigit() || (c.toLower() >= u'a' && c.toLower() <= u'f') ||
                              c == u':' || c == u'.')
                           : isHostChar(c);
    if (!ok) return {};
  }
  const QString scheme = startTls ? QStringLiteral("ldap://") : QStringLiteral("ldaps://");
  return scheme + (isIpv6 ? u'[' + host + u']' : host) + u':' + port;
}

}  // namespace quill
