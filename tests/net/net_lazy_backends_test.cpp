// Backends that ask "Connect as" at their first use: what they ask, when, and what an operation
// gives back after a cancel, a refused password and a second attempt.
#include "net/net_lazy_backends.h"

#include <functional>

#include "app/backend_choice.h"
#include "app/command_line.h"
#include "core/directory_service.h"
#include "core/share_service.h"
#include "core/unc_file_system.h"
#include "support/samba_dc.h"

namespace quill::test {
namespace {

// Answers from a script and notes every prompt: "as USER|DOMAIN" for the dialog (what it
// offered), else the question. A used-up script cancels the dialog and answers No.
struct ScriptedUser {
  CredentialsProvider provider() {
    return {[this](const ConnectAsCredentials& previous) {
              prompts << "as " + previous.user + '|' + previous.domain + previous.password;
              logons.push_back(std::nullopt);
              return logons.takeFirst();
            },
            [this](const QString& question) {
              prompts << question;
              return !answers.isEmpty() && answers.takeFirst();
            }};
  }
  QList<std::optional<ConnectAsCredentials>> logons;
  QList<bool> answers;
  QStringList prompts;
};

// The domain root as a bind gives it, without asking the server.
DirObject domainRoot(const QString& domain, const QString& dn) {
  DirObject root;
  root.host = domain, root.dn = dn, root.objectClass = "domainDNS";
  return root;
}

TEST(ConnectAsBackends, NothingIsAskedBeforeTheFirstOperationAndACancelFailsEachKind) {
  const EnvGuard cache("KRB5CCNAME", "FILE:/nonexistent/no-ticket");
  ScriptedUser user;  // cancels every time
  QString error;
  // A window start with neither a credentials file nor a ticket.
  const std::unique_ptr<Backends> backends = openWindowBackends(
      parseCommandLine({"--dc", "192.0.2.1"}).commandLine, user.provider(), &error);
  ASSERT_TRUE(backends) << error;
  backends->setRunDomain("quill.test");
  const Platform p = backends->platform();
  p.shares->DisconnectShareHost();
  EXPECT_TRUE(backends->save(&error));
  EXPECT_EQ(backends->describe() + user.prompts.join(' '),
            "domain controller 192.0.2.1 over LDAPS, as the user given at the first connection");
  DirObject root = domainRoot("quill.test", "DC=quill,DC=test");
  const std::function<void(PendingError&)> calls[] = {
      [&](PendingError& e) { p.directory->Bind("LDAP://quill.test", e); },
      [&](PendingError& e) { EXPECT_TRUE(p.directory->Children(root, e).empty()); },
      [&](PendingError& e) { EXPECT_EQ(p.directory->Get(root, "name", e), ""); },
      [&](PendingError& e) {
        p.directory->Put(root, "description", "x"), p.directory->SetInfo(root, e);
      },
      [&](PendingError& e) { p.directory->Add(root, "LDAP://CN=x,DC=quill,DC=test", e); }};
  for (const auto& call : calls) {
    PendingError err;
    call(err);
    EXPECT_EQ(errorNumberText(err.number()) + ' ' + err.description(),
              errorNumberText(kErrLogonFailure) + ' ' + kNoCredentialsGiven);
  }
  std::vector<ShareInfo> shares;
  EXPECT_FALSE(p.directory->AccountExists("quill.test", "x") || p.files->exists("\\\\files\\d") ||
               p.files->makeFolder("\\\\files\\data\\x", &error));
  EXPECT_EQ(error, kNoCredentialsGiven);
  EXPECT_TRUE(p.shares->ConnectShareHost("files", {}, {}, {}) &&
              p.shares->EnumShares("files", {}, {}, {}, shares) &&
              p.shares->CreateShare("files", "D:\\x", "x"));
  EXPECT_EQ(p.shares->GetSharePath("files", "data") + QString::number(shares.size()), "0");
  // Each asked once, offering the run domain; a cancel is never followed by a question.
  EXPECT_EQ(user.prompts, QStringList(12, "as |quill.test"));
}

// Against the fixture's DC, as Administrator typed into the dialog.
class SambaConnectAs : public SambaTest {
 protected:
  void SetUp() override {
    SambaTest::SetUp();
    if (IsSkipped()) return;
    m_backends = openConnectAsBackends(dc().settings("ignored", {}, {}), m_user.provider());
    m_lazy = m_backends->platform();
  }
  ConnectAsCredentials admin(const QString& password) {
    return {"Administrator", dc().domain(), password};
  }

