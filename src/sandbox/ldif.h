#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

namespace quill {

// One "name: value" line of an LDIF record, the value decoded.
struct LdifAttribute {
  QString name;
  QString value;
};

// One content record: its DN and attribute lines in file order.
struct LdifRecord {
  QString dn;
  std::vector<LdifAttribute> attributes;
  int line = 0;  // line number of the "dn:" line, for messages
};

// Reads LDIF content records: an optional "version: 1" first, "#" comment
// lines, folded lines (a continuation starts with one space), "::" base64
// values, records separated by blank lines, "dn:" first in each record.
// Values must be UTF-8 text. Change records and "<" URL values are refused.
// Returns nullopt with a reason naming the line in *error for malformed input.
std::optional<std::vector<LdifRecord>> parseLdif(const QByteArray& text, QString* error);

// Appends "name: value" plus a line end to out, or "name:: base64" when the
// value is not a SAFE-STRING (non-ASCII, control characters, a leading space,
// ":" or "<", a trailing space).
void appendLdifLine(QByteArray& out, const QString& name, const QString& value);

// True when utf8 may follow "name: " unencoded.
bool isSafeLdifString(const QByteArray& utf8);

}  // namespace quill
