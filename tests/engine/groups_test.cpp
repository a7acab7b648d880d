#include "engine/groups.h"

#include "core/dn.h"
#include "core/user_record.h"
#include "support/sandbox_run.h"

namespace quill {
namespace {

const QString kRoot = QStringLiteral("DC=example,DC=test");
const QString kGroups = QStringLiteral("OU=Groups,") + kRoot;
const QString kPeople = QStringLiteral("OU=People,") + kRoot;
const QString kHost = QStringLiteral("LDAP://example.test/");

class GroupsTest : public test::SandboxRun {
 protected:
  void SetUp() override {
    SandboxRun::SetUp();
    makeOu("Groups");
    makeOu("People");
    m_container = bind(kGroups);
  }
  void makeOu(const QString& name) {
    PendingError err;
    auto root = bind(kRoot);
    auto ou = dir().Create(*root, "organizationalUnit", "OU=" + name, err);
    dir().SetInfo(*ou, err);
    ASSERT_FALSE(err.isSet());
  }
  // A user in OU=People; returns its member path.
  QString makeUser(const QString& cn) {
    PendingError err;
    auto people = bind(kPeople);
    auto user = dir().Create(*people, "user", "CN=" + escapeDnValue(cn), err);
    dir().Put(*user, "samAccountName", cn.left(8) + QString::number(++m_users));
    dir().SetInfo(*user, err);
    EXPECT_FALSE(err.isSet()) << err.description().toStdString();
    return kHost + "CN=" + escapeDnValue(cn) + "," + kPeople;
  }
  QString pathOf(const QString& group) { return groupPath("example.test", group, kGroups); }
  int add(const QString& group, const QString& member, uint32_t* refusal = nullptr) {
    return AddMemberToGroup(ctx(), group, *m_container, pathOf(group), member, refusal);
  }
  QStringList members(const QString& group) {
    return dir().values("CN=" + escapeDnValue(group) + "," + kGroups, "member");
  }
  static QString dnOf(const QString& path) { return path.mid(kHost.size()); }

