#include "engine/user_accounts.h"

#include "core/dn.h"
#include "core/user_record.h"
#include "support/sandbox_run.h"

namespace quill {
namespace {

const QString kRoot = QStringLiteral("DC=example,DC=test");
const QString kSales = QStringLiteral("OU=Sales,") + kRoot;

class UserAccountsTest : public test::SandboxRun {
 protected:
  void SetUp() override {
    SandboxRun::SetUp();
    PendingError err;
    auto root = bind(kRoot);
    auto ou = dir().Create(*root, "organizationalUnit", "OU=Sales", err);
    dir().SetInfo(*ou, err);
    ASSERT_FALSE(err.isSet());
    m_container = bind(kSales);
    options().txt_Password = {QStringLiteral("Init#Pass1"), QStringLiteral("Init#Pass1")};
    options().chk_EmailDomain = true;
    options().txt_EmailDomain = QStringLiteral("mail.example.test");
  }

  int create(const QString& line, const QString& login) {
    return CreateUserAccount(ctx(), UserRecord(line), *m_container, login, m_dn);
  }
  QString value(const QString& dn, const char* attribute) {
    return dir().values(dn, attribute).value(0);
  }
  void expectFlags(bool errors, bool warnings, bool userFailed, const char* what) {
    EXPECT_EQ(ctx().counters.ErrorsOccurred, errors) << what;
    EXPECT_EQ(ctx().counters.WarningsOccurred, warnings) << what;
    EXPECT_EQ(ctx().counters.UserFailed, userFailed) << what;
  }

