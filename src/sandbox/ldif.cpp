#include "sandbox/ldif.h"

namespace quill {

namespace {

bool isAsciiAlnum(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// An attribute description: a type (letters, digits, "-", or a dotted OID)
// with optional ";option" parts.
bool isAttributeDescription(QByteArrayView name) {
  if (name.isEmpty()) return false;
  bool partStart = true;
  for (char c : name) {
    if (c == ';') {
      if (partStart) return false;
      partStart = true;
      continue;
    }
    if (!isAsciiAlnum(c) && c != '-' && c != '.') return false;
    partStart = false;
  }
  return !partStart;
}

std::optional<QString> decodeUtf8(const QByteArray& bytes) {
  QString text = QString::fromUtf8(bytes);
  if (text.toUtf8() != bytes) return std::nullopt;
  return text;
}

QString lineError(int line, const QString& what) {
  return QStringLiteral("line %1: %2").arg(line).arg(what);
}

// A logical line (folded lines joined) and where it began.
struct LogicalLine {
  QByteArray text;
  int number = 0;
  bool blank = false;
};

// Splits text into logical lines. Comment lines (and their continuations) are
// dropped; a blank line is kept as a record separator.
std::optional<std::vector<LogicalLine>> unfold(const QByteArray& text, QString* error) {
  std::vector<LogicalLine> lines;
  bool inComment = false;
  int number = 0;
  qsizetype pos = 0;
  while (pos < text.size()) {
    qsizetype eol = text.indexOf('\n', pos);
    if (eol < 0) eol = text.size();
    QByteArray line = text.mid(pos, eol - pos);
    pos = eol + 1;
    ++number;
    if (line.endsWith('\r')) line.chop(1);
    if (line.contains('\0') || line.contains('\r')) {
      *error = lineError(number, QStringLiteral("stray control character"));
      return std::nullopt;
    }
    if (line.startsWith(' ')) {
      if (inComment) continue;
      if (lines.empty() || lines.back().blank) {
        *error = lineError(number, QStringLiteral("continuation line without a line to continue"));
        return std::nullopt;
      }
      lines.back().text += QByteArrayView(line).sliced(1);
      continue;
    }
    inComment = line.startsWith('#');
    if (inComment) continue;
    lines.push_back(LogicalLine{line, number, line.isEmpty()});
  }
  return lines;
}

// Splits "name: value", "name:: base64". Fails on a URL value or bad bytes.
bool splitLine(const LogicalLine& line, QByteArray& name, QString& value, QString* error) {
  const QByteArray& text = line.text;
  const qsizetype colon = text.indexOf(':');
  if (colon < 0) {
    *error = lineError(line.number, QStringLiteral("missing \":\""));
    return false;
  }
  name = text.left(colon);
  if (!isAttributeDescription(name)) {
    *error = lineError(line.number, QStringLiteral("bad attribute name"));
    return false;
  }
  qsizetype pos = colon + 1;
  const bool base64 = pos < text.size() && text[pos] == ':';
  if (pos < text.size() && text[pos] == '<') {
    *error = lineError(line.number, QStringLiteral("URL values are not supported"));
    return false;
  }
  if (base64) ++pos;
  while (pos < text.size() && text[pos] == ' ') ++pos;
  QByteArray raw = text.mid(pos);
  if (base64) {
    QByteArray::FromBase64Result decoded =
        QByteArray::fromBase64Encoding(raw, QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded) {
      *error = lineError(line.number, QStringLiteral("bad base64 value"));
      return false;
    }
    raw = std::move(*decoded);
  }
  std::optional<QString> decoded = decodeUtf8(raw);
  if (!decoded) {
    *error = lineError(line.number, QStringLiteral("value is not UTF-8 text"));
    return false;
  }
  value = std::move(*decoded);
  return true;
}

}  // namespace

std::optional<std::vector<LdifRecord>> parseLdif(const QByteArray& text, QString* error) {
  QString ignored;
  if (error == nullptr) error = &ignored;
  std::optional<std::vector<LogicalLine>> lines = unfold(text, error);
  if (!lines) return std::nullopt;

  std::vector<LdifRecord> records;
  bool inRecord = false;
  bool first = true;
  for (const LogicalLine& line : *lines) {
    if (line.blank) {
      inRecord = false;
      continue;
    }
    QByteArray name;
    QString value;
    if (!splitLine(line, name, value, error)) return std::nullopt;
    const QByteArray lowerName = name.toLower();
    if (first && !inRecord && lowerName == "version") {
      first = false;
      if (value != u"1") {
        *error = lineError(line.number, QStringLiteral("unsupported LDIF version"));
        return std::nullopt;
      }
      continue;
    }
    first = false;
    if (!inRecord) {
      if (lowerName != "dn") {
        *error = lineError(line.number, QStringLiteral("a record must begin with \"dn:\""));
        return std::nullopt;
      }
      records.push_back(LdifRecord{value, {}, line.number});
      inRecord = true;
      continue;
    }
    if (lowerName == "changetype" || lowerName == "control" || lowerName == "dn") {
      *error = lineError(line.number, QStringLiteral("only content records are supported"));
      return std::nullopt;
    }
    records.back().attributes.push_back(LdifAttribute{QString::fromLatin1(name), value});
  }
  return records;
}

bool isSafeLdifString(const QByteArray& utf8) {
  if (utf8.isEmpty()) return true;
  const char head = utf8.front();
  if (head == ' ' || head == ':' || head == '<' || utf8.back() == ' ') return false;
  for (char c : utf8) {
    const auto u = static_cast<unsigned char>(c);
    if (u == 0 || u == '\n' || u == '\r' || u >= 0x80) return false;
  }
  return true;
}

void appendLdifLine(QByteArray& out, const QString& name, const QString& value) {
  const QByteArray utf8 = value.toUtf8();
  out += name.toLatin1();
  if (isSafeLdifString(utf8)) {
    out += ": ";
    out += utf8;
  } else {
    out += ":: ";
    out += utf8.toBase64();
  }
  out += '\n';
}

}  // namespace quill
