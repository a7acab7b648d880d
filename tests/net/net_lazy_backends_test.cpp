// Backends that ask "Connect as" at their first use: what they ask, when, and what an operation
// gives back after a cancel, a refused password and a second attempt. The Samba* cases run against
// the fixture's DC; what they write is checked with ldapsearch in a separate process.
#include "net/net_lazy_backends.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <deque>
#include <functional>

#include "app/backend_choice.h"
#include "app/command_line.h"
#include "core/directory_service.h"
#include "core/share_service.h"
#include "core/unc_file_system.h"
#include "net/net_credentials.h"
#include "support/qt_print.h"
#include "support/samba_fixture.h"

namespace quill {
namespace {

using test::uniqueName;

// A user that answers from a script and writes down every prompt it sees:
// "connect as USER|DOMAIN" (what the dialog offered) or the question's text.
// A used-up script cancels the dialog and answers No.
class ScriptedUser {
 public:
  void give(const QString& user, const QString& domain, const QString& password) {
    m_credentials.push_back(ConnectAsCredentials{user, domain, password});
  }
  void cancel() { m_credentials.push_back(std::nullopt); }
  void answer(bool yes) { m_answers.push_back(yes); }

  CredentialsProvider provider() {
    CredentialsProvider p;
    p.askCredentials = [this](const ConnectAsCredentials& previous) {
      m_prompts << QStringLiteral("connect as %1|%2").arg(previous.user, previous.domain);
      EXPECT_TRUE(previous.password.isEmpty());
      std::optional<ConnectAsCredentials> next;
      if (!m_credentials.empty()) {
        next = m_credentials.front();
        m_credentials.pop_front();
      }
      return next;
    };
    p.askYesNo = [this](const QString& question) {
      m_prompts << question;
      const bool yes = !m_answers.empty() && m_answers.front();
      if (!m_answers.empty()) m_answers.pop_front();
      return yes;
    };
    return p;
  }

  const QStringList& prompts() const { return m_prompts; }
  bool scriptUsedUp() const { return m_credentials.empty() && m_answers.empty(); }

