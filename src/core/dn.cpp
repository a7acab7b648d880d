#include "core/dn.h"

#include <QStringList>
#include <algorithm>

namespace quill {

namespace {

bool isAsciiLetter(QChar c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }
bool isAsciiDigit(QChar c) { return c >= u'0' && c <= u'9'; }

int hexValue(QChar c) {
  if (isAsciiDigit(c)) return c.unicode() - u'0';
  if (c >= u'a' && c <= u'f') return c.unicode() - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c.unicode() - u'A' + 10;
  return -1;
}

// Strict UTF-8: overlong forms, surrogates and cut sequences are refused.
std::optional<QString> decodeUtf8(const QByteArray& bytes) {
  QString text = QString::fromUtf8(bytes);
  if (text.toUtf8() != bytes) return std::nullopt;
  return text;
}

// The text of a "#" value: a BER-encoded string type with definite length.
std::optional<QString> decodeBerString(const QByteArray& ber) {
  if (ber.size() < 2) return std::nullopt;
  const auto tag = static_cast<unsigned char>(ber[0]);
  // OCTET STRING, UTF8String, PrintableString, TeletexString, IA5String, VisibleString
  if (tag != 0x04 && tag != 0x0C && tag != 0x13 && tag != 0x14 && tag != 0x16 && tag != 0x1A) {
    return std::nullopt;
  }
  qsizetype pos = 1;
  qsizetype length = static_cast<unsigned char>(ber[pos++]);
  if (length & 0x80) {
    const int count = static_cast<int>(length & 0x7F);
    if (count == 0 || count > 3 || pos + count > ber.size()) return std::nullopt;
    length = 0;
    for (int i = 0; i < count; ++i) length = (length << 8) | static_cast<unsigned char>(ber[pos++]);
  }
  if (pos + length != ber.size()) return std::nullopt;
  return decodeUtf8(ber.mid(pos));
}

// One RDN with the stretch of source text it came from (trailing blanks cut).
struct ParsedRdn {
  Rdn rdn;
  qsizetype begin = 0;
  qsizetype end = 0;
};

class DnParser {
 public:
  explicit DnParser(const QString& text) : m_s(text) {}

  std::optional<std::vector<ParsedRdn>> parse() {
    std::vector<ParsedRdn> result;
    skipSpaces();
    if (atEnd()) return result;
    for (;;) {
      ParsedRdn parsed;
      parsed.begin = m_i;
      for (;;) {
        skipSpaces();
        RdnPart part;
        if (!parseType(part.type)) return std::nullopt;
        skipSpaces();
        if (atEnd() || m_s[m_i] != u'=') return std::nullopt;
        ++m_i;
        skipSpaces();
        if (!parseValue(part.value, parsed.end)) return std::nullopt;
        parsed.rdn.push_back(std::move(part));
        if (!atEnd() && m_s[m_i] == u'+') {
          ++m_i;
          continue;
        }
        break;
      }
      result.push_back(std::move(parsed));
      if (atEnd()) return result;
      if (m_s[m_i] != u',') return std::nullopt;
      ++m_i;
      skipSpaces();
      if (atEnd()) return std::nullopt;  // a trailing comma
    }
  }

 private:
  bool atEnd() const { return m_i >= m_s.size(); }
  void skipSpaces() {
    while (!atEnd() && m_s[m_i] == u' ') ++m_i;
  }

  // descr (letter, then letters, digits, "-") or a numeric OID.
  bool parseType(QString& type) {
    const qsizetype start = m_i;
    if (atEnd()) return false;
    if (isAsciiLetter(m_s[m_i])) {
      while (!atEnd() && (isAsciiLetter(m_s[m_i]) || isAsciiDigit(m_s[m_i]) || m_s[m_i] == u'-')) {
        ++m_i;
      }
    } else if (isAsciiDigit(m_s[m_i])) {
      for (;;) {
        if (atEnd() || !isAsciiDigit(m_s[m_i])) return false;
        while (!atEnd() && isAsciiDigit(m_s[m_i])) ++m_i;
        if (atEnd() || m_s[m_i] != u'.') break;
        ++m_i;
      }
    } else {
      return false;
    }
    type = m_s.mid(start, m_i - start);
    return true;
  }

  // Reads a value up to the next unescaped "," or "+" or the end. Unescaped
  // blanks at its end are not part of it; end receives the position after its
  // last significant character.
  bool parseValue(QString& value, qsizetype& end) {
    end = m_i;
    if (!atEnd() && m_s[m_i] == u'#') return parseHexValue(value, end);
    QByteArray pending;  // bytes of consecutive \xx escapes, decoded together
    qsizetype keep = 0;  // value length without unescaped trailing blanks
    auto flush = [&]() -> bool {
      if (pending.isEmpty()) return true;
      const std::optional<QString> text = decodeUtf8(pending);
      pending.clear();
      if (!text) return false;
      value += *text;
      keep = value.size();
      return true;
    };
    while (!atEnd()) {
      const QChar c = m_s[m_i];
      if (c == u',' || c == u'+') break;
      if (c == u'\\') {
        if (m_i + 1 >= m_s.size()) return false;
        const QChar next = m_s[m_i + 1];
        const int high = hexValue(next);
        const int low = m_i + 2 < m_s.size() ? hexValue(m_s[m_i + 2]) : -1;
        if (high >= 0 && low >= 0) {
          pending.append(static_cast<char>(high * 16 + low));
          m_i += 3;
        } else if (QStringView(u"\"+,;<>\\ #=").contains(next)) {
          if (!flush()) return false;
          value += next;
          keep = value.size();
          m_i += 2;
        } else {
          return false;
        }
        end = m_i;
        continue;
      }
      if (c == u'"' || c == u';' || c == u'<' || c == u'>' || c.isNull()) return false;
      if (!flush()) return false;
      value += c;
      ++m_i;
      if (c != u' ') {
        keep = value.size();
        end = m_i;
      }
    }
    if (!flush()) return false;
    value.truncate(keep);
    return true;
  }

