#include "engine/run_validation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <functional>

#include "support/sandbox_run.h"

namespace quill {
namespace {

using test::ScriptedHost;

class RunValidationTest : public test::SandboxRun {
 protected:
  void SetUp() override {
    SandboxRun::SetUp();
    ctx().domain = DomainStrings{};
    // Options that pass every check: the sandbox's domain and list, a root
    // that exists, the full tree (so no OU box is needed).
    options().txt_CSVFile = m_sandbox->dir() + QStringLiteral("/Users_list.csv");
    options().txt_DirRoot = QStringLiteral("\\\\files\\data");
  }

  // Gives the sandbox a server named domain with a sysvol share.
  void addDomainServer(const QString& domain) {
    m_sandbox->shares().addShare({domain, QStringLiteral("sysvol"), QStringLiteral("C:\\sysvol")});
    ASSERT_TRUE(
        QDir().mkpath(m_sandbox->shares().hostPathFor(domain, QStringLiteral("C:\\sysvol"))));
  }

  // The local folder of a UNC path of the sandbox.
  QString hostPath(const QString& unc) { return m_sandbox->files().hostPathFor(unc); }

  const ScriptedHost::Question& lastQuestion() const { return m_host.questions().back(); }
};

// Starting from options that break every check, mending one check at a time
// shows the checks' order, each message exactly once, and each code.
TEST_F(RunValidationTest, ChecksRunInTheirOrderEachWithItsMessage) {
  const QString missingList = m_tmp.path() + QStringLiteral("/nowhere.csv");
  const QString missingRoot = QStringLiteral("\\\\files\\data\\new");
  RunOptions& o = options();
  o.txt_Domain = QStringLiteral("nowhere.test");
  o.txt_Password = {QStringLiteral("a"), QStringLiteral("b")};
  o.txt_CSVFile = missingList;
  o.txt_DirRoot.clear();
  o.chk_CreateFullTree = false;

  const struct {
    const char* step;
    std::function<void(RunOptions&)> mend;  // applied before this check
    int code;
    QString text;
    MsgButtons buttons;
    MsgIcon icon;
  } cases[] = {
      {"sysvol", [](RunOptions&) {}, kValidationNoSysvol,
       "Unable to find \\\\nowhere.test\\sysvol.\nPlease verify the the domain name can be "
       "resolved and that you have proper permissions",
       MsgButtons::Ok, MsgIcon::Critical},
      {"passwords", [](RunOptions& r) { r.txt_Domain = "example.test"; },
       kValidationPasswordsDiffer, "Passwords do not much. Please re-enter.", MsgButtons::Ok,
       MsgIcon::Critical},
      {"user list", [](RunOptions& r) { r.txt_Password[1] = "a"; }, kValidationNoUserList,
       "Unable to find '" + missingList + "'. Abroting.", MsgButtons::Ok, MsgIcon::Critical},
      {"root empty", [&](RunOptions& r) { r.txt_CSVFile = m_sandbox->dir(); },
       kValidationNoFolderRoot, "You must specify a root location for public folder tree.",
       MsgButtons::Ok, MsgIcon::Critical},
      {"root not UNC", [](RunOptions& r) { r.txt_DirRoot = "Enter a root path here"; },
       kValidationRootNotUnc, "Root location for public folder tree must start with '\\\\'.",
       MsgButtons::Ok, MsgIcon::None},
      {"root missing, No", [&](RunOptions& r) { r.txt_DirRoot = missingRoot; },
       kValidationFolderRootMissing, missingRoot + " Does not exist. Create it?.",
       MsgButtons::YesNo, MsgIcon::None},
      {"OU boxes", [](RunOptions& r) { r.txt_DirRoot = "\\\\files\\data"; }, kValidationOuPathEmpty,
       "Some of the required text are empty. Please browse for the required OU.", MsgButtons::Ok,
       MsgIcon::Critical},
  };
  for (const auto& c : cases) {
    c.mend(o);
    const size_t before = m_host.questions().size();
    EXPECT_EQ(ValidateRunOptions(ctx()), c.code) << c.step;
    ASSERT_EQ(m_host.questions().size(), before + 1) << c.step;
    EXPECT_EQ(lastQuestion().text, c.text) << c.step;
    EXPECT_EQ(lastQuestion().buttons, c.buttons) << c.step;
    EXPECT_EQ(lastQuestion().icon, c.icon) << c.step;
  }
  EXPECT_FALSE(m_sandbox->files().exists(missingRoot)) << "No creates nothing";

  o.chk_CreateFullTree = true;
  const size_t before = m_host.questions().size();
  EXPECT_EQ(ValidateRunOptions(ctx()), kValidationOk);
  EXPECT_EQ(m_host.questions().size(), before);
  // Only the missing user list is logged, in the log file as in the help box.
  EXPECT_EQ(lines(), QStringList{"Unable to find '" + missingList + "'. Abroting."});
  EXPECT_EQ(logFileLines(), lines());
}

// How a domain becomes its strings is the derivation's own test.
TEST_F(RunValidationTest, DomainStringsAreSetOnceTheDomainIsFoundEvenWhenALaterCheckFails) {
  addDomainServer("x.y.z");
  options().txt_Domain = "x.y.z";
  options().txt_Password = {QStringLiteral("Secret"), QStringLiteral("secret")};
  EXPECT_EQ(ValidateRunOptions(ctx()), kValidationPasswordsDiffer);
  EXPECT_EQ(ctx().domain.DomainFqdn, "x.y.z");
  EXPECT_EQ(ctx().domain.DomainDnSuffix, ",DC=x,DC=y,DC=z");
  EXPECT_EQ(ctx().domain.LdapPrefix, "LDAP://x.y.z/");
  // An unreachable domain leaves the strings of the last run alone.
  options().txt_Domain = QStringLiteral("gone.test");
  EXPECT_EQ(ValidateRunOptions(ctx()), kValidationNoSysvol);
  EXPECT_EQ(ctx().domain.DomainFqdn, "x.y.z");
}

TEST_F(RunValidationTest, RunListsAreEmptiedBeforeTheFirstCheck) {
  ctx().lists.CreatedOUs.append(QStringLiteral("Sales"));
  ctx().lists.CreatedGroups.append(QStringLiteral("Sales_Clerk"));
  ctx().lists.CreatedShares.append(QStringLiteral("Sales_Public"));
  options().txt_Domain = QStringLiteral("nowhere.test");
  EXPECT_EQ(ValidateRunOptions(ctx()), kValidationNoSysvol);
  EXPECT_EQ(ctx().lists.CreatedOUs.count(), 0);
  EXPECT_EQ(ctx().lists.CreatedGroups.count(), 0);
  EXPECT_EQ(ctx().lists.CreatedShares.count(), 0);
  EXPECT_FALSE(FindInList(ctx().lists.CreatedOUs, QStringLiteral("sales")));
}

TEST_F(RunValidationTest, MissingRootIsCreatedWithItsParentsWhenTheUserSaysYes) {
  const QString root = QStringLiteral("\\\\files\\data\\Company\\Dept");
  options().txt_DirRoot = root;
  m_host.scriptAnswers({MsgAnswer::Yes});
  EXPECT_EQ(ValidateRunOptions(ctx()), kValidationOk);
  ASSERT_EQ(m_host.questions().size(), 1u);
  EXPECT_EQ(m_host.questions()[0].text, root + " Does not exist. Create it?.");
  EXPECT_TRUE(QFileInfo(hostPath(root)).isDir());
  // An existing root is not asked about again.
  EXPECT_EQ(ValidateRunOptions(ctx()), kValidationOk);
  EXPECT_EQ(m_host.questions().size(), 1u);
}

TEST_F(RunValidationTest, RootThatCannotBeCreatedEndsWithItsMessage) {
  // A file where a folder of the root should be: the folder cannot be made.
  QFile blocker(hostPath(QStringLiteral("\\\\files\\data")) + QStringLiteral("/blocker"));
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  options().txt_DirRoot = QStringLiteral("\\\\files\\data\\blocker\\sub");
  m_host.scriptAnswers({MsgAnswer::Yes});
  EXPECT_EQ(ValidateRunOptions(ctx()), kValidationFolderRootMissing);
  ASSERT_EQ(m_host.questions().size(), 2u);
  EXPECT_EQ(m_host.questions()[1].text,
            "Unable to create directory. Please verify permissions and try again.");
  EXPECT_EQ(m_host.questions()[1].buttons, MsgButtons::Ok);
  EXPECT_EQ(m_host.questions()[1].icon, MsgIcon::Critical);
}

TEST_F(RunValidationTest, OuBoxesAreRequiredOnlyForWhatIsWantedWithoutTheFullTree) {
  const struct {
    const char* what;
    bool fullTree, dep, duty, specific, createOUs;
    bool groupsBox, usersBox, departmentBox;
    int code;
  } cases[] = {
      {"nothing wanted", false, false, false, false, false, false, false, false, kValidationOk},
      {"department groups", false, true, false, false, false, false, true, true,
       kValidationOuPathEmpty},
      {"duty groups", false, false, true, false, false, false, true, true, kValidationOuPathEmpty},
      {"groups with box", false, true, true, false, false, true, false, false, kValidationOk},
      {"users on OU", false, false, false, true, false, true, false, true, kValidationOuPathEmpty},
      {"users on OU with box", false, false, false, true, false, false, true, false, kValidationOk},
      {"users box unused", false, false, false, false, false, false, false, false, kValidationOk},
      {"department OUs", false, false, false, false, true, true, true, false,
       kValidationOuPathEmpty},
      {"department OUs with box", false, false, false, false, true, false, false, true,
       kValidationOk},
      {"full tree, all empty", true, true, true, true, true, false, false, false, kValidationOk},
  };
  const QString box = QStringLiteral("LDAP://example.test/CN=Users,DC=example,DC=test");
  for (const auto& c : cases) {
    RunOptions& o = options();
    o.chk_CreateFullTree = c.fullTree;
    o.chk_CreateDep = c.dep;
    o.chk_CreateDuty = c.duty;
    o.chk_UsersOnSpecificOU = c.specific;
    o.chk_CreateOUs = c.createOUs;
    o.txt_GroupsOU = c.groupsBox ? box : QString();
    o.txt_UsersOU = c.usersBox ? box : QString();
    o.txt_DepartmentOU = c.departmentBox ? box : QString();
    EXPECT_EQ(ValidateRunOptions(ctx()), c.code) << c.what;
  }
}

TEST_F(RunValidationTest, EdgeCasesOfTheSimplerChecks) {
  const struct {
    const char* what;
    std::function<void(RunOptions&)> set;
    int code;
  } cases[] = {
      {"passwords differ in case only",
       [](RunOptions& o) {
         o.txt_Password = {"Secret", "secret"};
       },
       kValidationPasswordsDiffer},
      {"both passwords empty",
       [](RunOptions& o) {
         o.txt_Password = {"", ""};
       },
       kValidationOk},
      {"no folder option: root prompt not looked at",
       [](RunOptions& o) {
         o.chk_PrivDir = o.chk_PubDirSingle = o.chk_PubDirDep = false;
         o.txt_DirRoot = "Enter a root path here";
       },
       kValidationOk},
      {"root with one backslash", [](RunOptions& o) { o.txt_DirRoot = "\\files\\data"; },
       kValidationRootNotUnc},
      {"user list naming a folder", [&](RunOptions& o) { o.txt_CSVFile = m_tmp.path(); },
       kValidationOk},
      {"empty user list path", [](RunOptions& o) { o.txt_CSVFile.clear(); }, kValidationNoUserList},
  };
  for (const auto& c : cases) {
    RunOptions fresh;
    fresh.txt_CSVFile = m_sandbox->dir() + QStringLiteral("/Users_list.csv");
    fresh.txt_DirRoot = QStringLiteral("\\\\files\\data");
    c.set(fresh);
    options() = fresh;
    EXPECT_EQ(ValidateRunOptions(ctx()), c.code) << c.what;
  }
}

}  // namespace
}  // namespace quill