 private:
  std::deque<std::optional<ConnectAsCredentials>> m_credentials;
  std::deque<bool> m_answers;
  QStringList m_prompts;
};

const QString kLogonQuestion = QString::fromLatin1(kLogonFailedQuestion);

QString connectAs(const QString& user, const QString& domain) {
  return QStringLiteral("connect as %1|%2").arg(user, domain);
}

NetSettings unreachableDc() {
  NetSettings settings;
  settings.dcHost = QStringLiteral("192.0.2.1");  // TEST-NET-1: never a real server
  settings.timeoutSeconds = 1;
  return settings;
}

TEST(ConnectAsBackends, NothingIsAskedOrContactedBeforeTheFirstOperation) {
  ScriptedUser user;
  NetSettings settings = unreachableDc();
  settings.user = QStringLiteral("ignored");
  settings.password = QStringLiteral("Not-This-One-1");
  std::unique_ptr<Backends> backends = openConnectAsBackends(settings, user.provider());
  ASSERT_TRUE(backends);
  const Platform platform = backends->platform();
  EXPECT_TRUE(platform.directory && platform.files && platform.shares);
  backends->setRunDomain(QStringLiteral("quill.test"));
  platform.shares->DisconnectShareHost();
  QString error;
  EXPECT_TRUE(backends->save(&error));
  const QString description = backends->describe();
  EXPECT_TRUE(description.contains(u"192.0.2.1")) << description.toStdString();
  EXPECT_FALSE(description.contains(u"Not-This-One")) << description.toStdString();
  EXPECT_EQ(user.prompts(), QStringList());
}

TEST(ConnectAsBackends, ACancelFailsEveryKindOfOperationAndTheNextOneAsksAgain) {
  ScriptedUser user;  // cancels every time
  std::unique_ptr<Backends> backends = openConnectAsBackends(unreachableDc(), user.provider());
  backends->setRunDomain(QStringLiteral("quill.test"));
  const Platform p = backends->platform();
  DirObject root;
  root.host = QStringLiteral("quill.test");
  root.dn = QStringLiteral("DC=quill,DC=test");
  root.objectClass = QStringLiteral("domainDNS");

  // Each directory operation leaves the logon failure with the cancel's description pending.
  const std::vector<std::pair<const char*, std::function<void(PendingError&)>>> directoryCalls = {
      {"Bind",
       [&](PendingError& err) {
         EXPECT_FALSE(p.directory->Bind(QStringLiteral("LDAP://quill.test"), err));
       }},
      {"Children",
       [&](PendingError& err) { EXPECT_TRUE(p.directory->Children(root, err).empty()); }},
      {"Get",
       [&](PendingError& err) {
         EXPECT_EQ(p.directory->Get(root, QStringLiteral("name"), err), QString());
       }},
      {"SetInfo",
       [&](PendingError& err) {
         DirObject ou = root;
         p.directory->Put(ou, QStringLiteral("description"), QStringLiteral("x"));
         p.directory->SetInfo(ou, err);
       }},
      {"Add",
       [&](PendingError& err) {
         p.directory->Add(root, QStringLiteral("LDAP://CN=x,DC=quill,DC=test"), err);
       }},
  };
  int asked = 0;
  for (const auto& [name, call] : directoryCalls) {
    PendingError err;
    call(err);
    EXPECT_EQ(err.number(), kErrLogonFailure) << name;
    EXPECT_EQ(err.description(), QString::fromLatin1(kNoCredentialsGiven)) << name;
    EXPECT_EQ(user.prompts().size(), ++asked) << name;
  }

  EXPECT_FALSE(p.directory->AccountExists(QStringLiteral("quill.test"), QStringLiteral("x")));
  EXPECT_FALSE(p.files->exists(QStringLiteral("\\\\quill.test\\sysvol")));
  QString error;
  EXPECT_FALSE(p.files->makeFolder(QStringLiteral("\\\\files\\data\\x"), &error));
  EXPECT_EQ(error, QString::fromLatin1(kNoCredentialsGiven));
  EXPECT_NE(p.shares->ConnectShareHost(QStringLiteral("files"), {}, {}, {}), 0);
  std::vector<ShareInfo> shares;
  EXPECT_NE(p.shares->EnumShares(QStringLiteral("files"), {}, {}, {}, shares), 0);
  EXPECT_TRUE(shares.empty());
  EXPECT_EQ(p.shares->GetSharePath(QStringLiteral("files"), QStringLiteral("data")), QString());
  EXPECT_NE(
      p.shares->CreateShare(QStringLiteral("files"), QStringLiteral("D:\\x"), QStringLiteral("x")),
      0);
  asked += 7;
  // Every operation asked once, offering the run domain; a cancel is never followed by a question.
  EXPECT_EQ(user.prompts(), QStringList(asked, connectAs(QString(), QStringLiteral("quill.test"))));
}

TEST(ConnectAsBackends, WindowModeWithoutCredentialsOpensWithoutAskingAndABadFileIsAnError) {
  const test::EnvGuard cache("KRB5CCNAME", "FILE:/nonexistent/quill-no-ticket");
  ScriptedUser user;
  CommandLineResult parsed =
      parseCommandLine({QStringLiteral("--dc"), QStringLiteral("192.0.2.1")});
  ASSERT_TRUE(parsed.ok) << parsed.error.toStdString();
  QString error;
  std::unique_ptr<Backends> backends =
      openWindowBackends(parsed.commandLine, user.provider(), &error);
  ASSERT_TRUE(backends) << error.toStdString();
  EXPECT_TRUE(backends->describe().contains(u"192.0.2.1"));

  parsed = parseCommandLine({QStringLiteral("--credentials"), QStringLiteral("/nonexistent/auth")});
  ASSERT_TRUE(parsed.ok) << parsed.error.toStdString();
  EXPECT_FALSE(openWindowBackends(parsed.commandLine, user.provider(), &error));
  EXPECT_TRUE(error.startsWith(u"/nonexistent/auth")) << error.toStdString();
  EXPECT_EQ(user.prompts(), QStringList());
}

TEST(ConnectAsBackends, BatchModeWithoutCredentialsFailsAtOnceAndNeverReadsStdin) {
  QTemporaryDir temp;
  ASSERT_TRUE(temp.isValid());
  QFile emptyCache(temp.filePath(QStringLiteral("krb5cc")));
  ASSERT_TRUE(emptyCache.open(QIODevice::WriteOnly));
  emptyCache.close();
  QFile password(temp.filePath(QStringLiteral("password")));
  ASSERT_TRUE(password.open(QIODevice::WriteOnly));
  password.write("Start-2026\n");
  password.close();

  QProcess batch;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("KRB5CCNAME"), QStringLiteral("FILE:") + emptyCache.fileName());
  env.insert(QStringLiteral("HOME"), temp.path());
  batch.setProcessEnvironment(env);
  batch.start(QString::fromUtf8(QUILL_BINARY),
              {QStringLiteral("--batch"), QStringLiteral("--dc"), QStringLiteral("127.0.0.1"),
               QStringLiteral("--domain"), QStringLiteral("quill.test"),
               QStringLiteral("--password-file"), password.fileName()});
  ASSERT_TRUE(batch.waitForStarted(10000));
  batch.closeWriteChannel();  // a prompt would read end-of-file, not wait for a user
  const bool finished = batch.waitForFinished(30000);
  if (!finished) batch.kill();
  ASSERT_TRUE(finished) << "the batch run waited for something";
  const QString err = QString::fromLocal8Bit(batch.readAllStandardError());
  EXPECT_EQ(batch.exitStatus(), QProcess::NormalExit);
  EXPECT_NE(batch.exitCode(), 0);
  EXPECT_TRUE(err.contains(QString::fromLatin1(kNoCredentialsMessage))) << err.toStdString();
  EXPECT_EQ(batch.readAllStandardOutput(), QByteArray());
}

// Against the fixture's DC, as Administrator typed into the dialog.
class SambaConnectAs : public test::SambaTest {
 protected:
  void SetUp() override {
    test::SambaTest::SetUp();
    if (IsSkipped()) return;
    NetSettings settings;
    settings.dcHost = m_dc->host();
    settings.timeoutSeconds = 10;
    m_backends = openConnectAsBackends(settings, m_user.provider());
    ASSERT_TRUE(m_backends);
    m_lazy = m_backends->platform();
  }

