#pragma once

#include <QString>
#include <optional>
#include <vector>

namespace quill {

// One attribute type and value of a relative distinguished name, the value
// unescaped.
struct RdnPart {
  QString type;
  QString value;
};

// A relative distinguished name: one or more parts joined by "+".
using Rdn = std::vector<RdnPart>;

// Escapes a value for use inside a DN (RFC 4514): , + " \ < > ; are escaped
// with a backslash, as are a leading space or "#", a trailing space, and NUL
// (as \00). Every other character, non-ASCII included, stays as it is.
QString escapeDnValue(const QString& value);

// Escapes a value for use inside an LDAP search filter (RFC 4515):
// * ( ) \ and NUL become \2a \28 \29 \5c \00.
QString escapeFilterValue(const QString& value);

// Parses a DN string into its RDNs, most specific first. Accepts the RFC 4514
// escapes (\, \xx hex pairs, including multi-byte UTF-8 sequences) and
// "#hex" values. Returns nullopt for a malformed DN. The empty DN parses to
// an empty list.
std::optional<std::vector<Rdn>> parseDn(const QString& dn);

// Builds the escaped DN text of rdns (the inverse of parseDn).
QString formatDn(const std::vector<Rdn>& rdns);
QString formatRdn(const Rdn& rdn);

// A DN in a form that compares equal for equal names: types and values
// case-folded, escapes resolved and re-applied. Returns empty for a DN that
// does not parse.
QString normalizeDn(const QString& dn);
// The normalized text of one RDN; normalizeDn joins these with ",". Parts of a
// multi-valued RDN are sorted, so their order does not matter.
QString normalizeRdn(const Rdn& rdn);

// The parent DN of dn (everything after the first RDN); empty for a
// one-RDN DN or a DN that does not parse.
QString parentDn(const QString& dn);

// dn as written without the blanks before it and after its last significant
// character; an escaped blank stays. Empty for a DN that does not parse.
QString dnText(const QString& dn);

// The first RDN of dn as text, escaped as in the DN ("OU=Sales").
QString firstRdnText(const QString& dn);

}  // namespace quill
