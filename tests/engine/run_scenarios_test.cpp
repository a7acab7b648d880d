// Whole runs of the GO command on new sandboxes, one table row each: the set-up,
// the user list, the options, and what the run shows and leaves behind.
#include <functional>

#include "core/user_record.h"
#include "engine/user_accounts.h"
#include "support/sandbox_run.h"

namespace quill::test {
namespace {

const QString kJohn = QStringLiteral("John,Smith,Clerk,Sales,Clerk,555");
const QString kAnne = QStringLiteral("Anne,Smith,Manager,Sales,Manager,556");
const QString kErrors = "? Some errors occurred. Would you like to view the log file?";
const QString kWarnings = "? Some warnings occurred. Would you like to view the log file?";

// What a run shows; names as the list gives them, DNs escaped as the directory keeps them.
// clang-format off
QString processed(int n) { return QStringLiteral("? Processed %1 users succesfully.").arg(n); }
QString depOu(const QString& dep) { return "OU=" + dep + "," + kUsersOu; }
QString userDn(QString cn, QString dep = "Sales") { return "CN=" + cn + "," + depOu(dep); }
QString groupDn(const QString& group) { return "CN=" + group + "," + kGroupsOu; }
QString ou(const QString& name, const QString& in = "OU=Users") {
  return "Creating OU: '" + name + "' in '" + in + "'...";
}
QString user(const QString& login, const QString& ouDn = depOu("Sales")) {
  return "Creating user '" + login + "' in '" + kPrefix + ouDn + "'...";
}
QString group(const QString& name, const QString& in = "OU=Groups") {
  return "Creating group '" + name + "' in '" + in + "'...";
}
QString groupRefused(const QString& name) {
  return "Error creating group '" + name + "' in 'OU=Groups'...";
}
QString nameRefused(const QString& login, const QString& ouName) {
  return "Error: Unable to create '" + login + "' in 'OU=" + ouName +
         "'. Cause: A constraint violation occurred. The sAMAccountName holds a character a "
         "domain refuses.";
}
QString adding(const QString& memberDn, const QString& groupDn) {
  return "Adding '" + kPrefix + memberDn + "' to '" + kPrefix + groupDn + "'...";
}
// The group lines of the first person of department Sales with duty Clerk.
QStringList newGroups(const QString& memberDn) {
  return {group("Sales_Clerk"), adding(memberDn, groupDn("Sales_Clerk")), group("Sales"),
          adding(groupDn("Sales_Clerk"), groupDn("Sales"))};
}
QString exists(const QString& name) {
  return "Warning: '" + name + "' already exists. No changes will be made to the existing account.";
}
QString fallBack(const QString& taken, const QString& used, const QString& person) {
  return "Warning: '" + taken + "' already exists. Using '" + used + "' for " + person + ".";
}
QString creatingShare(const QString& share, const QString& tail) {
  return "Creating a share '" + share + "' on remote system 'files. The path for the new share is '"
         + kDataLocal + tail + "'.";
}
QString unableShare(const QString& share, const QString& tail) {
  return "Unable to create share '" + share + " ' on 'files'. Path: '" + kDataLocal + tail + "'.";
}
QString creatingDir(const QString& t) { return "Creating directory '" + kDataRoot + t + "'."; }
QStringList made(const QString& share, const QString& tail) {
  return {creatingDir(tail), creatingShare(share, tail)};
}
QString refused(const QString& share) {
  return "Error: '" + share + "' cannot be made a folder under '" + kDataRoot +
         "': a name may not hold \\ or / or a control character, or be . or ..";
}
// The folders of the start-up options: the private container, then the public folder.
const QStringList kPlan =
    made("All_Private", "\\All\\All_Private") + made("All_Public", "\\All\\All_Public");
const QStringList kPlanShares = {"All_Private=\\All\\All_Private", "All_Public=\\All\\All_Public"};
const QString kSalesShare = QStringLiteral("Sales_Public=\\All\\Sales_Public");
// clang-format on

// What the directory holds after the run: the values of attribute at dn, or
// with "children" the DNs below dn; {dn} alone: dn does not exist.
struct Holds {
  QString dn;
  QString attribute = "objectClass";
  QStringList values = {};
};

struct Scenario {
  const char* name = "";
  std::function<void(SandboxRun&)> setUp = {};  // on the start-up options with the list
  QStringList list = {};                        // the lines after the two headings
  RunOutcome outcome = RunOutcome::Success;
  QStringList shows = {};  // the log lines and, after "? ", the messages, in order
  std::vector<Holds> objects = {};
  QStringList shares = {};  // the shares made, "name=path" below D:\shares\data
  std::vector<MsgAnswer> answers = {};
  QString status = {};          // the last status line, when given
  bool opensLog = false;        // the summary's Yes opened the log
  QStringList rootWrites = {};  // what the folder plan wrote back into the root box
};

// clang-format off
// The three folder boxes and the private folders' location.
void folders(RunOptions& o, bool S, bool D, bool P, int location = kPrivateDirsCentral) {
  o.chk_PubDirSingle = S, o.chk_PubDirDep = D, o.chk_PrivDir = P;
  o.opt_PrivateDirsLocation = location;
}
void noFolders(SandboxRun& t) { folders(t.options(), false, false, false); }
void noGroups(SandboxRun& t) { t.options().chk_CreateDep = t.options().chk_CreateDuty = false; }
// Folders only: no OU, account or group.
void foldersOnly(SandboxRun& t, bool S, bool D, bool P, int location = kPrivateDirsCentral) {
  RunOptions& o = t.options();
  o.chk_CreateFullTree = o.chk_CreateOUs = o.chk_CreateUsers = o.chk_CreateDep = false;
  o.chk_CreateDuty = false, folders(o, S, D, P, location);
}
void take(SandboxRun& t, QString sam) { t.add("CN=Users," + kRootDn, "CN=" + sam, "user", sam); }
// clang-format on
void blockWithFile(SandboxRun& t, const QString& tail) {
  ASSERT_TRUE(QDir().mkpath(t.dataFolder()));
  QFile file(t.dataFolder(tail));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
}

class RunScenarios : public SandboxRun {
 public:
  void play(const Scenario& s) {
    SCOPED_TRACE(s.name);
    reopen();
    options().txt_CSVFile = writeList(s.list);
    if (s.setUp) s.setUp(*this);
    m_host.scriptAnswers(s.answers);
    const QStringList outside = outsideDataRoot();

    EXPECT_EQ(run(m_host), s.outcome);
    EXPECT_EQ(m_host.transcript(), s.shows);
    for (const Holds& h : s.objects) {
      const QStringList actual =
          h.attribute == "children" ? dir().childDns(h.dn) : dir().values(h.dn, h.attribute);
      EXPECT_EQ(actual, h.values) << (h.dn + " " + h.attribute).toStdString();
    }
    EXPECT_EQ(newShares(), s.shares);
    EXPECT_TRUE(s.status.isEmpty() || m_host.status() == s.status) << m_host.status().toStdString();
    EXPECT_EQ(m_host.openedLogs(), s.opensLog ? QStringList{m_log.path()} : QStringList());
    EXPECT_EQ(m_host.dirRootWrites(), s.rootWrites);
    EXPECT_FALSE(m_host.busy());
    EXPECT_EQ(outsideDataRoot(), outside) << "a folder outside the root was touched";
    // Whatever the run stored survives the sandbox's save and load.
    MemoryDirectory reloaded("example.test");
    EXPECT_TRUE(reloaded.fromLdif(dir().toLdif(), nullptr));
    EXPECT_EQ(reloaded.toLdif(), dir().toLdif());
  }
};

TEST_F(RunScenarios, OusAccountsGroupsAndTheList) {
  // clang-format off
  const QString john = userDn("John Smith"), anne = userDn("Anne Smith"), ann = userDn("Ann\\ ");
  const QString clerks = groupDn("Sales_Clerk"), sales = groupDn("Sales"), clerk = groupDn("Clerk");
  const QString skeleton = "OU=OU's," + kRootDn, staff = "OU=Staff," + kRootDn;
  const QString evil = "Sales\\+OU=Evil", west = "R&D \\\"West\\\"", smith = userDn("\\ Smith");
  const QString refusedAccount = "Error: Unable to create 'JSmith' in 'CN=Users'. Cause: Access is "
                                 "denied.", shortLine = "Error: Subscript out of range";
  const QStringList mixedMode = {
      ou("Sales"), user("JSmith"), group("Sales_Clerk"), adding(john, clerks), group("Sales"),
      adding(clerks, sales), "Error Adding '" + kPrefix + clerks + "' to '" + kPrefix + sales +
          "'. Cause: The server is unwilling to process the request.",
      "Domain is mixed mode. Global group nesting is disabled.",
      "? Since the domain's functional level is not set to 'Windows 2000 native' or higher, There "
      "is not possibility to insert one global security group to another.\nWould you like to "
      "continue without building groups tree ?"};
  const Holds skeletonOus = {skeleton, "children", {kUsersOu, kGroupsOu, "OU=GPO's," + skeleton,
                                                    "OU=Computers," + skeleton}};
  const auto mixed = [](SandboxRun& t) { noFolders(t), t.setRootAttribute("nTMixedDomain", "1"); };
  const Scenario scenarios[] = {
      {.name = "a new sandbox: the road of a person, then of a second of the department, "
               "written in capitals, who finds its OU, folder, share and groups made",
       .setUp = [](SandboxRun& t) { t.options().txt_EmailDomain = "mail.test"; },
       .list = {kJohn, "Anne,Smith,Manager,SALES,Clerk,556"},
       .shows = kPlan + QStringList{ou("Sales")} + made("Sales_Public", "\\All\\Sales_Public") +
                QStringList{user("JSmith")} + newGroups(john) +
                QStringList{user("ASmith", depOu("SALES")), adding(anne, groupDn("SALES_Clerk")),
                            adding(groupDn("SALES_Clerk"), groupDn("SALES")), processed(2)},
       .objects = {skeletonOus, {kUsersOu, "children", {depOu("Sales")}},
                   {john, "sAMAccountName", {"JSmith"}}, {john, "sn", {"Smith"}},
                   {john, "userPrincipalName", {"JSmith@example.test"}},
                   {john, "description", {"Clerk"}}, {john, "telephoneNumber", {"555"}},
                   {john, "mail", {"JSmith@mail.test"}}, {john, "pwdLastSet", {"0"}},
                   {john, "displayName", {"John Smith"}}, {john, "givenName", {"John"}},
                   {john, "userAccountControl", {"512"}},  // enabled, needs its password
                   {sales, "member", {clerks}},
                   {clerks, "member", {john, anne}}, {clerks, "sAMAccountName", {"Sales_Clerk"}}},
       .shares = kPlanShares + QStringList{kSalesShare},
       .status = "2 users processed  Succesfully."},
      {.name = "access denied at the first OU ends the run",
       .setUp = [](SandboxRun& t) { t.dir().setReadOnly(true); },
       .list = {kJohn}, .outcome = RunOutcome::EndedEarly,
       .shows = {"? Error. Access denied.", "? Unable to create ou tree. Aborting."},
       .objects = {{skeleton}}},
      {.name = "a directory that refuses every change; a department container that is missing",
       .setUp = [](SandboxRun& t) {
         RunOptions& o = t.options();
         noFolders(t), o.chk_CreateFullTree = o.chk_CreateDuty = false;
         o.chk_UsersOnSpecificOU = true, o.txt_UsersOU = kPrefix + "CN=Users," + kRootDn;
         o.txt_GroupsOU = o.txt_UsersOU, o.txt_DepartmentOU = kPrefix + "OU=Missing," + kRootDn;
         t.dir().setReadOnly(true);
       },
       .list = {kJohn}, .outcome = RunOutcome::Errors,
       .shows = {"Error: There is no such object on the server.",
                 user("JSmith", "CN=Users," + kRootDn), refusedAccount, refusedAccount,
                 "Error: 'John Smith' will not be created.", group("Sales", "CN=Users"),
                 "Error creating group 'Sales' in 'CN=Users'...", kErrors}},
      {.name = "department OUs and groups in a container of the user's choice",
       .setUp = [](SandboxRun& t) {
         noFolders(t), t.add(kRootDn, "OU=Staff", "organizationalUnit");
         t.options().chk_CreateFullTree = false;
         t.options().txt_DepartmentOU = t.options().txt_GroupsOU = kPrefix + "OU=Staff," + kRootDn;
       },
       .list = {kJohn},
       .shows = {ou("Sales", "OU=Staff"), user("JSmith", "OU=Sales," + staff),
                 group("Sales_Clerk", "OU=Staff"),
                 adding("CN=John Smith,OU=Sales," + staff, "CN=Sales_Clerk," + staff),
                 group("Sales", "OU=Staff"), adding("CN=Sales_Clerk," + staff, "CN=Sales," + staff),
                 processed(1)},
       .objects = {{skeleton}}},
      {.name = "empty fields write no attribute; duty groups alone; e-mail switched off",
       .setUp = [](SandboxRun& t) {
         noFolders(t), t.options().chk_CreateDep = t.options().chk_EmailDomain = false;
         t.options().txt_EmailDomain = "mail.test";
       },
       .list = {",Smith,,Sales,Clerk,", "Ann,,Desk,Sales,Clerk,1"},
       .shows = {ou("Sales"), user("Smith"), group("Clerk"), adding(smith, clerk), user("A"),
                 adding(ann, clerk), processed(2)},
       .objects = {{smith, "displayName", {" Smith"}}, {smith, "sn", {"Smith"}},
                   {smith, "givenName"}, {smith, "description"}, {smith, "telephoneNumber"},
                   {smith, "mail"}, {ann, "givenName", {"Ann"}}, {ann, "sn"}}},
      {.name = "fall-back login names join their groups; the last name first",
       .setUp = [](SandboxRun& t) {
         noFolders(t), t.m_patterns.LastNameFirst = true;
         for (const char* sam : {"SJohn", "BJames", "BoJames"}) take(t, sam);
       },
       .list = {kJohn, "James,Bond,Agent,Sales,Clerk,007"}, .outcome = RunOutcome::Warnings,
       .shows = QStringList{ou("Sales"), user("SJohn"), exists("SJohn"),
                            fallBack("SJohn", "SmJohn", "Smith John")} + newGroups(john) +
                QStringList{user("BJames"), exists("BJames"), "Warning: 'BJames' and 'BoJames' "
                            "already exists. Using 'BonJames' for Bond James.",
                            adding(userDn("James Bond"), clerks), adding(clerks, sales), kWarnings},
       .objects = {{john, "sAMAccountName", {"SmJohn"}}, {john, "mail"}},
       .status = "2 users processed . Some warnings occurred."},
      {.name = "no free login name; a password the domain refuses leaves a disabled account",
       .setUp = [](SandboxRun& t) {
         noFolders(t), t.options().chk_CreateDep = false;
         for (const char* sam : {"JSmith", "JoSmith", "JohSmith"}) take(t, sam);
         t.setRootAttribute("minPwdLength", "20");
       },
       .list = {kJohn, "Ann,Adams,x,Sales,Clerk,1"}, .outcome = RunOutcome::Errors,
       .shows = {ou("Sales"), user("JSmith"), exists("JSmith"), "Error: 'JSmith', 'JoSmith' and "
                 "'JohSmith' exists! John Smith will not be created.", "Error: Unable to create '' "
                 "in 'OU=Sales'. Cause: A constraint violation occurred. The value of "
                 "samAccountName is empty.", "Error: 'John Smith' will not be created.",
                 group("Clerk"), user("AAdams"), fallBack("AAdams", "AnAdams", "Ann Adams"),
                 exists("AnAdams"), "Error: 'Ann Adams' will not be created.", kErrors},
       .objects = {{john}, {clerk, "member"}, {userDn("Ann Adams"), "sAMAccountName", {"AAdams"}},
                   {userDn("Ann Adams"), "displayName"},
                   {userDn("Ann Adams"), "userAccountControl", {"546"}}}},
      {.name = "an OU left from before is no error, one that cannot be made is; missing OUs made",
       .setUp = [](SandboxRun& t) {
         noFolders(t), noGroups(t), t.options().chk_CreateUsers = false;
         t.add(kRootDn, "OU=OU's", "organizationalUnit");
         t.add("OU=OU's," + kRootDn, "OU=Users", "organizationalUnit");
         t.add(kUsersOu, "OU=Sales", "organizationalUnit");
       },
       .list = {kJohn, "Ann,Adams,x,,Clerk,1", kAnne}, .outcome = RunOutcome::Errors,
       .shows = {ou("Sales"), ou(""), ou("Sales"), kErrors},
       .objects = {skeletonOus, {kUsersOu, "children", {depOu("Sales")}}}},
      {.name = "mixed mode, Yes: the run goes on without nesting",
       .setUp = mixed, .list = {kJohn, kAnne}, .outcome = RunOutcome::Errors,
       .shows = mixedMode + QStringList{user("ASmith"), group("Sales_Manager"),
                                        adding(anne, groupDn("Sales_Manager")), group("Sales"),
                                        kErrors},
       .objects = {{sales, "member"}, {groupDn("Sales_Manager"), "member", {anne}}},
       .answers = {MsgAnswer::Yes}},
      {.name = "mixed mode, No: the run stops",
       .setUp = mixed, .list = {kJohn, kAnne}, .outcome = RunOutcome::EndedEarly,
       .shows = mixedMode + QStringList{"? Some objects has been created during the process but "
                                        "the process was interupted by the user."},
       .objects = {{sales, "member"}, {anne}}},
      {.name = "names from the list stay data in the directory, and no login name holds what a "
               "domain refuses",
       .setUp = [](SandboxRun& t) { noFolders(t), t.options().chk_CreateDuty = false; },
       .list = {"Jo+OU=Evil,Smith,x,R&D \"West\",Clerk,1", "#Ann,Lee,x,#1,Clerk,2",
                " Bo,Ray ,x,a\\b,Clerk,3", "\"Q\",<x>;y,x,Sales+OU=Evil,Clerk,4"},
       .outcome = RunOutcome::Errors,
       .shows = {ou("R&D \"West\""), user("JSmith", depOu(west)), group("R&D \"West\""),
                 groupRefused("R&D \"West\""),
                 ou("#1"), user("#Lee", depOu("\\#1")), group("#1"),
                 adding(userDn("\\#Ann Lee", "\\#1"), groupDn("\\#1")),
                 ou("a\\b"), user(" Ray ", depOu("a\\\\b")), group("a\\b"), groupRefused("a\\b"),
                 ou("Sales+OU=Evil"), user("\"<x>;y", depOu(evil)),
                 nameRefused("\"<x>;y", evil), nameRefused("\"<x>;y", evil),
                 "Error: '\"Q\" <x>;y' will not be created.", group("Sales+OU=Evil"),
                 groupRefused("Sales+OU=Evil"), kErrors},
       .objects = {{kUsersOu, "children",
                    {depOu(west), depOu("\\#1"), depOu("a\\\\b"), depOu(evil)}}}},
      {.name = "options changed during a run apply to the persons after",
       .setUp = [](SandboxRun& t) {
         noFolders(t), t.m_host.onYield = [](ScriptedHost& h) {
           if (h.status() == "1 users processed ") h.runOptions().chk_CreateDuty = false;
         };
       },
       .list = {kJohn, kAnne},
       .shows = QStringList{ou("Sales"), user("JSmith")} + newGroups(john) +
                QStringList{user("ASmith"), adding(anne, sales), processed(2)},
       .objects = {{groupDn("Sales_Manager")}, {sales, "member", {clerks, anne}}}},
      {.name = "short lines give one generic error per step and are counted",
       .setUp = noFolders, .list = {"Bob,Short", "", kJohn}, .outcome = RunOutcome::Errors,
       .shows = QStringList(7, shortLine) + QStringList{ou("Sales"), user("JSmith")} +
                newGroups(john) + QStringList{kErrors},
       .objects = {{kUsersOu, "children", {depOu("Sales")}}},
       .status = "3 users processed . Some errors occurred."},
      {.name = "lone line feeds make the whole list one line",
       .setUp = [](SandboxRun& t) { t.options().txt_CSVFile = t.writeList({kJohn}, "\n"); },
       .outcome = RunOutcome::Errors,
       .shows = kPlan + QStringList{"Error: Input past end of file", kErrors},
       .shares = kPlanShares},
      {.name = "errors are asked about before warnings, and Yes opens the log",
       .setUp = [](SandboxRun& t) { noFolders(t), noGroups(t), take(t, "JSmith"); },
       .list = {kJohn, "Short,Line"}, .outcome = RunOutcome::Errors,
       .shows = {ou("Sales"), user("JSmith"), exists("JSmith"),
                 fallBack("JSmith", "JoSmith", "John Smith"), shortLine, shortLine, kErrors},
       .answers = {MsgAnswer::Yes}, .opensLog = true},
      {.name = "a user list that is a folder ends the run",
       .setUp = [](SandboxRun& t) { noFolders(t), t.options().txt_CSVFile = t.m_tmp.path(); },
       .outcome = RunOutcome::EndedEarly,
       .shows = {"? Error. Unable to read the user list '" + m_tmp.path() +
                 "': The path names a folder, not a file."}},
      {.name = "nothing chosen: the list is still read and counted",
       .setUp = [](SandboxRun& t) { foldersOnly(t, 0, 0, 0), t.options().txt_DirRoot = "x"; },
       .list = {kJohn}, .shows = {"? Please select an option.", processed(1)}},
  };
  // clang-format on
  for (const Scenario& s : scenarios) play(s);
}

// Each check of the options, in their order: a row breaks its check and every
// check after it, and the run ends before anything is made.
TEST_F(RunScenarios, ChecksBeforeARun) {
  // clang-format off
  const auto breakFrom = [](SandboxRun& t, int from) {
    RunOptions& o = t.options();
    if (from <= 1) o.txt_Domain = "nowhere.test";
    if (from <= 2) o.txt_Password = {"Secret", "secret"};
    if (from <= 3) o.txt_CSVFile = "missing.csv";
    if (from <= 4) o.txt_DirRoot.clear();
    o.chk_CreateFullTree = false;  // and no OU box filled in
  };
  const QString newRoot = "\\\\files\\data\\new\\x";
  const QString create = "? " + newRoot + " Does not exist. Create it?.";
  const QString noList = "Unable to find 'missing.csv'. Abroting.";
  const auto early = RunOutcome::EndedEarly;
  const Scenario scenarios[] = {
      {.name = "no sysvol", .setUp = [&](SandboxRun& t) { breakFrom(t, 1); }, .outcome = early,
       .shows = {"? Unable to find \\\\nowhere.test\\sysvol.\nPlease verify the the domain name "
                 "can be resolved and that you have proper permissions"}},
      {.name = "the passwords differ", .setUp = [&](SandboxRun& t) { breakFrom(t, 2); },
       .outcome = early, .shows = {"? Passwords do not much. Please re-enter."}},
      {.name = "no user list", .setUp = [&](SandboxRun& t) { breakFrom(t, 3); }, .outcome = early,
       .shows = {"? " + noList, noList}},
      {.name = "no folder root", .setUp = [&](SandboxRun& t) { breakFrom(t, 4); }, .outcome = early,
       .shows = {"? You must specify a root location for public folder tree."}},
      {.name = "a root that is no UNC path",
       .setUp = [&](SandboxRun& t) { breakFrom(t, 5), t.options().txt_DirRoot = "\\files\\x"; },
       .outcome = early,
       .shows = {"? Root location for public folder tree must start with '\\\\'."}},
      {.name = "No to a missing root",
       .setUp = [&](SandboxRun& t) { breakFrom(t, 6), t.options().txt_DirRoot = newRoot; },
       .outcome = early, .shows = {create}},
      {.name = "a root that cannot be made",
       .setUp = [&](SandboxRun& t) {
         breakFrom(t, 6), blockWithFile(t, "\\new"), t.options().txt_DirRoot = newRoot;
       },
       .outcome = early,
       .shows = {create, "? Unable to create directory. Please verify permissions and try again."},
       .answers = {MsgAnswer::Yes}},
      {.name = "a groups box left empty",
       .setUp = [&](SandboxRun& t) {
         breakFrom(t, 7), t.options().chk_CreateOUs = t.options().chk_CreateDuty = false;
       },
       .outcome = early,
       .shows = {"? Some of the required text are empty. Please browse for the required OU."},
       .objects = {{"OU=OU's," + kRootDn}}},
      {.name = "Yes to a missing root makes it with its parents",
       .setUp = [&](SandboxRun& t) { foldersOnly(t, 1, 0, 0), t.options().txt_DirRoot = newRoot; },
       .shows = QStringList{create} + made("All_Public", "\\new\\x\\All_Public") << processed(0),
       .shares = {"All_Public=\\new\\x\\All_Public"}, .answers = {MsgAnswer::Yes}},
  };
  // clang-format on
  for (const Scenario& s : scenarios) play(s);
}

TEST_F(RunScenarios, FolderPlanForEveryChoiceOfTheFolderBoxes) {
  // clang-format off
  const int C = kPrivateDirsCentral, PD = kPrivateDirsPerDepartment;
  const QString pub = "All_Public=\\All\\All_Public", priv = "All_Private=\\All\\All_Private";
  const QString tree = "Sales_Public=\\All\\Sales\\Sales_Public";
  const QString privTree = "Sales_Private=\\All\\Sales\\Sales_Private";
  const struct {
    bool S, D, P;
    int location;
    QStringList shares;  // "name=tail", in the order made
  } rows[] = {
      {1, 0, 0, C, {"All_Public=\\All_Public"}},  {0, 1, 0, C, {"Sales_Public=\\Sales_Public"}},
      {1, 1, 0, C, {pub, kSalesShare}},           {0, 0, 1, C, {"All_Private=\\All_Private"}},
      {0, 0, 1, PD, {"Sales_Private=\\Sales_Private"}},
      {1, 0, 1, C, {pub, priv}},      {1, 0, 1, PD, {pub, "Sales_Private=\\All\\Sales_Private"}},
      {1, 1, 1, C, {priv, pub, kSalesShare}},     {1, 1, 1, PD, {pub, tree, privTree}},
      {0, 1, 1, C, {priv, kSalesShare}},          {0, 1, 1, PD, {tree, privTree}},
  };
  // clang-format on
  for (const auto& row : rows) {
    // clang-format off
    QStringList shows;
    for (const QString& s : row.shares) shows << made(s.section('=', 0, 0), s.section('=', 1));
    const std::string name = "folder boxes, row " + std::to_string(&row - rows);
    play({.name = name.c_str(), .setUp = [&](SandboxRun& t) { foldersOnly(t, row.S, row.D, row.P,
                                                                          row.location); },
          .list = {kJohn}, .shows = shows << processed(1), .shares = row.shares});
    // clang-format on
  }
}

TEST_F(RunScenarios, FoldersAndShares) {
  // clang-format off
  QStringList refusals, hostile, lateRefusals;
  for (const QString dep : {"..", "."}) {
    refusals << refused(dep + "_Public") << refused(dep + "_Private");
    hostile << "A,B,x," + dep + ",d,1";
  }
  // An empty department's folders sit under the doubled separator's one level; a %NAME% from
  // the list is a name, never expanded.
  QStringList literal, literalShares;
  for (const QString dep : {"", "%QUILL_T_UP%", "%QUILL_T_UNSET%"}) {
    hostile << "A,B,x," + dep + ",d,1";
    for (const QString kind : {"_Public", "_Private"}) {
      const QString tail = "\\All\\" + dep + "\\" + dep + kind;
      literal << made(dep + kind, tail);
      literalShares << dep + kind + "=" + QString(tail).replace("\\\\", "\\");
    }
  }
  for (const QString dep : {"a\\b", "tab\tx"}) {
    const QString shown = QString(dep).replace("\t", "\\t");  // as the log shows it
    lateRefusals << refused(shown + "_Public") << refused(shown + "_Private");
    hostile << "A,B,x," + dep + ",d,1";
  }
  qputenv("QUILL_T_UP", "..\\..\\..\\..\\escape");
  qunsetenv("QUILL_T_UNSET");
  qputenv("QUILL_T_DIR", "planned");
  const QString unexpanded = kDataRoot + "\\%QUILL_T_DIR%", taken = "\\Sales_Public";
  const QStringList asked = {"? " + unexpanded + " Does not exist. Create it?.",
                             "? Unable to find '" + unexpanded + "'. Continue anyway?"};
  const auto missingRoot = [&](SandboxRun& t) {
    foldersOnly(t, 1, 1, 1), t.options().txt_DirRoot = unexpanded;
  };
  const Scenario scenarios[] = {
      {.name = "department names never take a folder out of the root",
       .setUp = [](SandboxRun& t) { foldersOnly(t, 0, 1, 1, kPrivateDirsPerDepartment); },
       .list = hostile + QStringList{"G,H,x,..x,d,1"}, .outcome = RunOutcome::Errors,
       .shows = refusals + literal + lateRefusals + made("..x_Public", "\\All\\..x\\..x_Public") +
                made("..x_Private", "\\All\\..x\\..x_Private") + QStringList{kErrors},
       .shares = literalShares + QStringList{"..x_Public=\\All\\..x\\..x_Public",
                                             "..x_Private=\\All\\..x\\..x_Private"}},
      {.name = "hidden shares carry the $ on the server only; a root below the share extends its "
               "path, and a trailing \\ is dropped",
       .setUp = [](SandboxRun& t) {
         foldersOnly(t, 1, 0, 0), t.options().chk_HiddenShares = true;
         ASSERT_TRUE(QDir().mkpath(t.dataFolder("\\staff")));
         t.options().txt_DirRoot = kDataRoot + "\\staff\\";
       },
       .shows = made("All_Public", "\\staff\\All_Public") << processed(0),
       .shares = {"All_Public$=\\staff\\All_Public"}, .rootWrites = {kDataRoot + "\\staff"}},
      {.name = "a run-wide folder that cannot be made ends the run",
       .setUp = [](SandboxRun& t) { foldersOnly(t, 1, 1, 1), blockWithFile(t, "\\All"); },
       .list = {kJohn}, .outcome = RunOutcome::EndedEarly,
       .shows = {creatingDir("\\All\\All_Private"),
                 "Faild to create directory '" + kDataRoot + "\\All\\All_Private'"}},
      {.name = "a share name that is taken is reported for every person",
       .setUp = [](SandboxRun& t) {
         foldersOnly(t, 0, 1, 0);
         t.m_sandbox->shares().addShare({"files", "Sales_Public", kDataLocal});
       },
       .list = {kJohn, kAnne}, .outcome = RunOutcome::Errors,
       .shows = made("Sales_Public", taken) + QStringList{unableShare("Sales_Public", taken),
                creatingShare("Sales_Public", taken), unableShare("Sales_Public", taken), kErrors},
       .shares = {"Sales_Public="}},
      {.name = "a root still missing at the plan, Yes: no folders", .setUp = missingRoot,
       .list = {kJohn}, .shows = asked + QStringList{processed(1)},
       .answers = {MsgAnswer::Yes, MsgAnswer::Yes}},
      {.name = "a root still missing at the plan, No: the run ends", .setUp = missingRoot,
       .list = {kJohn}, .outcome = RunOutcome::EndedEarly, .shows = asked,
       .answers = {MsgAnswer::Yes, MsgAnswer::No}},
  };
  // clang-format on
  for (const Scenario& s : scenarios) play(s);
}

// The account step called on its own: it flags its outcome for the summary and
// the group step, which a whole run does not show.
TEST_F(RunScenarios, AccountStepFlagsItsOutcome) {
  const struct {
    const char* what;
    std::function<void(SandboxRun&)> setUp;
    int code;
    bool errors, warnings, userFailed;
  } cases[] = {
      // clang-format off
      {"created", [](SandboxRun&) {}, kUserCreated, false, false, false},
      {"name taken", [](SandboxRun& t) { take(t, "JSmith"); }, kUserExistsOrIncomplete,
       false, true, true},
      {"refused", [](SandboxRun& t) { t.dir().setReadOnly(true); }, kUserCreateFailed,
       true, false, true},
      {"password refused", [](SandboxRun& t) { t.setRootAttribute("minPwdLength", "20"); },
       kUserExistsOrIncomplete, true, false, true},
      // clang-format on
  };
  for (const auto& c : cases) {
    reopen();
    c.setUp(*this);
    QString dn;
    const std::unique_ptr<DirObject> users = bind("CN=Users," + kRootDn);
    EXPECT_EQ(CreateUserAccount(ctx(), UserRecord(kJohn), *users, "JSmith", dn), c.code) << c.what;
    EXPECT_EQ(dn.isEmpty(), c.code != kUserCreated) << c.what;
    EXPECT_EQ(ctx().counters.ErrorsOccurred, c.errors) << c.what;
    EXPECT_EQ(ctx().counters.WarningsOccurred, c.warnings) << c.what;
    EXPECT_EQ(ctx().counters.UserFailed, c.userFailed) << c.what;
  }
}

// The one test of a re-run: the same list on the same sandbox changes nothing.
TEST_F(RunScenarios, SecondRunChangesNoExistingObject) {
  options().txt_CSVFile = writeList({kJohn});
  RunDriver driver(m_sandbox->platform(), m_host, m_log, m_patterns);
  EXPECT_TRUE(driver.DomainFqdn().isNull());
  ASSERT_EQ(driver.cmd_GO_Click(), RunOutcome::Success);
  EXPECT_EQ(driver.DomainFqdn(), "example.test");
  const QByteArray ldif = dir().toLdif();
  const QStringList shares = newShares();
  ScriptedHost second(options());
  EXPECT_EQ(run(second), RunOutcome::Errors);  // every share and account is there already
  EXPECT_EQ(dir().toLdif(), ldif);
  EXPECT_EQ(newShares(), shares);
}

}  // namespace
}  // namespace quill::test
