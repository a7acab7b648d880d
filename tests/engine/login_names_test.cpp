#include "engine/login_names.h"

#include "core/dn.h"
#include "support/sandbox_run.h"

namespace quill {
namespace {

const QString kUsers = QStringLiteral("CN=Users,DC=example,DC=test");

class LoginNamesTest : public test::SandboxRun {
 protected:
  // Takes name in the domain with an object of class cls in CN=Users.
  void take(const QString& name, const char* cls = "user") {
    PendingError err;
    auto users = bind(kUsers);
    auto obj = dir().Create(*users, cls, "CN=" + escapeDnValue(name + "-holder"), err);
    dir().Put(*obj, "samAccountName", name);
    dir().SetInfo(*obj, err);
    ASSERT_FALSE(err.isSet()) << err.description().toStdString();
  }
};

TEST_F(LoginNamesTest, PlainModeGivesPatternOneAndTouchesNothing) {
  take("JBond");
  EXPECT_EQ(CalcUserName(ctx(), "James", "Bond", false), "JBond");
  EXPECT_TRUE(lines().isEmpty());
  EXPECT_FALSE(ctx().counters.WarningsOccurred);
  EXPECT_FALSE(ctx().counters.ErrorsOccurred);
}

TEST_F(LoginNamesTest, CheckingModeTakesTheFirstFreeCandidateAndAlwaysWarns) {
  const struct {
    QStringList taken;
    QString result;
    QString line;  // empty: no line
  } cases[] = {
      {{}, "JBond", ""},
      {{"JBond"}, "JaBond", "Warning: 'JBond' already exists. Using 'JaBond' for James Bond."},
      {{"JaBond"},
       "JamBond",
       "Warning: 'JBond' and 'JaBond' already exists. Using 'JamBond' for James Bond."},
      {{"JamBond"},
       "",
       "Error: 'JBond', 'JaBond' and 'JamBond' exists! James Bond will not be created."},
  };
  // Names are taken cumulatively: each row adds its names to the domain.
  for (const auto& c : cases) {
    for (const QString& name : c.taken) take(name);
    ctx().counters = RunCounters{};
    const qsizetype before = lines().size();
    EXPECT_EQ(CalcUserName(ctx(), "James", "Bond", true), c.result)
        << c.taken.join(',').toStdString();
    EXPECT_EQ(lines().mid(before), c.line.isEmpty() ? QStringList() : QStringList{c.line})
        << c.taken.join(',').toStdString();
    EXPECT_TRUE(ctx().counters.WarningsOccurred);
    EXPECT_FALSE(ctx().counters.ErrorsOccurred);
  }
}

TEST_F(LoginNamesTest, LastNameFirstNamesThePersonInThatOrder) {
  m_patterns.LastNameFirst = true;  // the caller passes the last name first
  take("BJames");
  EXPECT_EQ(CalcUserName(ctx(), "Bond", "James", true), "BoJames");
  EXPECT_EQ(lines(),
            QStringList{"Warning: 'BJames' already exists. Using 'BoJames' for Bond James."});
}

TEST_F(LoginNamesTest, ShortNamesTestTheSameCandidateTwice) {
  take("ANg");
  take("AlNg");
  EXPECT_EQ(CalcUserName(ctx(), "Al", "Ng", true), "");
  EXPECT_EQ(lines(),
            QStringList{"Error: 'ANg', 'AlNg' and 'AlNg' exists! Al Ng will not be created."});
}

TEST_F(LoginNamesTest, AGroupOrComputerOfThatNameCountsAsTaken) {
  take("JBond", "group");
  EXPECT_EQ(CalcUserName(ctx(), "James", "Bond", true), "JaBond");
  take("JaBond$", "computer");
  EXPECT_EQ(CalcUserName(ctx(), "James", "Bond", true), "JamBond");
}

TEST_F(LoginNamesTest, DomainIsReadFromTheDomainBoxAtEachCall) {
  take("JBond");
  options().txt_Domain = "EXAMPLE.TEST";
  EXPECT_EQ(CalcUserName(ctx(), "James", "Bond", true), "JaBond");
  // A domain that cannot be asked makes every candidate free.
  options().txt_Domain = "elsewhere.test";
  EXPECT_EQ(CalcUserName(ctx(), "James", "Bond", true), "JBond");
}

}  // namespace
}  // namespace quill
