// Whole runs of the GO command on fresh sandboxes: login names, names that
// must stay data, the mixed-mode question, runs over existing objects and
// options changed during a run, judged by the directory they leave.
#include "support/whole_run_fixture.h"

namespace quill::test {
namespace {

// The fall-back names and their lines are the name resolution's own tests.
TEST_F(WholeRun, PersonWithNoFreeLoginNameGetsNoAccountAndNoMembership) {
  for (const char* sam : {"JSmith", "JoSmith", "JohSmith"})
    addAccount(QString("Other ") + sam, sam);
  ScriptedHost host(startup({kJohn}));
  EXPECT_EQ(run(host), RunOutcome::Errors);
  const QStringList expected =
      startupPlan() + QStringList{creatingOu("Sales")} +
      made("Sales_Public", "\\All\\Sales_Public") +
      QStringList{creatingUser("JSmith", "Sales"),
                  "Warning: 'JSmith' already exists. No changes will be made to the existing "
                  "account.",
                  "Error: 'JSmith', 'JoSmith' and 'JohSmith' exists! John Smith will not be "
                  "created.",
                  "Error: Unable to create '' in 'OU=Sales'. Cause: " + kAnyTail,
                  "Error: 'John Smith' will not be created.",
                  creatingGroup("Sales_Clerk"),
                  creatingGroup("Sales")};
  EXPECT_EQ(firstDifference(host.helpHistory(), expected), "");
  EXPECT_FALSE(dir().contains(userDn("John Smith", "Sales")));
  EXPECT_TRUE(dir().values(groupDn("Sales_Clerk"), "member").isEmpty());
  EXPECT_EQ(questionTexts(host), QStringList{kErrorsQuestion});
}

TEST_F(WholeRun, SecondAttemptNameJoinsGroups) {
  addAccount("Jack Smyth", "JSmith");
  ScriptedHost host(startup({kJohn}));
  EXPECT_EQ(run(host), RunOutcome::Warnings);
  const QString john = userDn("John Smith", "Sales");
  EXPECT_EQ(dir().values(john, "sAMAccountName"), QStringList{"JoSmith"});
  EXPECT_EQ(dir().values(groupDn("Sales_Clerk"), "member"), QStringList{john});
  EXPECT_EQ(dir().values(groupDn("Sales"), "member"), QStringList{groupDn("Sales_Clerk")});
}

TEST_F(WholeRun, MixedModeQuestion) {
  for (MsgAnswer answer : {MsgAnswer::Yes, MsgAnswer::No}) {
    const bool yes = answer == MsgAnswer::Yes;
    SCOPED_TRACE(yes ? "Yes" : "No");
    QString error;
    m_sandbox = Sandbox::open(m_tmp.path() + (yes ? "/yes" : "/no"), &error);
    ASSERT_TRUE(m_sandbox);
    setMixedMode();
    ScriptedHost host(startup({kJohn, kAnne}));
    host.scriptAnswers({answer});
    // The refused nesting is logged as an error, so a run that goes on ends
    // with the errors question.
    EXPECT_EQ(run(host), yes ? RunOutcome::Errors : RunOutcome::EndedEarly);

    const QString john = userDn("John Smith", "Sales");
    const QString anne = userDn("Anne Smith", "Sales");
    QStringList expected =
        startupPlan() + QStringList{creatingOu("Sales")} +
        made("Sales_Public", "\\All\\Sales_Public") +
        QStringList{creatingUser("JSmith", "Sales"),
                    creatingGroup("Sales_Clerk"),
                    adding(john, "Sales_Clerk"),
                    creatingGroup("Sales"),
                    adding(groupDn("Sales_Clerk"), "Sales"),
                    "Error Adding '" + kPrefix + groupDn("Sales_Clerk") + "' to '" + kPrefix +
                        groupDn("Sales") + "'. Cause: " + kAnyTail,
                    "Domain is mixed mode. Global group nesting is disabled."};
    const QString question =
        "Since the domain's functional level is not set to 'Windows 2000 native' or higher, There "
        "is not possibility to insert one global security group to another.\nWould you like to "
        "continue without building groups tree ?";
    if (yes) {
      // No further nesting is tried; the department group stays empty.
      expected << creatingUser("ASmith", "Sales") << creatingGroup("Sales_Manager")
               << adding(anne, "Sales_Manager") << creatingGroup("Sales");
      EXPECT_EQ(questionTexts(host), QStringList({question, kErrorsQuestion}));
    } else {
      EXPECT_EQ(questionTexts(host),
                QStringList({question,
                             "Some objects has been created during the process but the "
                             "process was interupted by the user."}));
      EXPECT_EQ(host.questions().back().icon, MsgIcon::Information);
    }
    EXPECT_EQ(firstDifference(host.helpHistory(), expected), "");
    EXPECT_EQ(host.questions()[0].buttons, MsgButtons::YesNo);
    EXPECT_TRUE(dir().contains(groupDn("Sales")));
    EXPECT_TRUE(dir().values(groupDn("Sales"), "member").isEmpty());
    EXPECT_EQ(dir().contains(anne), yes);
    EXPECT_FALSE(host.busy());
  }
}

TEST_F(WholeRun, HostileNamesStayData) {
  RunOptions o = startup({"Ann,Adams,x,Sales,OU=Evil,Clerk,1", "Bob,Baker,x,..,Clerk,2",
                          "Cid,Clark,x,a\\b,Clerk,3", "Dan,Dorn,x,R&D \"West\",Clerk,4",
                          "Eve,Evans,x,#1,Clerk,5", "Fay,Fox,x,Sales+OU=Evil,Clerk,6", kJohn});
  o.opt_PrivateDirsLocation = kPrivateDirsPerDepartment;  // department folder trees
  const QStringList outside = serversOutsideRoot();
  ScriptedHost host(o);
  EXPECT_EQ(run(host), RunOutcome::Errors);

  // A comma splits the field: Ann is in Sales with the duty "OU=Evil".
  EXPECT_EQ(dir().childDns(kUsersOu),
            QStringList({"OU=Sales," + kUsersOu, "OU=..," + kUsersOu, "OU=a\\\\b," + kUsersOu,
                         "OU=R&D \\\"West\\\"," + kUsersOu, "OU=\\#1," + kUsersOu,
                         "OU=Sales\\+OU=Evil," + kUsersOu}));
  const struct {
    QString ouDn;
    QString ou;
    QString cn;
  } people[] = {
      {"OU=Sales", "Sales", "Ann Adams"},  {"OU=..", "..", "Bob Baker"},
      {"OU=a\\\\b", "a\\b", "Cid Clark"},  {"OU=R&D \\\"West\\\"", "R&D \"West\"", "Dan Dorn"},
      {"OU=\\#1", "#1", "Eve Evans"},      {"OU=Sales\\+OU=Evil", "Sales+OU=Evil", "Fay Fox"},
      {"OU=Sales", "Sales", "John Smith"},
  };
  for (const auto& p : people) {
    const QString dn = p.ouDn + "," + kUsersOu;
    EXPECT_EQ(dir().values(dn, "ou"), QStringList{p.ou}) << dn.toStdString();
    EXPECT_TRUE(dir().contains("CN=" + p.cn + "," + dn)) << p.cn.toStdString();
  }
  EXPECT_EQ(dir().values(groupDn("Sales_OU=Evil"), "member"),
            QStringList{"CN=Ann Adams,OU=Sales," + kUsersOu});
  EXPECT_EQ(dir().values(groupDn("a\\\\b"), "member"), QStringList{groupDn("a\\\\b_Clerk")});
  EXPECT_EQ(dir().values(groupDn("R&D \\\"West\\\"_Clerk"), "sAMAccountName"),
            QStringList{"R&D \"West\"_Clerk"});
  EXPECT_FALSE(dir().contains("OU=Evil," + kUsersOu));

  // Lines show names as the list gives them and paths with escaped DNs.
  const QStringList lines = host.helpHistory();
  EXPECT_TRUE(lines.contains(creatingOu("R&D \"West\"")));
  EXPECT_TRUE(lines.contains(creatingUser("CClark", "a\\\\b")));
  for (const char* share : {".._Public", ".._Private", "a\\b_Public", "a\\b_Private"}) {
    EXPECT_EQ(lines
                  .filter("Error: '" + QString::fromLatin1(share) +
                          "' cannot be made a folder under '" + kDataRoot + "': ")
                  .size(),
              1)
        << share;
  }
  EXPECT_EQ(serversOutsideRoot(), outside);
  QStringList folders({"All", "All/#1", "All/#1/#1_Private", "All/#1/#1_Public", "All/R&D \"West\"",
                       "All/R&D \"West\"/R&D \"West\"_Private",
                       "All/R&D \"West\"/R&D \"West\"_Public", "All/Sales", "All/Sales+OU=Evil",
                       "All/Sales+OU=Evil/Sales+OU=Evil_Private",
                       "All/Sales+OU=Evil/Sales+OU=Evil_Public", "All/Sales/Sales_Private",
                       "All/Sales/Sales_Public", "All/All_Public"});
  folders.sort();
  EXPECT_EQ(dataFolders(), folders);
  // Names a server refuses as share names fail as shares only.
  EXPECT_EQ(shares(), QStringList({"All_Public=D:\\shares\\data\\All\\All_Public",
                                   "Sales_Public=D:\\shares\\data\\All\\Sales\\Sales_Public",
                                   "Sales_Private=D:\\shares\\data\\All\\Sales\\Sales_Private",
                                   "#1_Public=D:\\shares\\data\\All\\#1\\#1_Public",
                                   "#1_Private=D:\\shares\\data\\All\\#1\\#1_Private"}));
  EXPECT_EQ(dir().values(userDn("John Smith", "Sales"), "sAMAccountName"), QStringList{"JSmith"});
}

TEST_F(WholeRun, SecondRunChangesNoExistingObject) {
  ScriptedHost first(startup({kJohn}));
  EXPECT_EQ(run(first), RunOutcome::Success);
  const QByteArray ldif = dir().toLdif();
  const QStringList sharesBefore = shares();

  ScriptedHost second(first.runOptions());
  EXPECT_EQ(run(second), RunOutcome::Errors);
  const QStringList expected = {
      creatingShare("All_Private", "\\All\\All_Private"),
      unableShare("All_Private", "\\All\\All_Private"),
      creatingShare("All_Public", "\\All\\All_Public"),
      unableShare("All_Public", "\\All\\All_Public"),
      creatingOu("Sales"),
      creatingShare("Sales_Public", "\\All\\Sales_Public"),
      unableShare("Sales_Public", "\\All\\Sales_Public"),
      creatingUser("JSmith", "Sales"),
      "Warning: 'JSmith' already exists. No changes will be made to the existing account.",
      "Warning: 'JSmith' already exists. Using 'JoSmith' for John Smith.",
      "Warning: 'JoSmith' already exists. No changes will be made to the existing account.",
      "Error: 'John Smith' will not be created.",
      creatingGroup("Sales_Clerk"),
      creatingGroup("Sales"),
  };
  EXPECT_EQ(firstDifference(second.helpHistory(), expected), "");
  EXPECT_EQ(questionTexts(second), QStringList{kErrorsQuestion});
  EXPECT_EQ(dir().toLdif(), ldif);
  EXPECT_EQ(shares(), sharesBefore);
}

// A user who switches the duty groups off while the first person is done.
class DutyOffAfterFirstPerson : public ScriptedHost {
 public:
  using ScriptedHost::ScriptedHost;
  void yield() override {
    ScriptedHost::yield();
    if (statusHistory().contains("1 users processed ")) runOptions().chk_CreateDuty = false;
  }
};

TEST_F(WholeRun, OptionsChangedDuringARunAffectLaterPersons) {
  DutyOffAfterFirstPerson host(startup({kJohn, kAnne}));
  EXPECT_EQ(run(host), RunOutcome::Success);
  const QString anne = userDn("Anne Smith", "Sales");
  EXPECT_EQ(host.helpHistory().mid(host.helpHistory().size() - 2),
            QStringList({creatingUser("ASmith", "Sales"), adding(anne, "Sales")}));
  EXPECT_FALSE(dir().contains(groupDn("Sales_Manager")));
  EXPECT_EQ(dir().values(groupDn("Sales"), "member"), QStringList({groupDn("Sales_Clerk"), anne}));
}

}  // namespace
}  // namespace quill::test
