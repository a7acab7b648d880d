#include "core/user_name_pattern.h"

#include <QTextBoundaryFinder>

namespace quill {

namespace {

// The first count letters of name. A letter is a grapheme cluster, so an
// accented letter (precomposed or with a combining mark) and a character
// outside the Basic Multilingual Plane each count as one and are never split.
QString leadingLetters(const QString& name, int count) {
  if (count >= kEntireNameCount) return name;
  if (count <= 0) return QString();
  QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, name);
  qsizetype end = 0;
  for (int taken = 0; taken < count; ++taken) {
    const qsizetype next = finder.toNextBoundary();
    if (next < 0) return name;
    end = next;
  }
  return name.left(end);
}

// The phrase for a count; the lead side writes a count of 1 without the
// leading blank that the trail side has.
QString countPhrase(int count, bool leadSide) {
  if (count <= 0) return QString();
  if (count >= kEntireNameCount) return QStringLiteral(" the entire");
  if (count == 1)
    return leadSide ? QStringLiteral("first letter of the")
                    : QStringLiteral(" first letter of the");
  return QStringLiteral("first %1 letters of the").arg(count);
}

}  // namespace

QString MakeUserName(const UserNamePattern& pattern, const QString& leadName,
                     const QString& trailName) {
  return leadingLetters(leadName, pattern.LeadLetters) +
         leadingLetters(trailName, pattern.TrailLetters);
}

QString ExplainPattern(int patternNumber, const UserNamePattern& pattern, bool lastNameFirst) {
  const QString firstWord = QStringLiteral(" first name");
  const QString lastWord = QStringLiteral(" last name");
  const QString& leadWord = lastNameFirst ? lastWord : firstWord;
  const QString& trailWord = lastNameFirst ? firstWord : lastWord;
  const int lead = pattern.LeadLetters;
  const int trail = pattern.TrailLetters;
  const QString leadPart = countPhrase(lead, true) + leadWord;
  const QString trailPart = countPhrase(trail, false) + trailWord;

  const bool bothEntire = lead >= kEntireNameCount && trail >= kEntireNameCount;
  // Pattern 1 always ends with a full stop, pattern 3 never, pattern 2 only
  // in the sentences that do not take both names whole.
  const bool fullStop = patternNumber == 1 || (patternNumber == 2 && !bothEntire);
  const QString ending = fullStop ? QStringLiteral(".") : QString();

  if (bothEntire)
    return QStringLiteral("The user name will be created using") + leadPart +
           QStringLiteral(" and") + trailPart + ending;
  const QString opening = QStringLiteral("The username will be created using ");
  if (lead > 0 && trail > 0)
    return opening + leadPart + QStringLiteral(" and ") + trailPart + ending;
  if (lead > 0) return opening + leadPart + ending;
  return opening + trailPart + ending;
}

}  // namespace quill
