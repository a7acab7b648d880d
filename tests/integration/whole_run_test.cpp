// Whole runs of the GO command on fresh sandboxes: the log lines, the
// questions, the folders and shares a run leaves behind.
#include "integration/whole_run_fixture.h"

namespace quill::test {
namespace {

TEST_F(WholeRun, RoadOfOnePerson) {
  ScriptedHost host(startup({kJohn}));
  EXPECT_EQ(run(host), RunOutcome::Success);

  const QStringList expected = {
      "Creating directory '\\\\files\\data\\All\\All_Private'.",
      "Creating a share 'All_Private' on remote system 'files. The path for the new share is "
      "'D:\\shares\\data\\All\\All_Private'.",
      "Creating directory '\\\\files\\data\\All\\All_Public'.",
      "Creating a share 'All_Public' on remote system 'files. The path for the new share is "
      "'D:\\shares\\data\\All\\All_Public'.",
      "Creating OU: 'Sales' in 'OU=Users'...",
      "Creating directory '\\\\files\\data\\All\\Sales_Public'.",
      "Creating a share 'Sales_Public' on remote system 'files. The path for the new share is "
      "'D:\\shares\\data\\All\\Sales_Public'.",
      "Creating user 'JSmith' in 'LDAP://example.test/OU=Sales,OU=Users,OU=OU's,DC=example,"
      "DC=test'...",
      "Creating group 'Sales_Clerk' in 'OU=Groups'...",
      "Adding 'LDAP://example.test/CN=John Smith,OU=Sales,OU=Users,OU=OU's,DC=example,DC=test' "
      "to 'LDAP://example.test/CN=Sales_Clerk,OU=Groups,OU=OU's,DC=example,DC=test'...",
      "Creating group 'Sales' in 'OU=Groups'...",
      "Adding 'LDAP://example.test/CN=Sales_Clerk,OU=Groups,OU=OU's,DC=example,DC=test' to "
      "'LDAP://example.test/CN=Sales,OU=Groups,OU=OU's,DC=example,DC=test'...",
  };
  EXPECT_EQ(firstDifference(host.helpHistory(), expected), "");
  ASSERT_EQ(host.questions().size(), 1u);
  EXPECT_EQ(host.questions()[0].text, "Processed 1 users succesfully.");
  EXPECT_EQ(host.questions()[0].icon, MsgIcon::Information);
  EXPECT_EQ(host.statusHistory(), QStringList({"Initializing...", "1 users processed ",
                                               "1 users processed  Succesfully."}));
  EXPECT_FALSE(host.busy());

  // The log file in the current folder holds the same lines after a prefix.
  QFile log(m_tmp.path() + "/quillstead.log");
  ASSERT_TRUE(log.open(QIODevice::ReadOnly));
  const QStringList logLines = QString::fromUtf8(log.readAll()).split("\r\n", Qt::SkipEmptyParts);
  ASSERT_EQ(logLines.size(), expected.size());
  for (qsizetype i = 0; i < logLines.size(); ++i) {
    EXPECT_TRUE(logLines[i].endsWith(", " + expected[i])) << logLines[i].toStdString();
  }

  for (const char* ou :
       {"OU=OU's,DC=example,DC=test", "OU=Users,OU=OU's,DC=example,DC=test",
        "OU=Groups,OU=OU's,DC=example,DC=test", "OU=GPO's,OU=OU's,DC=example,DC=test",
        "OU=Computers,OU=OU's,DC=example,DC=test"}) {
    EXPECT_TRUE(dir().contains(ou)) << ou;
  }
  const QString john = userDn("John Smith", "Sales");
  const struct {
    const char* attribute;
    QStringList values;
  } attributes[] = {
      {"sAMAccountName", {"JSmith"}},
      {"userPrincipalName", {"JSmith@example.test"}},
      {"description", {"Clerk"}},
      {"telephoneNumber", {"555"}},
      {"displayName", {"John Smith"}},
      {"givenName", {"John"}},
      {"sn", {"Smith"}},
      {"pwdLastSet", {"0"}},
      {"mail", {}},
  };
  for (const auto& a : attributes)
    EXPECT_EQ(dir().values(john, a.attribute), a.values) << a.attribute;
  EXPECT_EQ(dir().values(john, "userAccountControl").value(0).toInt() & 0x2, 0);
  EXPECT_TRUE(dir().checkPassword(john, defaultInitialPassword()));
  EXPECT_EQ(dir().values(groupDn("Sales_Clerk"), "member"), QStringList{john});
  EXPECT_EQ(dir().values(groupDn("Sales"), "member"), QStringList{groupDn("Sales_Clerk")});
  EXPECT_EQ(dir().values(groupDn("Sales"), "groupType"), QStringList{"-2147483646"});
  EXPECT_EQ(shares(), QStringList({"All_Private=D:\\shares\\data\\All\\All_Private",
                                   "All_Public=D:\\shares\\data\\All\\All_Public",
                                   "Sales_Public=D:\\shares\\data\\All\\Sales_Public"}));
}

TEST_F(WholeRun, SecondPersonOfADepartmentGetsOnlyAccountAndMemberships) {
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
  EXPECT_EQ(dir().values(groupDn("Sales_Clerk"), "member"), QStringList({john, anne}));
  EXPECT_EQ(dir().values(groupDn("Sales"), "member"), QStringList{groupDn("Sales_Clerk")});
  EXPECT_EQ(questionTexts(host), QStringList{"Processed 2 users succesfully."});
}

TEST_F(WholeRun, EveryFolderPlanRowThroughAWholeRun) {
  const int C = kPrivateDirsCentral;
  const int PD = kPrivateDirsPerDepartment;
  const struct {
    bool S, D, P;
    int location;
    QStringList shares;  // name=tail below the root, in the order made
  } rows[] = {
      {1, 0, 0, C, {"All_Public=\\All_Public"}},
      {0, 1, 0, C, {"Sales_Public=\\Sales_Public"}},
      {1, 1, 0, C, {"All_Public=\\All\\All_Public", "Sales_Public=\\All\\Sales_Public"}},
      {0, 0, 1, C, {"All_Private=\\All_Private"}},
      {0, 0, 1, PD, {"Sales_Private=\\Sales_Private"}},
      {1, 0, 1, C, {"All_Public=\\All\\All_Public", "All_Private=\\All\\All_Private"}},
      {1, 0, 1, PD, {"All_Public=\\All\\All_Public", "Sales_Private=\\All\\Sales_Private"}},
      {1,
       1,
       1,
       C,
       {"All_Private=\\All\\All_Private", "All_Public=\\All\\All_Public",
        "Sales_Public=\\All\\Sales_Public"}},
      {1,
       1,
       1,
       PD,
       {"All_Public=\\All\\All_Public", "Sales_Public=\\All\\Sales\\Sales_Public",
        "Sales_Private=\\All\\Sales\\Sales_Private"}},
      {0, 1, 1, C, {"All_Private=\\All\\All_Private", "Sales_Public=\\All\\Sales_Public"}},
      {0,
       1,
       1,
       PD,
       {"Sales_Public=\\All\\Sales\\Sales_Public", "Sales_Private=\\All\\Sales\\Sales_Private"}},
      {0, 0, 0, C, {}},
  };
  int n = 0;
  for (const auto& row : rows) {
    SCOPED_TRACE(::testing::Message() << "S" << row.S << " D" << row.D << " P" << row.P
                                      << (row.location == PD ? " per dept" : " central"));
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
      const QString tail = share.section('=', 1);
      expectedShares << share.section('=', 0, 0) + "=D:\\shares\\data" + tail;
      folderLines << creatingDir(tail);
    }
    EXPECT_EQ(shares(), expectedShares);
    EXPECT_EQ(host.helpHistory().filter("Creating directory"), folderLines);
  }
}

TEST_F(WholeRun, HiddenSharesAreMadeOnceWithTheirDollar) {
  RunOptions o = startup({kJohn, kAnne});
  o.chk_HiddenShares = true;
  ScriptedHost host(o);
  EXPECT_EQ(run(host), RunOutcome::Success);
  EXPECT_EQ(shares(), QStringList({"All_Private$=D:\\shares\\data\\All\\All_Private",
                                   "All_Public$=D:\\shares\\data\\All\\All_Public",
                                   "Sales_Public$=D:\\shares\\data\\All\\Sales_Public"}));
  const QStringList shareLines = host.helpHistory().filter("Creating a share");
  EXPECT_EQ(shareLines, QStringList({creatingShare("All_Private", "\\All\\All_Private"),
                                     creatingShare("All_Public", "\\All\\All_Public"),
                                     creatingShare("Sales_Public", "\\All\\Sales_Public")}));
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

TEST_F(WholeRun, EachFailedCheckEndsTheRunBeforeAnything) {
  const int entries = dir().entryCount();
  const struct {
    const char* name;
    void (*change)(RunOptions&);
    std::vector<MsgAnswer> answers;
    QStringList messages;
    MsgIcon lastIcon;
  } cases[] = {
      {"1 no sysvol",
       [](RunOptions& o) { o.txt_Domain = "nowhere.test"; },
       {},
       {"Unable to find \\\\nowhere.test\\sysvol.\nPlease verify the the domain name can be "
        "resolved and that you have proper permissions"},
       MsgIcon::Critical},
      {"2 passwords",
       [](RunOptions& o) { o.txt_Password[1] = o.txt_Password[0].toUpper(); },
       {},
       {"Passwords do not much. Please re-enter."},
       MsgIcon::Critical},
      {"3 no root",
       [](RunOptions& o) { o.txt_DirRoot.clear(); },
       {},
       {"You must specify a root location for public folder tree."},
       MsgIcon::Critical},
      {"4 root not made",
       [](RunOptions& o) { o.txt_DirRoot = "\\\\files\\data\\new"; },
       {MsgAnswer::No},
       {"\\\\files\\data\\new Does not exist. Create it?."},
       MsgIcon::None},
      {"4 root cannot be made",
       [](RunOptions& o) { o.txt_DirRoot = "\\\\files\\nope"; },
       {MsgAnswer::Yes},
       {"\\\\files\\nope Does not exist. Create it?.",
        "Unable to create directory. Please verify permissions and try again."},
       MsgIcon::Critical},
      {"5 OU path",
       [](RunOptions& o) { o.chk_CreateFullTree = false; },
       {},
       {"Some of the required text are empty. Please browse for the required OU."},
       MsgIcon::Critical},
      {"6 not UNC",
       [](RunOptions& o) { o.txt_DirRoot = "Enter a root path here"; },
       {},
       {"Root location for public folder tree must start with '\\\\'."},
       MsgIcon::None},
      {"7 no list",
       [](RunOptions& o) { o.txt_CSVFile = "missing.csv"; },
       {},
       {"Unable to find 'missing.csv'. Abroting."},
       MsgIcon::Critical},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    RunOptions o = startup({kJohn});
    c.change(o);
    ScriptedHost host(o);
    for (MsgAnswer a : c.answers) host.scriptAnswers({a});
    EXPECT_EQ(run(host), RunOutcome::EndedEarly);
    EXPECT_EQ(questionTexts(host), c.messages);
    EXPECT_EQ(host.questions().back().icon, c.lastIcon);
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
