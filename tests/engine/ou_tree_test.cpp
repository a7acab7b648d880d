#include "engine/ou_tree.h"

#include "core/dn.h"
#include "support/sandbox_run.h"

namespace quill {
namespace {

const QString kRoot = QStringLiteral("DC=example,DC=test");
const QString kSkeleton = QStringLiteral("OU=OU's,") + kRoot;

class OuTreeTest : public test::SandboxRun {
 protected:
  // A container OU=name under the root for department OUs.
  std::unique_ptr<DirObject> makeContainer(const QString& name) {
    PendingError err;
    auto root = bind(kRoot);
    auto ou = dir().Create(*root, "organizationalUnit", "OU=" + name, err);
    if (ou) dir().SetInfo(*ou, err);
    EXPECT_FALSE(err.isSet()) << err.description().toStdString();
    return bind("OU=" + name + "," + kRoot);
  }
};

TEST_F(OuTreeTest, FullTreeBuildsTheSkeletonAndTakesItsUsersAndGroupsOus) {
  EXPECT_EQ(PrepareTargetOUs(ctx()), TargetOUs::Ready);
  EXPECT_EQ(dir().childDns(kSkeleton),
            QStringList({"OU=Users," + kSkeleton, "OU=Groups," + kSkeleton, "OU=GPO's," + kSkeleton,
                         "OU=Computers," + kSkeleton}));
  EXPECT_EQ(dir().values(kSkeleton, "objectClass").last(), "organizationalUnit");
  EXPECT_EQ(ctx().usersOuPath, "LDAP://example.test/OU=Users," + kSkeleton);
  EXPECT_EQ(ctx().groupsOuPath, "LDAP://example.test/OU=Groups," + kSkeleton);
  EXPECT_EQ(ctx().usersOuDn, "OU=Users," + kSkeleton);
  EXPECT_EQ(ctx().groupsOuDn, "OU=Groups," + kSkeleton);
  EXPECT_TRUE(lines().isEmpty());
  EXPECT_TRUE(m_host.questions().empty());
  EXPECT_FALSE(ctx().counters.ErrorsOccurred);

  // A second run finds everything in place: no change, no line, no message.
  const int entries = dir().entryCount();
  ctx().usersOuPath.clear();
  EXPECT_EQ(PrepareTargetOUs(ctx()), TargetOUs::Ready);
  EXPECT_EQ(dir().entryCount(), entries);
  EXPECT_EQ(ctx().usersOuPath, "LDAP://example.test/OU=Users," + kSkeleton);
  EXPECT_TRUE(lines().isEmpty());
  EXPECT_TRUE(m_host.questions().empty());
  EXPECT_FALSE(ctx().counters.ErrorsOccurred);
}

TEST_F(OuTreeTest, ExistingTopOuStillGetsItsMissingChildren) {
  makeContainer("OU's");
  EXPECT_EQ(CreateOUTree(ctx()), TargetOUs::Ready);
  EXPECT_EQ(dir().childDns(kSkeleton).size(), 4);
  EXPECT_TRUE(dir().contains("OU=Computers," + kSkeleton));
}

TEST_F(OuTreeTest, AccessDeniedShowsBothMessagesInOrderAndAborts) {
  dir().setReadOnly(true);
  EXPECT_EQ(PrepareTargetOUs(ctx()), TargetOUs::Abort);
  ASSERT_EQ(m_host.questions().size(), 2u);
  EXPECT_EQ(m_host.questions()[0].text, "Error. Access denied.");
  EXPECT_EQ(m_host.questions()[0].icon, MsgIcon::Critical);
  EXPECT_EQ(m_host.questions()[1].text, "Unable to create ou tree. Aborting.");
  EXPECT_EQ(m_host.questions()[1].icon, MsgIcon::None);
  EXPECT_EQ(m_host.questions()[1].buttons, MsgButtons::Ok);
  EXPECT_TRUE(ctx().counters.ErrorsOccurred);
  EXPECT_TRUE(ctx().usersOuPath.isEmpty());
  EXPECT_TRUE(ctx().groupsOuPath.isEmpty());
}

TEST_F(OuTreeTest, WithoutFullTreeTheBoxesAreTakenAndCutByThePrefixLength) {
  options().chk_CreateFullTree = false;
  const struct {
    QString box;
    QString dn;
  } cases[] = {
      {"LDAP://example.test/OU=Staff,DC=example,DC=test", "OU=Staff,DC=example,DC=test"},
      {"LDAP://example.test/", ""},
      {"LDAP://example.test", ""},  // the domain root as the OU browser first shows it
      {"", ""},
  };
  const int entries = dir().entryCount();
  for (const auto& c : cases) {
    options().txt_UsersOU = c.box;
    options().txt_GroupsOU = c.box;
    EXPECT_EQ(PrepareTargetOUs(ctx()), TargetOUs::Ready) << c.box.toStdString();
    EXPECT_EQ(ctx().usersOuPath, c.box);
    EXPECT_EQ(ctx().usersOuDn, c.dn) << c.box.toStdString();
    EXPECT_EQ(ctx().groupsOuDn, c.dn) << c.box.toStdString();
  }
  EXPECT_EQ(dir().entryCount(), entries) << "no skeleton without the full tree";
}

TEST_F(OuTreeTest, DepartmentOuIsMadeOncePerRunWithoutRegardToCase) {
  auto parent = makeContainer("Users");
  EXPECT_EQ(CreateDepartmentOU(ctx(), *parent, "Müller"), 0);
  EXPECT_EQ(CreateDepartmentOU(ctx(), *parent, "MÜLLER"), 0);
  EXPECT_EQ(CreateDepartmentOU(ctx(), *parent, "müller"), 0);
  EXPECT_EQ(lines(), QStringList{"Creating OU: 'Müller' in 'OU=Users'..."});
  EXPECT_EQ(logFileLines(), lines());
  EXPECT_EQ(dir().childDns("OU=Users," + kRoot), QStringList{"OU=Müller,OU=Users," + kRoot});
  EXPECT_EQ(ctx().lists.CreatedOUs.names(), QStringList{"Müller"});
  EXPECT_FALSE(ctx().counters.ErrorsOccurred);
}

TEST_F(OuTreeTest, OuLeftFromAnEarlierRunIsLoggedForEveryPersonAndIsNoError) {
  auto parent = makeContainer("Users");
  ASSERT_EQ(CreateDepartmentOU(ctx(), *parent, "Sales"), 0);
  ctx().lists.clear();  // the next run
  const qsizetype before = lines().size();
  EXPECT_EQ(CreateDepartmentOU(ctx(), *parent, "Sales"), 0);
  EXPECT_EQ(CreateDepartmentOU(ctx(), *parent, "Sales"), 0);
  EXPECT_EQ(lines().mid(before), QStringList(2, "Creating OU: 'Sales' in 'OU=Users'..."));
  EXPECT_EQ(ctx().lists.CreatedOUs.count(), 0);
  EXPECT_FALSE(ctx().counters.ErrorsOccurred);
}

TEST_F(OuTreeTest, FailedDepartmentOuSetsErrorsWithoutALineOfItsOwn) {
  auto parent = makeContainer("Users");
  dir().setReadOnly(true);
  EXPECT_EQ(CreateDepartmentOU(ctx(), *parent, "Sales"), 1);
  EXPECT_TRUE(ctx().counters.ErrorsOccurred);
  EXPECT_EQ(lines(), QStringList{"Creating OU: 'Sales' in 'OU=Users'..."});
  EXPECT_EQ(ctx().lists.CreatedOUs.count(), 0);
  EXPECT_TRUE(m_host.questions().empty());
}

// A department name is data: whatever it holds, it becomes the value of one
// OU directly under the parent, and the log shows it as the list gives it.
TEST_F(OuTreeTest, HostileDepartmentNamesBecomeExactlyOneOuUnderTheParent) {
  auto parent = makeContainer("Depts");
  const QString depts = "OU=Depts," + kRoot;
  const QString names[] = {"Sales,OU=Evil", "R&D \"West\"", "#1",  " lead",
                           "trail ",        "a\\b",         "x+y", "<a>;b=c"};
  for (const QString& name : names) {
    const int entries = dir().entryCount();
    const qsizetype children = dir().childDns(depts).size();
    EXPECT_EQ(CreateDepartmentOU(ctx(), *parent, name), 0) << name.toStdString();
    EXPECT_EQ(lines().last(), "Creating OU: '" + name + "' in 'OU=Depts'...");
    ASSERT_EQ(dir().entryCount(), entries + 1) << name.toStdString();
    ASSERT_EQ(dir().childDns(depts).size(), children + 1) << name.toStdString();
    const QString stored = dir().childDns(depts).last();
    const auto rdns = parseDn(stored);
    ASSERT_TRUE(rdns) << stored.toStdString();
    ASSERT_EQ(rdns->size(), 4u) << stored.toStdString();
    ASSERT_EQ(rdns->front().size(), 1u) << stored.toStdString();
    EXPECT_EQ(rdns->front().front().type, "OU");
    EXPECT_EQ(rdns->front().front().value, name) << stored.toStdString();
    EXPECT_EQ(parentDn(stored), depts);
  }
  EXPECT_FALSE(ctx().counters.ErrorsOccurred);
  EXPECT_FALSE(dir().contains("OU=Evil,OU=Depts," + kRoot));
}

}  // namespace
}  // namespace quill
