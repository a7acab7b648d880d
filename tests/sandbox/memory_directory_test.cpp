#include "sandbox/memory_directory.h"

#include <gtest/gtest.h>

#include "support/qt_print.h"

namespace quill {
namespace {

const QString kRoot = "DC=example,DC=test";
const QString kUsers = "CN=Users," + kRoot;

class MemoryDirectoryTest : public ::testing::Test {
 protected:
  void SetUp() override { m_dir.addBaseEntries(); }

  std::unique_ptr<DirObject> bind(const QString& dn) {
    PendingError err;
    auto obj = m_dir.Bind("LDAP://example.test/" + dn, err);
    EXPECT_TRUE(obj) << dn.toStdString() << ": " << err.description().toStdString();
    return obj;
  }

  // Creates cls named rdn in the container dn, with sAMAccountName sam when
  // given; returns the pending error number (0 when stored).
  uint32_t create(const QString& container, const QString& cls, const QString& rdn,
                  const QString& sam = {}) {
    PendingError err;
    auto parent = bind(container);
    auto obj = m_dir.Create(*parent, cls, rdn, err);
    if (!obj) return err.number();
    if (!sam.isEmpty()) m_dir.Put(*obj, "samAccountName", sam);
    m_dir.SetInfo(*obj, err);
    return err.number();
  }