  QString admin() const { return QStringLiteral("Administrator"); }
  QString password() const { return m_dc->adminPassword(); }
  QString domain() const { return m_dc->domain(); }
  QString sysvol() const { return QStringLiteral("\\\\") + domain() + QStringLiteral("\\sysvol"); }

  ScriptedUser m_user;
  std::unique_ptr<Backends> m_backends;
  Platform m_lazy;
};

TEST_F(SambaConnectAs, AWrongPasswordIsOfferedAnotherTryAndTheRightOneServesEverything) {
  m_backends->setRunDomain(domain());
  m_user.give(admin(), domain(), QStringLiteral("Wrong-Password-1"));
  m_user.answer(true);
  // DOMAIN\name in the user box names the domain, for the directory and the file server alike.
  m_user.give(m_dc->value("QUILL_DC_NETBIOS_DOMAIN") + u'\\' + admin(), QString(), password());

  PendingError err;
  const std::unique_ptr<DirObject> root = m_lazy.directory->Bind(rootPath(), err);
  ASSERT_TRUE(root) << err.description().toStdString();
  EXPECT_FALSE(err.isSet());
  EXPECT_EQ(root->dn.toLower(), m_dc->baseDn().toLower());
  EXPECT_EQ(m_user.prompts(), QStringList({connectAs(QString(), domain()), kLogonQuestion,
                                           connectAs(admin(), domain())}));

  // The credentials stay for every later operation: nothing more is asked.
  EXPECT_FALSE(m_lazy.directory->Children(*root, err).empty());
  EXPECT_FALSE(err.isSet()) << err.description().toStdString();
  EXPECT_TRUE(m_lazy.directory->AccountExists(domain(), admin()));
  EXPECT_TRUE(m_lazy.files->exists(sysvol()));
  EXPECT_FALSE(m_lazy.shares->GetSharePath(domain(), QStringLiteral("sysvol")).isEmpty());
  EXPECT_EQ(m_user.prompts().size(), 3);
  EXPECT_TRUE(m_user.scriptUsedUp());
}

TEST_F(SambaConnectAs, NoFailsTheOperationAndTheNextOperationAsksAgain) {
  m_backends->setRunDomain(domain());
  m_user.give(admin(), domain(), QStringLiteral("Wrong-Password-1"));
  m_user.answer(false);
  m_user.cancel();
  m_user.give(admin(), domain(), password());

  // A folder check cannot tell a refused logon from a missing share; the check of fresh
  // credentials against the domain can, and asks.
  EXPECT_FALSE(m_lazy.files->exists(sysvol()));
  EXPECT_EQ(m_user.prompts(), QStringList({connectAs(QString(), domain()), kLogonQuestion}));

  PendingError err;
  EXPECT_FALSE(m_lazy.directory->Bind(rootPath(), err));
  EXPECT_EQ(err.number(), kErrLogonFailure);
  EXPECT_EQ(err.description(), QString::fromLatin1(kNoCredentialsGiven));
  EXPECT_EQ(m_user.prompts().size(), 3);

  err.clear();
  EXPECT_TRUE(m_lazy.directory->Bind(rootPath(), err)) << err.description().toStdString();
  EXPECT_TRUE(m_lazy.files->exists(sysvol()));
  EXPECT_EQ(m_user.prompts(),
            QStringList({connectAs(QString(), domain()), kLogonQuestion,
                         connectAs(admin(), domain()), connectAs(admin(), domain())}));
}

TEST_F(SambaConnectAs, ASecondRefusalFailsWithTheLogonFailureWithoutAnotherQuestion) {
  m_backends->setRunDomain(domain());
  m_user.give(admin(), domain(), QStringLiteral("Wrong-Password-1"));
  m_user.answer(true);
  m_user.give(admin(), domain(), QStringLiteral("Wrong-Password-2"));
  m_user.answer(true);  // never asked

  PendingError err;
  EXPECT_FALSE(m_lazy.directory->Bind(rootPath(), err));
  EXPECT_EQ(err.number(), kErrLogonFailure) << err.description().toStdString();
  EXPECT_NE(err.description(), QString::fromLatin1(kNoCredentialsGiven));
  EXPECT_EQ(m_user.prompts(), QStringList({connectAs(QString(), domain()), kLogonQuestion,
                                           connectAs(admin(), domain())}));
}

TEST_F(SambaConnectAs, WithoutARunDomainTheRefusedCallItselfAsksAndIsRepeatedWithWhatItStaged) {
  m_user.give(admin(), domain(), QStringLiteral("Wrong-Password-1"));
  m_user.answer(true);
  m_user.give(admin(), domain(), password());

  // The domain root as a bind would give it, so the first call to the server is the SetInfo.
  DirObject root;
  root.host = domain();
  root.dn = m_dc->baseDn();
  root.objectClass = QStringLiteral("domainDNS");
  const QString name = uniqueName(QStringLiteral("Lazy"));
  PendingError err;
  std::unique_ptr<DirObject> ou = m_lazy.directory->Create(
      root, QStringLiteral("organizationalUnit"), QStringLiteral("OU=") + name, err);
  ASSERT_TRUE(ou);
  m_lazy.directory->Put(*ou, QStringLiteral("description"), QStringLiteral("staged before"));
  m_lazy.directory->SetInfo(*ou, err);
  EXPECT_FALSE(err.isSet()) << err.description().toStdString();
  // With no run domain known there is nothing to offer as the domain at first.
  EXPECT_EQ(m_user.prompts(), QStringList({connectAs(QString(), QString()), kLogonQuestion,
                                           connectAs(admin(), domain())}));
  const QString dn = QStringLiteral("OU=") + name + u',' + m_dc->baseDn();
  EXPECT_EQ(m_dc->attributeValues(dn, QStringLiteral("description")),
            QStringList{QStringLiteral("staged before")});
}

}  // namespace
}  // namespace quill
