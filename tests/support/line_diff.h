#pragma once

#include <QString>
#include <QStringList>
#include <string>

namespace quill::test {

// An expected line ending in kAnyTail matches every line that begins with the
// text before it (for descriptions that come from the directory).
inline const QString kAnyTail = QStringLiteral("[...]");

// Empty when actual matches expected line by line; else the first difference,
// for the failure message.
inline std::string firstDifference(const QStringList& actual, const QStringList& expected) {
  for (qsizetype i = 0; i < qMax(actual.size(), expected.size()); ++i) {
    const QString a = i < actual.size() ? actual.at(i) : QStringLiteral("<none>");
    const QString e = i < expected.size() ? expected.at(i) : QStringLiteral("<none>");
    const bool match = i < actual.size() && i < expected.size() &&
                       (e.endsWith(kAnyTail) ? a.startsWith(e.chopped(kAnyTail.size())) : a == e);
    if (!match) {
      return QStringLiteral("line %1 of %2 (expected %3):\n  actual:   %4\n  expected: %5")
          .arg(i + 1)
          .arg(actual.size())
          .arg(expected.size())
          .arg(a, e)
          .toStdString();
    }
  }
  return {};
}

}  // namespace quill::test