  ScriptedUser m_user;
  std::unique_ptr<Backends> m_backends;
  Platform m_lazy;
};

TEST_F(SambaConnectAs, ARefusalAsksOnceNoOrACancelFailsTheOperationAndTheRightOneServesAll) {
  m_backends->setRunDomain(dc().domain());
  // At last DOMAIN\name in the user box, which names the domain for every service.
  m_user.logons = {admin("Wrong-Password-1"), admin("Wrong-Password-2"), admin("Wrong-Password-1"),
                   std::nullopt,
                   ConnectAsCredentials{"QUILL\\Administrator", {}, dc().adminPassword()}};
  m_user.answers = {true, false};
  PendingError err;
  EXPECT_FALSE(m_lazy.directory->Bind(rootPath(), err));  // a second refusal: no more questions
  EXPECT_EQ(err.number(), kErrLogonFailure) << err.description();
  EXPECT_NE(err.description(), kNoCredentialsGiven);
  // A folder check cannot tell a refused logon from a missing share; the check of fresh
  // credentials against the domain can, and asks.
  const QString sysvol = "\\\\" + dc().domain() + "\\sysvol";
  EXPECT_FALSE(m_lazy.files->exists(sysvol));
  EXPECT_FALSE(m_lazy.directory->Bind(rootPath(), err));  // cancelled
  EXPECT_EQ(err.description(), kNoCredentialsGiven);
  err.clear();
  const std::unique_ptr<DirObject> root = m_lazy.directory->Bind(rootPath(), err);
  ASSERT_TRUE(root) << err.description();
  // The credentials stay for every later operation: nothing more is asked.
  EXPECT_FALSE(m_lazy.directory->Children(*root, err).empty());
  EXPECT_TRUE(m_lazy.directory->AccountExists(dc().domain(), "Administrator"));
  EXPECT_TRUE(m_lazy.files->exists(sysvol));
  EXPECT_FALSE(m_lazy.shares->GetSharePath(dc().domain(), "sysvol").isEmpty());
  EXPECT_FALSE(err.isSet()) << err.description();
  const QString first = "as |" + dc().domain(), again = "as Administrator|" + dc().domain(),
                asked = kLogonFailedQuestion;
  EXPECT_EQ(m_user.prompts, QStringList({first, asked, again, again, asked, again, again}));
}

TEST_F(SambaConnectAs, WithoutARunDomainTheRefusedCallAsksAndIsRepeatedWithWhatItStaged) {
  m_user.logons = {admin("Wrong-Password-1"), admin(dc().adminPassword())};
  m_user.answers = {true};
  // The first call to the server is the SetInfo.
  const QString name = "OU=" + uniqueName("Lazy");
  PendingError err;
  std::unique_ptr<DirObject> ou = m_lazy.directory->Create(domainRoot(dc().domain(), dc().baseDn()),
                                                           "organizationalUnit", name, err);
  m_lazy.directory->Put(*ou, "description", "staged before");
  m_lazy.directory->SetInfo(*ou, err);
  EXPECT_FALSE(err.isSet()) << err.description();
  // With no run domain there is no domain to offer at first.
  EXPECT_EQ(m_user.prompts,
            QStringList({"as |", kLogonFailedQuestion, "as Administrator|" + dc().domain()}));
  EXPECT_EQ(dc().values(name + ',' + dc().baseDn(), "description"), QStringList{"staged before"});
}

}  // namespace
}  // namespace quill::test
