// Whole runs of the GO command on fresh sandboxes: the log lines, the
// questions, the folders and shares a run leaves behind.
#include "support/whole_run_fixture.h"

namespace quill::test {
namespace {

// The road of one person, then a second of the same department, through a run
// with the start-up options: the department's OU, folder, share and groups are
// made once.
TEST_F(WholeRun, RoadOfOnePersonThenASecondOfItsDepartment) {
  RunOptions o = startup({});
  {
    QFile file(o.txt_CSVFile);  // the last line has no line end
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write((kJohn + "\r\nAnne,Smith,Manager,Sales,Clerk,556").toUtf8());
  }
  ScriptedHost host(o);
  EXPECT_EQ(run(host), RunOutcome::Success);
  const QString john = userDn("John Smith", "Sales");
  const QString anne = userDn("Anne Smith", "Sales");
  const QStringList expected = startupPlan() + QStringList{creatingOu("Sales")} +
                               made("Sales_Public", "\\All\\Sales_Public") +
                               QStringList{creatingUser("JSmith", "Sales"),
                                           creatingGroup("Sales_Clerk"),
                                           adding(john, "Sales_Clerk"),
                                           creatingGroup("Sales"),
                                           adding(groupDn("Sales_Clerk"), "Sales"),
                                           creatingUser("ASmith", "Sales"),
                                           adding(anne, "Sales_Clerk"),
                                           adding(groupDn("Sales_Clerk"), "Sales")};
  EXPECT_EQ(firstDifference(host.helpHistory(), expected), "");
  ASSERT_EQ(questionTexts(host), QStringList{"Processed 2 users succesfully."});
  EXPECT_EQ(host.questions()[0].icon, MsgIcon::Information);
  EXPECT_EQ(host.statusHistory(),
            QStringList({"Initializing...", "1 users processed ", "2 users processed ",
                         "2 users processed  Succesfully."}));
  EXPECT_FALSE(host.busy());

  EXPECT_EQ(dir().values(john, "sAMAccountName"), QStringList{"JSmith"});
  EXPECT_EQ(dir().values(anne, "sAMAccountName"), QStringList{"ASmith"});
  EXPECT_TRUE(dir().checkPassword(john, defaultInitialPassword()));
  EXPECT_EQ(dir().values(john, "userAccountControl").value(0).toInt() & 0x2, 0);
  EXPECT_EQ(dir().values(groupDn("Sales_Clerk"), "member"), QStringList({john, anne}));
  EXPECT_EQ(dir().values(groupDn("Sales"), "member"), QStringList{groupDn("Sales_Clerk")});
  EXPECT_EQ(shares(), QStringList({shareEntry("All_Private", "\\All\\All_Private"),
                                   shareEntry("All_Public", "\\All\\All_Public"),
                                   shareEntry("Sales_Public", "\\All\\Sales_Public")}));
}

// The folder plan's rows are its own tests'; here each department root it
// can set is shown to get the person's department folder.
TEST_F(WholeRun, DepartmentFoldersGoBelowTheRootsThePlanSet) {
  const struct {
    bool S, D, P;
    int location;
    QStringList shares;  // name=tail below the root, in the order made
  } rows[] = {
      {0, 1, 0, kPrivateDirsCentral, {"Sales_Public=\\Sales_Public"}},
      {0, 0, 1, kPrivateDirsPerDepartment, {"Sales_Private=\\Sales_Private"}},
      {1,
       1,
       1,
       kPrivateDirsPerDepartment,
       {"All_Public=\\All\\All_Public", "Sales_Public=\\All\\Sales\\Sales_Public",
        "Sales_Private=\\All\\Sales\\Sales_Private"}},
  };
  int n = 0;
  for (const auto& row : rows) {
    SCOPED_TRACE(::testing::Message() << "S" << row.S << " D" << row.D << " P" << row.P);
    QString error;
    m_sandbox = Sandbox::open(m_tmp.path() + QStringLiteral("/row%1").arg(n++), &error);
    ASSERT_TRUE(m_sandbox);
    RunOptions o = startup({kJohn});
    o.chk_PubDirSingle = row.S;
    o.chk_PubDirDep = row.D;
    o.chk_PrivDir = row.P;
    o.opt_PrivateDirsLocation = row.location;
    ScriptedHost host(o);
    EXPECT_EQ(run(host), RunOutcome::Success);

    QStringList expectedShares;
    QStringList folderLines;
    for (const QString& share : row.shares) {
      expectedShares << shareEntry(share.section('=', 0, 0), share.section('=', 1));
      folderLines << creatingDir(share.section('=', 1));
    }
    EXPECT_EQ(shares(), expectedShares);
    EXPECT_EQ(host.helpHistory().filter("Creating directory"), folderLines);
  }
}

TEST_F(WholeRun, ShortLinesGiveGenericErrorsAndAreCounted) {
  ScriptedHost host(startup({"Bob,Short", "", kJohn}));
  EXPECT_EQ(run(host), RunOutcome::Errors);
  const QString error = "Error: Subscript out of range";
  const QString john = userDn("John Smith", "Sales");
  // Bob: the department, account and group steps; the blank line: the name
  // step too. No step acts on a name or path of another person.
  const QStringList expected =
      startupPlan() +
      QStringList{error, error, error, error, error, error, error, creatingOu("Sales")} +
      made("Sales_Public", "\\All\\Sales_Public") +
      QStringList{creatingUser("JSmith", "Sales"), creatingGroup("Sales_Clerk"),
                  adding(john, "Sales_Clerk"), creatingGroup("Sales"),
                  adding(groupDn("Sales_Clerk"), "Sales")};
  EXPECT_EQ(firstDifference(host.helpHistory(), expected), "");
  EXPECT_EQ(host.status(), "3 users processed . Some errors occurred.");
  EXPECT_EQ(questionTexts(host), QStringList{kErrorsQuestion});
  EXPECT_EQ(dir().childDns(kUsersOu), QStringList{"OU=Sales," + kUsersOu});
}

TEST_F(WholeRun, HeadingLinesOnly) {
  ScriptedHost host(startup({}));
  EXPECT_EQ(run(host), RunOutcome::Success);
  EXPECT_EQ(firstDifference(host.helpHistory(), startupPlan()), "");
  EXPECT_EQ(questionTexts(host), QStringList{"Processed 0 users succesfully."});
  EXPECT_TRUE(dir().childDns(kUsersOu).isEmpty());
}

TEST_F(WholeRun, LoneLineFeedsMakeOneLine) {
  RunOptions o = startup({});
  o.txt_CSVFile = writeList({kJohn}, "\n");
  ScriptedHost host(o);
  EXPECT_EQ(run(host), RunOutcome::Errors);
  EXPECT_EQ(firstDifference(host.helpHistory(),
                            startupPlan() + QStringList{"Error: Input past end of file"}),
            "");
  EXPECT_EQ(host.status(), "0 users processed . Some errors occurred.");
  EXPECT_EQ(questionTexts(host), QStringList{kErrorsQuestion});
}

// The checks and their messages are the validation's own tests; here a
// refused check, whatever it is, ends the run before anything is made.
TEST_F(WholeRun, EachFailedCheckEndsTheRunBeforeAnything) {
  const int entries = dir().entryCount();
  const struct {
    const char* name;
    void (*change)(RunOptions&);
    QStringList messages;
  } cases[] = {
      {"no sysvol",
       [](RunOptions& o) { o.txt_Domain = "nowhere.test"; },
       {"Unable to find \\\\nowhere.test\\sysvol.\nPlease verify the the domain name can be "
        "resolved and that you have proper permissions"}},
      {"No to the missing root",
       [](RunOptions& o) { o.txt_DirRoot = "\\\\files\\data\\new"; },
       {"\\\\files\\data\\new Does not exist. Create it?."}},
      {"no list",
       [](RunOptions& o) { o.txt_CSVFile = "missing.csv"; },
       {"Unable to find 'missing.csv'. Abroting."}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    RunOptions o = startup({kJohn});
    c.change(o);
    ScriptedHost host(o);
    EXPECT_EQ(run(host), RunOutcome::EndedEarly);
    EXPECT_EQ(questionTexts(host), c.messages);
    // Only the missing list is also logged.
    EXPECT_EQ(host.helpHistory(),
              c.messages.first().startsWith("Unable to find '") ? c.messages : QStringList());
    EXPECT_FALSE(host.busy());
    EXPECT_EQ(dir().entryCount(), entries);
    EXPECT_TRUE(shares().isEmpty());
  }
  EXPECT_TRUE(dataFolders().isEmpty());
}

TEST_F(WholeRun, SummaryAsksAboutErrorsBeforeWarnings) {
  const struct {
    QStringList lines;
    MsgAnswer answer;
    QString question;
    RunOutcome outcome;
  } cases[] = {
      {{kJohn, "Short,Line"}, MsgAnswer::Yes, kErrorsQuestion, RunOutcome::Errors},
      {{kJohn}, MsgAnswer::No, kWarningsQuestion, RunOutcome::Warnings},
  };
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.question.toStdString());
    QString error;
    m_sandbox = Sandbox::open(m_tmp.path() + QStringLiteral("/sum%1").arg(n++), &error);
    ASSERT_TRUE(m_sandbox);
    addAccount("Jack Smyth", "JSmith");  // a warning for John
    ScriptedHost host(startup(c.lines));
    host.scriptAnswers({c.answer});
    EXPECT_EQ(run(host), c.outcome);
    EXPECT_EQ(questionTexts(host), QStringList{c.question});
    EXPECT_EQ(host.questions()[0].buttons, MsgButtons::YesNo);
    EXPECT_EQ(host.openedLogs(), c.answer == MsgAnswer::Yes
                                     ? QStringList{m_tmp.path() + "/quillstead.log"}
                                     : QStringList());
  }
}

TEST_F(WholeRun, UserListThatIsAFolderEndsTheRun) {
  RunOptions o = startup({});
  o.txt_CSVFile = m_tmp.path();
  ScriptedHost host(o);
  EXPECT_EQ(run(host), RunOutcome::EndedEarly);
  ASSERT_EQ(host.questions().size(), 1u);
  EXPECT_EQ(host.questions()[0].icon, MsgIcon::Critical);
  EXPECT_TRUE(host.questions()[0].text.contains(m_tmp.path()));
  EXPECT_EQ(firstDifference(host.helpHistory(), startupPlan()), "");
  EXPECT_FALSE(host.busy());
}

}  // namespace
}  // namespace quill::test