  std::unique_ptr<DirObject> m_container;
  QString m_dn;
};

TEST_F(UserAccountsTest, NewAccountGetsItsAttributesPasswordAndIsEnabled) {
  ASSERT_EQ(create("John,Smith,Clerk,Sales,Clerk,555-0101", "JSmith"), kUserCreated);
  const QString dn = "CN=John Smith," + kSales;
  EXPECT_EQ(m_dn, dn);
  EXPECT_EQ(value(dn, "sAMAccountName"), "JSmith");
  EXPECT_EQ(value(dn, "userPrincipalName"), "JSmith@example.test");
  EXPECT_EQ(value(dn, "description"), "Clerk");
  EXPECT_EQ(value(dn, "telephoneNumber"), "555-0101");
  EXPECT_EQ(value(dn, "mail"), "JSmith@mail.example.test");
  EXPECT_EQ(value(dn, "pwdLastSet"), "0");
  EXPECT_EQ(value(dn, "displayName"), "John Smith");
  EXPECT_EQ(value(dn, "givenName"), "John");
  EXPECT_EQ(value(dn, "sn"), "Smith");
  bool ok = false;
  const qint64 uac = value(dn, "userAccountControl").toLongLong(&ok);
  EXPECT_TRUE(ok);
  EXPECT_EQ(uac & 0x2, 0) << "the account is enabled";
  EXPECT_TRUE(dir().checkPassword(dn, "Init#Pass1"));
  EXPECT_FALSE(dir().checkPassword(dn, "init#pass1"));
  EXPECT_TRUE(dir().values(dn, "department").isEmpty());
  EXPECT_TRUE(lines().isEmpty());
  expectFlags(false, false, false, "created");
}

TEST_F(UserAccountsTest, EmptyFieldsWriteNoAttribute) {
  const struct {
    QString line;
    bool email;
    QString emailDomain;
    QString cn;  // the value of the relative name
    QStringList present;
    QStringList absent;
  } cases[] = {
      {",Smith,,Sales,Clerk,",
       true,
       "mail.test",
       " Smith",
       {"sn", "mail", "displayName"},
       {"givenName", "description", "telephoneNumber"}},
      {"Ann,,Desk,Sales,Clerk,1",
       true,
       "",
       "Ann ",
       {"givenName", "description", "telephoneNumber"},
       {"sn", "mail"}},
      {"Bob,Ray,Desk,Sales,Clerk,1", false, "mail.test", "Bob Ray", {"givenName", "sn"}, {"mail"}},
  };
  int n = 0;
  for (const auto& c : cases) {
    options().chk_EmailDomain = c.email;
    options().txt_EmailDomain = c.emailDomain;
    m_dn.clear();
    const QString login = QStringLiteral("u%1").arg(++n);
    ASSERT_EQ(create(c.line, login), kUserCreated) << c.line.toStdString();
    const auto rdns = parseDn(m_dn);
    ASSERT_TRUE(rdns && !rdns->empty()) << m_dn.toStdString();
    EXPECT_EQ(rdns->front().front().value, c.cn) << c.line.toStdString();
    EXPECT_EQ(value(m_dn, "displayName"), c.cn) << "the blank stays in the full name";
    for (const QString& a : c.present) {
      EXPECT_FALSE(value(m_dn, a.toLatin1().constData()).isEmpty())
          << c.line.toStdString() << a.toStdString();
    }
    for (const QString& a : c.absent) {
      EXPECT_TRUE(dir().values(m_dn, a).isEmpty()) << c.line.toStdString() << a.toStdString();
    }
  }
  expectFlags(false, false, false, "all created");
}

TEST_F(UserAccountsTest, ExistingNameGivesTheWarningAndLeavesTheAccountAlone) {
  ASSERT_EQ(create("John,Smith,Clerk,Sales,Clerk,555", "JSmith"), kUserCreated);
  const struct {
    const char* what;
    QString line;
    QString login;
  } cases[] = {
      {"same CN", "John,Smith,Other,Sales,Clerk,999", "JSmith2"},
      {"login taken elsewhere", "Jo,Hnsmith,Other,Sales,Clerk,999", "Administrator"},
  };
  for (const auto& c : cases) {
    ctx().counters = RunCounters{};
    m_dn.clear();
    EXPECT_EQ(create(c.line, c.login), kUserExistsOrIncomplete) << c.what;
    EXPECT_EQ(lines().last(), "Warning: '" + c.login +
                                  "' already exists. No changes will be made to the existing "
                                  "account.")
        << c.what;
    expectFlags(false, true, true, c.what);
    EXPECT_TRUE(m_dn.isEmpty()) << c.what;
  }
  const QString dn = "CN=John Smith," + kSales;
  EXPECT_EQ(value(dn, "sAMAccountName"), "JSmith");
  EXPECT_EQ(value(dn, "description"), "Clerk");
  EXPECT_FALSE(dir().contains("CN=Jo Hnsmith," + kSales));
}

TEST_F(UserAccountsTest, RefusedCreationGivesTheErrorLineWithTheContainerName) {
  dir().setReadOnly(true);
  EXPECT_EQ(create("John,Smith,Clerk,Sales,Clerk,555", "JSmith"), kUserCreateFailed);
  EXPECT_EQ(lines(), QStringList{"Error: Unable to create 'JSmith' in 'OU=Sales'. Cause: " +
                                 defaultErrorDescription(kErrAccessDenied)});
  expectFlags(true, false, true, "refused");
  EXPECT_TRUE(m_dn.isEmpty());
}

TEST_F(UserAccountsTest, PasswordRefusedByPolicyLeavesAHalfMadeAccountSilently) {
  setRootAttribute("minPwdLength", "20");
  EXPECT_EQ(create("John,Smith,Clerk,Sales,Clerk,555", "JSmith"), kUserExistsOrIncomplete);
  const QString dn = "CN=John Smith," + kSales;
  EXPECT_TRUE(lines().isEmpty());
  expectFlags(true, false, true, "password refused");
  EXPECT_TRUE(m_dn.isEmpty());
  ASSERT_TRUE(dir().contains(dn));
  EXPECT_EQ(value(dn, "sAMAccountName"), "JSmith");
  EXPECT_TRUE(dir().values(dn, "displayName").isEmpty());
  EXPECT_NE(value(dn, "userAccountControl").toLongLong() & 0x2, 0) << "still disabled";
  EXPECT_FALSE(dir().checkPassword(dn, "Init#Pass1"));
}

// A directory that cannot read a DN back, which no real server does on demand.
class NoDnDirectory : public MemoryDirectory {
 public:
  using MemoryDirectory::MemoryDirectory;
  QString Get(const DirObject& obj, const QString& attribute, PendingError& err) override {
    if (attribute.compare(u"distinguishedName", Qt::CaseInsensitive) == 0) return {};
    return MemoryDirectory::Get(obj, attribute, err);
  }
};

TEST_F(UserAccountsTest, EmptyDnReadBackIsAnErrorButNoFailedUser) {
  NoDnDirectory noDn("example.test");
  noDn.addBaseEntries();
  RunContext context(m_host, noDn, m_sandbox->files(), m_sandbox->shares(), m_log, m_patterns);
  context.domain = ctx().domain;
  PendingError err;
  auto users = noDn.Bind("LDAP://example.test/CN=Users," + kRoot, err);
  ASSERT_NE(users, nullptr);
  m_dn = "stale";
  EXPECT_EQ(CreateUserAccount(context, UserRecord("John,Smith,,,,"), *users, "JSmith", m_dn),
            kUserDnEmpty);
  EXPECT_TRUE(m_dn.isEmpty()) << "no stale DN survives";
  EXPECT_TRUE(context.counters.ErrorsOccurred);
  EXPECT_FALSE(context.counters.UserFailed);
  EXPECT_TRUE(noDn.contains("CN=John Smith,CN=Users," + kRoot));
}

TEST_F(UserAccountsTest, HostileNamesMakeOneAccountWhoseNameRoundTrips) {
  const struct {
    QString first;
    QString last;
  } cases[] = {{"Jo+OU=Evil", "Smith"},
               {"#Ann", "Lee"},
               {" Bo", "Ray "},
               {"a\\b", "c+d"},
               {"\"Q\"", "<x>;y"}};
  int n = 0;
  for (const auto& c : cases) {
    const int entries = dir().entryCount();
    const QString line = c.first + "," + c.last + ",,Sales,Clerk,";
    ASSERT_EQ(create(line, QStringLiteral("h%1").arg(++n)), kUserCreated) << line.toStdString();
    EXPECT_EQ(dir().entryCount(), entries + 1) << line.toStdString();
    const auto rdns = parseDn(m_dn);
    ASSERT_TRUE(rdns) << m_dn.toStdString();
    ASSERT_EQ(rdns->size(), 4u) << m_dn.toStdString();
    EXPECT_EQ(rdns->front().front().value, c.first + " " + c.last);
    EXPECT_EQ(parentDn(m_dn), kSales);
    EXPECT_EQ(value(m_dn, "givenName"), c.first);
  }
  EXPECT_TRUE(lines().isEmpty());
}

}  // namespace
}  // namespace quill
