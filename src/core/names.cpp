#include "core/names.h"

namespace quill {

namespace {

constexpr qsizetype kMaxShareNameLength = 80;

}  // namespace

bool isControlCharacter(QChar c) {
  const char16_t u = c.unicode();
  return u < 0x20 || (u >= 0x7f && u <= 0x9f);
}

bool hasControlCharacter(const QString& text) {
  for (const QChar c : text) {
    if (isControlCharacter(c)) return true;
  }
  return false;
}

QString folderNameProblem(const QString& name) {
  if (name.isEmpty()) return QStringLiteral("an empty folder name");
  if (name == u"." || name == u"..") return QStringLiteral("'%1' is not a folder name").arg(name);
  for (const QChar c : name) {
    if (c == u'/' || c == u'\\') return QStringLiteral("'%1' holds a path separator").arg(name);
    if (isControlCharacter(c)) return QStringLiteral("a folder name holds a control character");
  }
  return QString();
}

bool isValidShareName(const QString& name) {
  if (name.isEmpty() || name.size() > kMaxShareNameLength) return false;
  static const QString kForbidden = QStringLiteral("\"\\/[]:|<>+=;,*?");
  for (const QChar c : name) {
    if (isControlCharacter(c) || kForbidden.contains(c)) return false;
  }
  return true;
}

bool isValidAccountName(const QString& name) {
  static const QString kForbidden = QStringLiteral("\"/\\[]:;|=,+*?<>");
  for (const QChar c : name) {
    if (kForbidden.contains(c)) return false;
  }
  return true;
}

QString reduceDoubledSeparators(const QString& localPath) {
  QString path = localPath;
  path.replace(QStringLiteral("\\\\"), QStringLiteral("\\"));
  return path;
}

QString showControls(const QString& text) {
  if (!hasControlCharacter(text)) return text;
  QString shown;
  shown.reserve(text.size() + 8);
  for (const QChar c : text) {
    if (!isControlCharacter(c)) {
      shown += c;
    } else if (c == u'\n') {
      shown += QLatin1String("\\n");
    } else if (c == u'\r') {
      shown += QLatin1String("\\r");
    } else if (c == u'\t') {
      shown += QLatin1String("\\t");
    } else {
      shown += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
    }
  }
  return shown;
}

QString normalizedName(const QString& text) {
  // Most names are plain ASCII, which every normalization form leaves alone.
  for (const QChar c : text) {
    if (c.unicode() >= 0x80) return text.normalized(QString::NormalizationForm_C);
  }
  return text;
}

}  // namespace quill
