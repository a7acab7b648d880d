#pragma once

#include <QString>

namespace quill {

// A count of 12 takes the entire name, however long it is.
inline constexpr int kEntireNameCount = 12;

// One user-name rule: how much of the lead name and of the trail name make
// the login name. Counts run from 0 to 12 and are never both 0.
struct UserNamePattern {
  int LeadLetters = 1;
  int TrailLetters = kEntireNameCount;
  bool operator==(const UserNamePattern&) const = default;
};

// The application's three patterns in priority order and the name order.
struct UserNamePatterns {
  UserNamePattern pattern[3] = {
      {1, kEntireNameCount}, {2, kEntireNameCount}, {3, kEntireNameCount}};
  bool LastNameFirst = false;
};

// Lead part followed by trail part, counted in characters (a name with an
// accented letter is cut by letters, never inside one). Nothing else is done
// to the names.
QString MakeUserName(const UserNamePattern& pattern, const QString& leadName,
                     const QString& trailName);

// The explanation sentence of pattern number patternNumber (1 to 3).
QString ExplainPattern(int patternNumber, const UserNamePattern& pattern, bool lastNameFirst);

}  // namespace quill