  MemoryDirectory m_dir{"example.test"};
};

TEST_F(MemoryDirectoryTest, BindsTheDomainByEveryPathForm) {
  const struct {
    QString path;
    uint32_t error;
  } cases[] = {{"LDAP://example.test", 0},
               {"LDAP://DC1.EXAMPLE.TEST/" + kUsers, 0},
               {"LDAP://" + kUsers, 0},
               {"LDAP://other.test", kErrServerDown},
               {"LDAP://notexample.test", kErrServerDown},
               {"LDAP://example.test/OU=Nowhere," + kRoot, kErrNoSuchObject},
               {"LDAP://example.test/CN=a,,DC=x", kErrInvalidDnSyntax}};
  for (const auto& c : cases) {
    PendingError err;
    auto obj = m_dir.Bind(c.path, err);
    EXPECT_EQ(err.number(), c.error) << c.path.toStdString();
    EXPECT_EQ(obj != nullptr, c.error == 0) << c.path.toStdString();
  }
  PendingError err;
  auto root = m_dir.Bind("LDAP://example.test", err);
  EXPECT_EQ(DirectoryService::Class(*root), "domainDNS");
  EXPECT_EQ(m_dir.Get(*root, "distinguishedName", err), kRoot);
  auto users = bind(kUsers);
  EXPECT_EQ(DirectoryService::Name(*users), "CN=Users");
  EXPECT_EQ(DirectoryService::Parent(*users), "LDAP://example.test/" + kRoot);
  EXPECT_EQ(DirectoryService::Class(*bind("CN=Guest," + kUsers)), "user");
  EXPECT_FALSE(err.isSet());
}

TEST_F(MemoryDirectoryTest, ChildrenComeInCreationOrderWithNameAndClass) {
  ASSERT_EQ(create(kRoot, "organizationalUnit", "OU=Zeta"), 0u);
  ASSERT_EQ(create(kRoot, "organizationalUnit", "OU=Alpha"), 0u);
  PendingError err;
  const std::vector<ChildObject> children = m_dir.Children(*bind(kRoot), err);
  QStringList names, classes;
  for (const ChildObject& c : children) names << c.name, classes << c.objectClass;
  EXPECT_EQ(names, QStringList({"CN=Users", "CN=Computers", "CN=Builtin", "OU=Domain Controllers",
                                "OU=Zeta", "OU=Alpha"}));
  EXPECT_EQ(classes.mid(3),
            QStringList({"organizationalUnit", "organizationalUnit", "organizationalUnit"}));
  EXPECT_EQ(children[4].dn, "OU=Zeta," + kRoot);
}

TEST_F(MemoryDirectoryTest, RelativeNamesAreUniqueWithoutRegardToCase) {
  ASSERT_EQ(create(kRoot, "organizationalUnit", "OU=Müller"), 0u);
  EXPECT_EQ(create(kRoot, "organizationalUnit", "ou=MÜLLER"), kErrAlreadyExists);
  EXPECT_EQ(create(kRoot, "organizationalUnit", "OU=Müller\\ "), 0u);  // a different name
  EXPECT_EQ(create("OU=MÜLLER," + kRoot, "organizationalUnit", "OU=Sub"), 0u);
  EXPECT_EQ(m_dir.childDns("ou=müller," + kRoot), QStringList{"OU=Sub,OU=Müller," + kRoot});
}

TEST_F(MemoryDirectoryTest, AccountNamesAreUniqueAcrossUsersGroupsAndComputers) {
  ASSERT_EQ(create(kUsers, "user", "CN=John Smith", "JSmith"), 0u);
  EXPECT_EQ(create(kUsers, "user", "CN=Jim Smith", "jsmith"), kErrAlreadyExists);
  EXPECT_EQ(create(kRoot, "group", "CN=JSmith", "JSMITH"), kErrAlreadyExists);
  EXPECT_FALSE(m_dir.contains("CN=Jim Smith," + kUsers));
  ASSERT_EQ(create("CN=Computers," + kRoot, "computer", "CN=WS1", "WS1$"), 0u);

  const struct {
    QString domain, name;
    bool exists;
  } cases[] = {{"example.test", "jsmith", true},        {"EXAMPLE.TEST", "JSMITH", true},
               {"example.test", "ws1", true},           {"example.test", "Domain Admins", true},
               {"example.test", "Administrator", true}, {"other.test", "jsmith", false},
               {"example.test", "jsmith2", false},      {"example.test", "", false}};
  for (const auto& c : cases) {
    EXPECT_EQ(m_dir.AccountExists(c.domain, c.name), c.exists) << c.name.toStdString();
  }
}

TEST_F(MemoryDirectoryTest, AFailureReplacesThePendingErrorAndASuccessLeavesIt) {
  PendingError err;
  auto root = bind(kRoot);
  auto orphan = m_dir.Create(*bind(kUsers), "organizationalUnit", "OU=x", err);
  orphan->dn = "OU=x,OU=Missing," + kRoot;
  m_dir.SetInfo(*orphan, err);
  EXPECT_EQ(err.number(), kErrNoSuchObject);
  EXPECT_EQ(err.description(), "There is no such object on the server.");
  auto ou = m_dir.Create(*root, "organizationalUnit", "OU=Fine", err);
  m_dir.SetInfo(*ou, err);
  EXPECT_TRUE(m_dir.contains("OU=Fine," + kRoot));
  EXPECT_EQ(err.number(), kErrNoSuchObject);
  EXPECT_FALSE(m_dir.Create(*root, "organizationalUnit", "OU=a,OU=b", err));
  EXPECT_EQ(err.number(), kErrInvalidDnSyntax);
  EXPECT_FALSE(m_dir.Create(*root, "organizationalUnit", "OU=", err));
  EXPECT_EQ(m_dir.Get(*root, "mail", err), "");
  EXPECT_EQ(err.number(), kErrPropertyNotFound);
  EXPECT_EQ(errorNumberText(err.number()), "0x8000500D");
}

TEST_F(MemoryDirectoryTest, NewUserIsDisabledUntilEnabledAndKeepsOnlyAPasswordHash) {
  PendingError err;
  auto user = m_dir.Create(*bind(kUsers), "user", "CN=John Smith", err);
  m_dir.Put(*user, "samAccountName", "JSmith");
  m_dir.SetInfo(*user, err);
  const QString dn = "CN=John Smith," + kUsers;
  EXPECT_EQ(m_dir.values(dn, "userAccountControl"), QStringList{"546"});
  EXPECT_EQ(m_dir.values(dn, "objectClass"),
            QStringList({"top", "person", "organizationalPerson", "user"}));
  m_dir.PutInteger(*user, "pwdLastSet", 0);
  m_dir.SetPassword(*user, "s3cret-Wörd");
  m_dir.SetAccountDisabled(*user, false);
  m_dir.SetFullName(*user, "John Smith");
  m_dir.SetInfo(*user, err);
  ASSERT_FALSE(err.isSet()) << err.description().toStdString();
  EXPECT_EQ(m_dir.values(dn, "userAccountControl"), QStringList{"512"});
  EXPECT_EQ(m_dir.values(dn, "displayName"), QStringList{"John Smith"});
  EXPECT_EQ(m_dir.values(dn, "pwdLastSet"), QStringList{"0"});
  EXPECT_TRUE(m_dir.checkPassword(dn, "s3cret-Wörd"));
  EXPECT_FALSE(m_dir.checkPassword(dn, "s3cret-Word"));
  EXPECT_TRUE(m_dir.values(dn, "unicodePwd").isEmpty());
  EXPECT_TRUE(m_dir.values(dn, "userPassword").front().startsWith("{SSHA512}"));
  EXPECT_FALSE(m_dir.toLdif().contains("s3cret"));
  EXPECT_EQ(m_dir.Get(*user, "distinguishedName", err), dn);

  ASSERT_EQ(create(kRoot, "group", "CN=Sales", "Sales"), 0u);
  EXPECT_EQ(m_dir.values("CN=Sales," + kRoot, "groupType"), QStringList{"-2147483646"});
}

TEST_F(MemoryDirectoryTest, RefusedSetInfoChangesNothingAndForgetsWhatWasStaged) {
  auto root = bind(kRoot);
  PendingError err;
  m_dir.Put(*root, "minPwdLength", "8");
  m_dir.SetInfo(*root, err);
  auto user = m_dir.Create(*bind(kUsers), "user", "CN=Ann Lee", err);
  m_dir.Put(*user, "sAMAccountName", "ALee");
  m_dir.SetInfo(*user, err);
  ASSERT_FALSE(err.isSet());

  m_dir.Put(*user, "description", "Clerk");
  m_dir.SetPassword(*user, "short");
  m_dir.SetAccountDisabled(*user, false);
  m_dir.SetInfo(*user, err);
  EXPECT_EQ(err.number(), kErrUnwillingToPerform);
  EXPECT_TRUE(err.description().contains("0000052D"));
  const QString dn = "CN=Ann Lee," + kUsers;
  EXPECT_TRUE(m_dir.contains(dn));
  EXPECT_TRUE(m_dir.values(dn, "description").isEmpty());
  EXPECT_EQ(m_dir.values(dn, "userAccountControl"), QStringList{"546"});
  EXPECT_TRUE(user->staged.empty());
  EXPECT_FALSE(user->password);

  err.clear();
  auto bob = m_dir.Create(*bind(kUsers), "user", "CN=Bob", err);
  m_dir.SetPassword(*bob, "1234567");
  m_dir.SetInfo(*bob, err);
  EXPECT_EQ(err.number(), kErrUnwillingToPerform);
  EXPECT_FALSE(m_dir.contains("CN=Bob," + kUsers));

  err.clear();
  auto carl = m_dir.Create(*bind(kUsers), "user", "CN=Carl", err);
  m_dir.Put(*carl, "description", "");
  m_dir.SetInfo(*carl, err);
  EXPECT_EQ(err.number(), kErrConstraintViolation);
  EXPECT_FALSE(m_dir.contains("CN=Carl," + kUsers));
}

TEST_F(MemoryDirectoryTest, GroupMembershipRules) {
  ASSERT_EQ(create(kRoot, "group", "CN=Sales", "Sales"), 0u);
  ASSERT_EQ(create(kRoot, "group", "CN=Sales_Clerk", "Sales_Clerk"), 0u);
  auto sales = bind("CN=Sales," + kRoot);
  const QString clerkPath = "LDAP://example.test/CN=Sales_Clerk," + kRoot;
  const QString guestPath = "LDAP://example.test/cn=GUEST," + kUsers;
  PendingError err;
  m_dir.Add(*sales, guestPath, err);
  m_dir.SetInfo(*sales, err);
  EXPECT_FALSE(err.isSet());
  EXPECT_EQ(m_dir.values("CN=Sales," + kRoot, "member"), QStringList{"CN=Guest," + kUsers});
  m_dir.Add(*sales, "LDAP://example.test/CN=Guest," + kUsers, err);
  EXPECT_EQ(err.number(), kErrAlreadyExists);
  m_dir.Add(*sales, "LDAP://example.test/CN=Nobody," + kUsers, err);
  EXPECT_EQ(err.number(), kErrNoSuchObject);

  auto root = bind(kRoot);
  m_dir.Put(*root, "nTMixedDomain", "1");
  m_dir.SetInfo(*root, err);
  err.clear();
  m_dir.Add(*sales, clerkPath, err);
  EXPECT_EQ(err.number(), kErrUnwillingToPerform);
  EXPECT_EQ(err.description(), "The server is unwilling to process the request.");
  m_dir.Put(*root, "nTMixedDomain", "0");
  m_dir.SetInfo(*root, err);
  err.clear();
  m_dir.Add(*sales, clerkPath, err);
  EXPECT_FALSE(err.isSet());
  EXPECT_EQ(m_dir.values("CN=Sales," + kRoot, "member").size(), 2);
}

}  // namespace
}  // namespace quill
