#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace quill {

// Values the network directory writes, kept apart from the connection code so
// they can be checked without a server.

// The value of unicodePwd for password: the password in double quotes,
// UTF-16LE, no terminator. The caller wipes the result after use.
QByteArray unicodePwdValue(const QString& password);

// The name a simple bind sends for user of domain: user@domain for a DNS
// domain ("quill.test") or when no domain is given (the name is used as it
// is then); DOMAIN\user for a NetBIOS domain ("QUILL"). A user that already
// holds "@" or "\" is used as given.
QString simpleBindName(const QString& user, const QString& domain);

// The filter that finds an account named name, or the computer name$:
// (|(sAMAccountName=name)(sAMAccountName=name$)), the name escaped.
QString accountFilter(const QString& name);

// An objectGUID value (16 bytes, the first three fields little-endian, as
// Active Directory stores them) as "{8-4-4-4-12}" text; empty when value is
// not 16 bytes. guidBytes is the inverse (empty for text that is no GUID).
QString guidText(const QByteArray& value);
QByteArray guidBytes(const QString& text);

// bytes as a filter value: every byte written \hh, so any binary value is
// matched exactly.
QString escapeFilterBytes(const QByteArray& bytes);

// The DNS domain named by the DC= parts of dn ("quill.test" for
// "OU=x,DC=quill,DC=test"); empty when dn has none.
QString domainOfDn(const QString& dn);

// The URI libldap connects to for address ("dc1.quill.test", "127.0.0.1",
// "host:port", an IPv6 literal with or without brackets): ldaps://address:636,
// or ldap://address:389 for StartTLS; a port given in address is kept.
// Empty when address is not a plain host name or address, so nothing a
// user typed can turn into a list of URIs or a path.
QString ldapServerUri(const QString& address, bool startTls);

}  // namespace quill