  std::unique_ptr<DirObject> m_container;
  int m_users = 0;
};

TEST_F(GroupsTest, GroupOfThePersonFollowsTheTwoOptions) {
  const UserRecord person(QStringLiteral("John,Smith,Clerk,Sales,Clerk,555"));
  const struct {
    bool dep, duty;
    QString group;
  } cases[] = {{true, false, "Sales"},
               {false, true, "Clerk"},
               {true, true, "Sales_Clerk"},
               {false, false, ""}};
  for (const auto& c : cases) {
    RunOptions o;
    o.chk_CreateDep = c.dep;
    o.chk_CreateDuty = c.duty;
    EXPECT_EQ(personGroupName(o, person), c.group) << c.dep << c.duty;
  }
  EXPECT_EQ(groupPath("example.test", "R&D, West", kGroups),
            "LDAP://example.test/CN=R&D\\, West," + kGroups);
}

TEST_F(GroupsTest, GroupIsCreatedOnceAndReceivesEveryMember) {
  const QString john = makeUser("John Smith");
  const QString anne = makeUser("Anne Smith");
  EXPECT_EQ(add("Sales", john), kGroupDone);
  EXPECT_EQ(add("SALES", anne), kGroupDone);
  EXPECT_EQ(lines(), QStringList({"Creating group 'Sales' in 'OU=Groups'...",
                                  "Adding '" + john + "' to '" + pathOf("Sales") + "'...",
                                  "Adding '" + anne + "' to '" + pathOf("SALES") + "'..."}));
  EXPECT_EQ(logFileLines(), lines());
  const QString dn = "CN=Sales," + kGroups;
  EXPECT_EQ(dir().values(dn, "sAMAccountName"), QStringList{"Sales"});
  EXPECT_EQ(members("Sales"), QStringList({dnOf(john), dnOf(anne)}));
  EXPECT_TRUE(FindInList(ctx().lists.CreatedGroups, "sales"));
  EXPECT_FALSE(ctx().counters.ErrorsOccurred);
}

TEST_F(GroupsTest, AlreadyAMemberPassesSilentlyAndIsNotRecorded) {
  const QString john = makeUser("John Smith");
  ASSERT_EQ(add("Sales", john), kGroupDone);
  ctx().lists.clear();  // a later run meets the group and the membership
  const qsizetype before = lines().size();
  EXPECT_EQ(add("Sales", john), kGroupDone);
  EXPECT_EQ(add("Sales", john), kGroupDone);
  const QString creating = "Creating group 'Sales' in 'OU=Groups'...";
  const QString adding = "Adding '" + john + "' to '" + pathOf("Sales") + "'...";
  EXPECT_EQ(lines().mid(before), QStringList({creating, adding, creating, adding}));
  EXPECT_FALSE(FindInList(ctx().lists.CreatedGroups, "Sales"));
  EXPECT_EQ(members("Sales").size(), 1);
  EXPECT_FALSE(ctx().counters.ErrorsOccurred);
}

TEST_F(GroupsTest, NothingIsAddedForAFailedUserOrABareMemberPath) {
  const struct {
    const char* what;
    bool userFailed;
    QString member;
  } cases[] = {
      {"user failed", true, makeUser("John Smith")},
      {"bare path", false, kHost},
      {"bare path, other case", false, "ldap://EXAMPLE.test/"},
  };
  for (const auto& c : cases) {
    ctx().counters.UserFailed = c.userFailed;
    const QString group = QString::fromLatin1(c.what);
    EXPECT_EQ(add(group, c.member), kGroupDone) << c.what;
    EXPECT_EQ(lines().last(), "Creating group '" + group + "' in 'OU=Groups'...") << c.what;
    EXPECT_TRUE(dir().contains("CN=" + escapeDnValue(group) + "," + kGroups)) << c.what;
    EXPECT_TRUE(members(group).isEmpty()) << c.what;
  }
  EXPECT_FALSE(ctx().counters.ErrorsOccurred);
}

TEST_F(GroupsTest, RefusedNestingIsLoggedFlaggedAndHandedBack) {
  setRootAttribute("nTMixedDomain", "1");
  const QString john = makeUser("John Smith");
  ASSERT_EQ(add("Sales_Clerk", john), kGroupDone);
  uint32_t refusal = 1;
  ASSERT_EQ(add("Sales", kHost, &refusal), kGroupDone);
  EXPECT_EQ(refusal, 0u);
  EXPECT_EQ(add("Sales", pathOf("Sales_Clerk"), &refusal), kGroupAddFailed);
  EXPECT_EQ(refusal, kErrUnwillingToPerform);
  EXPECT_EQ(lines().last(), "Error Adding '" + pathOf("Sales_Clerk") + "' to '" + pathOf("Sales") +
                                "'. Cause: " + defaultErrorDescription(kErrUnwillingToPerform));
  EXPECT_TRUE(ctx().counters.ErrorsOccurred);
  EXPECT_TRUE(members("Sales").isEmpty());
  EXPECT_EQ(members("Sales_Clerk"), QStringList{dnOf(john)}) << "users still join";

  // Any other failed add is handed back by its number too.
  EXPECT_EQ(add("Sales", kHost + "CN=Nobody," + kPeople, &refusal), kGroupAddFailed);
  EXPECT_EQ(refusal, kErrNoSuchObject);
}

TEST_F(GroupsTest, GroupThatCanNeitherBeMadeNorFoundIsReported) {
  const QString john = makeUser("John Smith");
  dir().setReadOnly(true);
  EXPECT_EQ(add("Sales", john), kGroupUnavailable);
  EXPECT_EQ(lines(), QStringList({"Creating group 'Sales' in 'OU=Groups'...",
                                  "Error creating group 'Sales' in 'OU=Groups'..."}));
  EXPECT_TRUE(ctx().counters.ErrorsOccurred);
  EXPECT_FALSE(FindInList(ctx().lists.CreatedGroups, "Sales"));
}

TEST_F(GroupsTest, HostileGroupNamesMakeOneGroupEachThatIsFoundAgainByItsPath) {
  const QString names[] = {"Sales,OU=Evil", "R&D \"West\"", "#1", " lead", "trail ", "a\\b", "x+y"};
  const QString john = makeUser("John Smith");
  const QString anne = makeUser("Anne Smith");
  for (const QString& name : names) {
    const int entries = dir().entryCount();
    EXPECT_EQ(add(name, john), kGroupDone) << name.toStdString();
    EXPECT_EQ(dir().entryCount(), entries + 1) << name.toStdString();
    const QString stored = dir().childDns(kGroups).last();
    const auto rdns = parseDn(stored);
    ASSERT_TRUE(rdns && rdns->size() == 4u) << stored.toStdString();
    EXPECT_EQ(rdns->front().front().value, name);
    EXPECT_EQ(dir().values(stored, "sAMAccountName"), QStringList{name});
    // The second member reaches the same group through its path.
    EXPECT_EQ(add(name, anne), kGroupDone) << name.toStdString();
    EXPECT_EQ(dir().values(stored, "member").size(), 2) << name.toStdString();
  }
  EXPECT_FALSE(ctx().counters.ErrorsOccurred);
}

}  // namespace
}  // namespace quill
