#include "core/user_name_pattern.h"

#include <gtest/gtest.h>

#include "support/qt_print.h"

namespace quill {
namespace {

TEST(MakeUserNameTest, CountsTakeLettersFromEachName) {
  const QString longName = QStringLiteral("Wolfeschlegelstein");
  const QString acute = QString::fromUtf8("\xC3\x89lodie"),
                combining = QString::fromUtf8("E\xCC\x81lodie");
  const QString wide = QString::fromUtf8("\xF0\x9D\x92\x9C");  // outside the BMP
  const struct {
    int lead, trail;
    QString leadName, trailName, login;
  } cases[] = {
      // clang-format off
      {3, 12, "James", "Bond", "JamBond"},    {12, 1, "James", "Bond", "JamesB"},
      {0, 12, "James", "Bond", "Bond"},       {3, 0, "James", "Bond", "Jam"},
      {5, 12, "Al", "Ng", "AlNg"},            {12, 1, longName, "Ng", "WolfeschlegelsteinN"},
      {11, 1, longName, "Ng", "WolfeschlegN"}, {1, 11, "Ng", longName, "NWolfeschleg"},
      // A letter is what the reader sees as one, however it is written.
      {3, 12, acute, "Roux", acute.left(3) + "Roux"},
      {2, 12, combining, "Roux", combining.left(3) + "Roux"},
      {1, 12, wide + "bc", "Ng", wide + "Ng"},
      // clang-format on
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MakeUserName({c.lead, c.trail}, c.leadName, c.trailName), c.login)
        << "(" << c.lead << ", " << c.trail << ") " << c.leadName.toStdString();
  }
}

TEST(ExplainPatternTest, SentencesMatchWordForWord) {
  const QString opening = "The username will be created using ";
  const QString both =
      "The user name will be created using the entire first name and the entire "
      "last name";
  const struct {
    int number, lead, trail;
    bool lastNameFirst;
    QString sentence;
  } cases[] = {
      // clang-format off
      {1, 1, 12, false, opening + "first letter of the first name and  the entire last name."},
      {3, 3, 12, false, opening + "first 3 letters of the first name and  the entire last name"},
      {1, 12, 12, false, both + "."}, {2, 12, 12, false, both}, {3, 12, 12, false, both},
      {2, 12, 1, false, opening + " the entire first name and  first letter of the last name."},
      {3, 0, 1, false, opening + " first letter of the last name"},
      {1, 3, 0, false, opening + "first 3 letters of the first name."},
      {1, 1, 11, true, opening + "first letter of the last name and first 11 letters of the "
                                 "first name."},
      // clang-format on
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ExplainPattern(c.number, {c.lead, c.trail}, c.lastNameFirst), c.sentence)
        << "pattern " << c.number << " (" << c.lead << ", " << c.trail << ")" << c.lastNameFirst;
  }
}

}  // namespace
}  // namespace quill