  bool parseHexValue(QString& value, qsizetype& end) {
    ++m_i;  // "#"
    QByteArray ber;
    while (!atEnd() && hexValue(m_s[m_i]) >= 0) {
      if (m_i + 1 >= m_s.size() || hexValue(m_s[m_i + 1]) < 0) return false;
      ber.append(static_cast<char>(hexValue(m_s[m_i]) * 16 + hexValue(m_s[m_i + 1])));
      m_i += 2;
    }
    end = m_i;
    skipSpaces();
    if (!atEnd() && m_s[m_i] != u',' && m_s[m_i] != u'+') return false;
    const std::optional<QString> text = decodeBerString(ber);
    if (!text) return false;
    value = *text;
    return true;
  }

  const QString& m_s;
  qsizetype m_i = 0;
};

std::optional<std::vector<ParsedRdn>> parseWithSpans(const QString& dn) {
  return DnParser(dn).parse();
}

// The text of dn from the start of first to the end of last, as written.
QString spanText(const QString& dn, const ParsedRdn& first, const ParsedRdn& last) {
  return dn.mid(first.begin, last.end - first.begin);
}

QString normalizeValue(const QString& value) {
  return value.normalized(QString::NormalizationForm_C).toCaseFolded();
}

}  // namespace

QString escapeDnValue(const QString& value) {
  QString out;
  out.reserve(value.size() + 8);
  const qsizetype last = value.size() - 1;
  for (qsizetype i = 0; i <= last; ++i) {
    const QChar c = value[i];
    if (c.isNull()) {
      out += QStringLiteral("\\00");
    } else if (c == u',' || c == u'+' || c == u'"' || c == u'\\' || c == u'<' || c == u'>' ||
               c == u';' || (i == 0 && (c == u' ' || c == u'#')) || (i == last && c == u' ')) {
      out += u'\\';
      out += c;
    } else {
      out += c;
    }
  }
  return out;
}

QString escapeFilterValue(const QString& value) {
  QString out;
  out.reserve(value.size() + 8);
  for (QChar c : value) {
    switch (c.unicode()) {
      case u'*':
        out += QStringLiteral("\\2a");
        break;
      case u'(':
        out += QStringLiteral("\\28");
        break;
      case u')':
        out += QStringLiteral("\\29");
        break;
      case u'\\':
        out += QStringLiteral("\\5c");
        break;
      case 0:
        out += QStringLiteral("\\00");
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::optional<std::vector<Rdn>> parseDn(const QString& dn) {
  std::optional<std::vector<ParsedRdn>> parsed = parseWithSpans(dn);
  if (!parsed) return std::nullopt;
  std::vector<Rdn> rdns;
  rdns.reserve(parsed->size());
  for (ParsedRdn& p : *parsed) rdns.push_back(std::move(p.rdn));
  return rdns;
}

QString formatRdn(const Rdn& rdn) {
  QString out;
  for (const RdnPart& part : rdn) {
    if (!out.isEmpty()) out += u'+';
    out += part.type + u'=' + escapeDnValue(part.value);
  }
  return out;
}

QString formatDn(const std::vector<Rdn>& rdns) {
  QString out;
  for (const Rdn& rdn : rdns) {
    if (!out.isEmpty()) out += u',';
    out += formatRdn(rdn);
  }
  return out;
}

QString normalizeRdn(const Rdn& rdn) {
  QStringList parts;
  parts.reserve(static_cast<qsizetype>(rdn.size()));
  for (const RdnPart& part : rdn) {
    parts.append(part.type.toLower() + u'=' + escapeDnValue(normalizeValue(part.value)));
  }
  std::sort(parts.begin(), parts.end());
  return parts.join(u'+');
}

QString normalizeDn(const QString& dn) {
  const std::optional<std::vector<Rdn>> rdns = parseDn(dn);
  if (!rdns) return {};
  QString out;
  for (const Rdn& rdn : *rdns) {
    if (!out.isEmpty()) out += u',';
    out += normalizeRdn(rdn);
  }
  return out;
}

QString parentDn(const QString& dn) {
  const std::optional<std::vector<ParsedRdn>> parsed = parseWithSpans(dn);
  if (!parsed || parsed->size() < 2) return {};
  return spanText(dn, (*parsed)[1], parsed->back());
}

QString dnText(const QString& dn) {
  const std::optional<std::vector<ParsedRdn>> parsed = parseWithSpans(dn);
  if (!parsed || parsed->empty()) return {};
  return spanText(dn, parsed->front(), parsed->back());
}

QString firstRdnText(const QString& dn) {
  const std::optional<std::vector<ParsedRdn>> parsed = parseWithSpans(dn);
  if (!parsed || parsed->empty()) return {};
  return spanText(dn, parsed->front(), parsed->front());
}

}  // namespace quill
