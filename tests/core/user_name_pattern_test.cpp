#include "core/user_name_pattern.h"

#include <gtest/gtest.h>

#include "support/qt_print.h"

namespace quill {
namespace {

TEST(MakeUserNameTest, CountsTakeLettersFromEachName) {
  struct Case {
    int lead, trail;
    QString leadName, trailName, login;
  };
  const QString longName = QStringLiteral("Wolfeschlegelstein");
  const Case cases[] = {
      {1, 12, "James", "Bond", "JBond"},
      {2, 12, "James", "Bond", "JaBond"},
      {3, 12, "James", "Bond", "JamBond"},
      {12, 1, "James", "Bond", "JamesB"},
      {12, 12, "James", "Bond", "JamesBond"},
      {0, 12, "James", "Bond", "Bond"},
      {3, 0, "James", "Bond", "Jam"},
      {1, 12, "Bond", "James", "BJames"},  // last name leading
      {5, 12, "Al", "Ng", "AlNg"},
      {12, 1, longName, "Ng", "WolfeschlegelsteinN"},
      {11, 1, longName, "Ng", "WolfeschlegN"},
      {1, 12, "Ng", longName, "NWolfeschlegelstein"},
      {1, 11, "Ng", longName, "NWolfeschleg"},
      {1, 12, "", "Bond", "Bond"},
      {12, 1, "Mary Ann", "Smith", "Mary AnnS"},
      // Accented letters count as one, written precomposed or with a combining mark.
      {3, 12, QString::fromUtf8("\xC3\x89lodie"), "Roux", QString::fromUtf8("\xC3\x89loRoux")},
      {2, 12, QString::fromUtf8("E\xCC\x81lodie"), "Roux", QString::fromUtf8("E\xCC\x81lRoux")},
      {1, 2, "Zoe", QString::fromUtf8("Zoe\xCC\x88l"), QString::fromUtf8("ZZo")},
      {3, 0, QString::fromUtf8("Zoe\xCC\x88"), "", QString::fromUtf8("Zoe\xCC\x88")},
      // A character outside the BMP is one letter, never half a surrogate pair.
      {1, 12,
       QString::fromUtf8("\xF0\x9D\x92\x9C"
                         "bc"),
       "Ng",
       QString::fromUtf8("\xF0\x9D\x92\x9C"
                         "Ng")},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MakeUserName({c.lead, c.trail}, c.leadName, c.trailName), c.login)
        << "(" << c.lead << ", " << c.trail << ") " << c.leadName.toStdString() << " "
        << c.trailName.toStdString();
  }
}

TEST(ExplainPatternTest, SentencesMatchWordForWord) {
  struct Case {
    int number, lead, trail;
    bool lastNameFirst;
    const char* sentence;
  };
  const Case cases[] = {
      {1, 1, 12, false,
       "The username will be created using first letter of the first name and  the entire last "
       "name."},
      {2, 2, 12, false,
       "The username will be created using first 2 letters of the first name and  the entire "
       "last name."},
      {3, 3, 12, false,
       "The username will be created using first 3 letters of the first name and  the entire "
       "last name"},
      {1, 12, 12, false,
       "The user name will be created using the entire first name and the entire last name."},
      {2, 12, 12, false,
       "The user name will be created using the entire first name and the entire last name"},
      {3, 12, 12, false,
       "The user name will be created using the entire first name and the entire last name"},
      {1, 12, 1, false,
       "The username will be created using  the entire first name and  first letter of the last "
       "name."},
      {1, 0, 12, false, "The username will be created using  the entire last name."},
      {2, 0, 12, false, "The username will be created using  the entire last name."},
      {3, 0, 1, false, "The username will be created using  first letter of the last name"},
      {1, 3, 0, false, "The username will be created using first 3 letters of the first name."},
      {1, 1, 12, true,
       "The username will be created using first letter of the last name and  the entire first "
       "name."},
      {1, 12, 12, true,
       "The user name will be created using the entire last name and the entire first name."},
      {1, 11, 12, false,
       "The username will be created using first 11 letters of the first name and  the entire "
       "last name."},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ExplainPattern(c.number, {c.lead, c.trail}, c.lastNameFirst),
              QString::fromLatin1(c.sentence))
        << "pattern " << c.number << " (" << c.lead << ", " << c.trail << ")"
        << (c.lastNameFirst ? " last name first" : "");
  }
}

}  // namespace
}  // namespace quill
