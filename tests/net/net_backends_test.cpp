// The network backends: their pieces that need no server; against the fixture's Samba DC the
// contracts every backend keeps, what only a real server shows, and the "Connect as" flow.
#include <arpa/inet.h>
#include <sys/prctl.h>

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>

#include "app/backend_choice.h"
#include "app/command_line.h"
#include "net/ldap_directory.h"
#include "net/ldap_values.h"
#include "net/net_backends.h"
#include "net/net_credentials.h"
#include "net/net_lazy_backends.h"
#include "net/netapi_share_service.h"
#include "net/smb_file_system.h"
#include "net/smb_url.h"
#include "support/backend_contracts.h"
#include "support/samba_dc.h"

namespace quill::test {
namespace {

TEST(NetNames, UrlsEncodeWhatTheirParserReadsAsSyntaxAndServersArePlainNames) {
  EXPECT_EQ(smbUrl("user:pw@evil", "data$", {"a~b-c_d.e", "50%25 off", "q?x=1;y#z&a+b", "it's!\""}),
            "smb://user%3Apw%40evil/data%24/a~b-c_d.e/50%2525%20off/q%3Fx%3D1%3By%23z%26a%2Bb/"
            "it%27s%21%22");
  // A directory server is a plain host name or address, with a port at most.
  QStringList uris;
  for (const char* address : {"Az-09_z.test", "127.0.0.1:1636", "[fe80::1]:3269", "::1", "", "a b",
                              "ldaps://x", "x:0", "x:65536", "x:+1", "[::1", "dc,q", "[::g]"}) {
    uris << ldapServerUri(address, false) + ldapServerUri(address, true);
  }
  EXPECT_EQ(uris.join(' ').simplified(),
            "ldaps://Az-09_z.test:636ldap://Az-09_z.test:389 ldaps://127.0.0.1:1636ldap://"
            "127.0.0.1:1636 ldaps://[fe80::1]:3269ldap://[fe80::1]:3269 "
            "ldaps://[::1]:636ldap://[::1]:389");
}

TEST(NetCredentials, AFileInTheSmbclientFormatSwitchesCoreDumpsOffAndIsNeverEchoed) {
  // clang-format off
  const char* cases[][4] = {  // text, then user, domain and password, or the error
      {"# who\n; how\n\n  username\t=  admin  \r\npassword =  two words \r\n", "admin", "", "two words "},
      {"password = a=b#c;d\nUSERNAME = QUILL\\admin", "admin", "QUILL", "a=b#c;d"},
      {"username = Q/admin\ndomain = quill.test\npassword = x\npassword = y", "admin", "quill.test", "y"},
      {"username = admin\npassword = Hunter2\nHunter2\n", "line 3: expected \"name = value\""},
      {"user = a\n", "line 1: unknown setting \"user\" (expected username, password or domain)"},
      {"username = admin\npassword =   \n", "no password given"}};
  // clang-format on
  NetCredentials creds;
  QString error;
  for (const auto& c : cases) {
    const bool ok = parseAuthFile(c[0], &creds, &error);
    EXPECT_EQ((ok ? QStringList{creds.user, creds.domain, creds.password} : QStringList{error}),
              (c[2] ? QStringList{c[1], c[2], c[3]} : QStringList{c[1]}))
        << c[0];
  }
  QTemporaryDir tmp;
  QFile file(tmp.filePath("auth"));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("username = a\npassword = pw\n") > 0);
  file.close();
  ASSERT_TRUE(resolveCredentials(file.fileName(), &creds, &error)) << error;
  EXPECT_EQ(creds.password + QString::number(prctl(PR_GET_DUMPABLE, 0, 0, 0, 0)), "pw0");
  EXPECT_FALSE(resolveCredentials(tmp.filePath("missing"), &creds, &error));
  EXPECT_TRUE(error.startsWith(tmp.filePath("missing") + ':')) << error;
}

TEST(NetBackends, SayWhereAndAsWhomButNeverThePasswordAndNeedCredentials) {
  QString error;
  const std::unique_ptr<quill::Backends> backends = openNetworkBackends(
      NetSettings{"dc1.example.test", true, "admin", "EXAMPLE", "Secret-Pw-42", false, 10}, &error);
  ASSERT_TRUE(backends) << error;
  EXPECT_EQ(backends->describe(),
            "domain controller dc1.example.test over LDAP with StartTLS, as EXAMPLE\\admin");
  const EnvGuard cache("KRB5CCNAME", "FILE:/nonexistent/no-ticket");
  NetCredentials creds;
  EXPECT_FALSE(hasKerberosTicket() || resolveCredentials({}, &creds, &error));
  EXPECT_EQ(error, kNoCredentialsMessage);
  error.clear();
  EXPECT_FALSE(openBatchBackends(parseCommandLine({"--batch", "--dc", "x"}).commandLine, &error));
  EXPECT_EQ(error, kNoCredentialsMessage);
}

struct SambaWorld : World {
  explicit SambaWorld(const SambaDc& dc) : dc(dc) {}
  DirectoryService& dir() override { return ldap; }
  QString domain() const override { return dc.domain(); }
  QStringList values(const QString& dn, const QString& a) override { return dc.values(dn, a); }
  bool hasPassword(const QString&, const QString& sam, const QString& pw) override {
    return dc.bindResult(sam, pw) == "data 773";  // right, to be changed at the first logon
  }
  DirectoryService& readOnly() override {
    const QString pw = "Plain-User-Pw1", sam = dc.addUser(pw);
    return *(plain = std::make_unique<LdapDirectory>(dc.settings(sam, dc.domain(), pw)));
  }
  UncFileSystem& files() override { return smb; }
  QString share() const override { return "\\\\" + dc.host() + "\\qdata"; }
  QString disk() const override { return dc.value("QUILL_DC_SHARE_PATH"); }
  ShareService& shares() override { return netapi; }
  QString server() const override { return dc.host(); }
  QString unreachable() const override { return "127.0.0.2"; }
  QString folder(const QString& name) override {  // named as the DC names its folders
    return QDir().mkpath(disk() + '/' + name)
               ? "C:" + QString(disk() + '/' + name).replace('/', '\\')
               : "";
  }
  QStringList listed() override { return dc.shares(); }
  QString pathOf(const QString& share) override { return dc.sharePath(share); }

  SambaDc dc;
  EnvGuard ca{"LDAPTLS_CACERT", dc.caCert().toUtf8()};
  LdapDirectory ldap{NetSettings{dc.host(), true, "Administrator", dc.domain(), dc.adminPassword(),
                                 false, 10}};  // StartTLS, which must carry passwords too
  std::unique_ptr<LdapDirectory> plain;
  SmbFileSystem smb{dc.settings()};  // the two client libraries live and end together
  NetApiShareService netapi{dc.settings()};
};

std::unique_ptr<World> make(QString* why) {
  const std::optional<SambaDc> dc = SambaDc::fromEnvironment(why);
  return dc ? std::make_unique<SambaWorld>(*dc) : nullptr;
}
INSTANTIATE_TEST_SUITE_P(Samba, DirectoryContract, ::testing::Values(WorldMaker{"network", &make}));
INSTANTIATE_TEST_SUITE_P(Samba, FileContract, ::testing::Values(WorldMaker{"network", &make}));
INSTANTIATE_TEST_SUITE_P(Samba, ShareContract, ::testing::Values(WorldMaker{"network", &make}));

using SambaLdap = SambaTest;

TEST_F(SambaLdap, AWrongPasswordIsALogonFailureTriedOnlyOnce) {
  // The DC counts bad passwords only while a lockout threshold is set; this one is never reached.
  const QString policy = "dn: " + dc().baseDn() +
                         "\nchangetype: modify\nreplace: lockoutThreshold"
                         "\nlockoutThreshold: ";
  ASSERT_TRUE(dc().modify(policy + "1000", false));
  const QString sam = dc().addUser("Plain-User-Pw1");
  LdapDirectory dir(dc().settings(sam, dc().domain(), "Not-The-Pw-77"));
  for (int attempt = 0; attempt < 3; ++attempt) {
    PendingError err;
    EXPECT_FALSE(dir.Bind(rootPath(), err));
    EXPECT_EQ(err.number(), kErrLogonFailure) << err.description();
    EXPECT_FALSE(err.description().contains("Not-The-Pw")) << err.description();
  }
  EXPECT_EQ(dc().values("CN=" + sam + ",CN=Users," + dc().baseDn(), "badPwdCount"),
            QStringList{"1"});
  dc().modify(policy + "0", false);
}

TEST_F(SambaLdap, AnUntrustedCertificateIsRefusedUnlessTheUserChoseNotToVerify) {
  const EnvGuard noCa("LDAPTLS_CACERT", QByteArray());
  PendingError err;
  EXPECT_FALSE(LdapDirectory(dc().settings()).Bind(rootPath(), err));
  EXPECT_EQ(err.number(), kErrServerDown) << err.description();
  const EnvGuard never("LDAPTLS_REQCERT", "never");
  EXPECT_TRUE(LdapDirectory(dc().settings()).Bind(rootPath(), err));
}

TEST_F(SambaLdap, ADeadOrStoppedServerFailsWithinTheTimeout) {
  NetSettings settings = dc().settings(), dead = settings;
  settings.timeoutSeconds = 2;
  dead.dcHost += ":1";
  QElapsedTimer timer;
  timer.start();
  PendingError err;
  LdapDirectory nobody(dead);
  EXPECT_FALSE(nobody.Bind(rootPath(), err) ||
               nobody.AccountExists(dc().domain(), "Administrator"));
  EXPECT_EQ(err.number(), kErrServerDown) << err.description();
  EXPECT_LT(timer.elapsed(), 3000);
  LdapDirectory open(settings);
  ASSERT_TRUE(open.Bind(rootPath(), err)) << err.description();
  {
    const DcPause paused(dc());
    timer.restart();  // a request on an open connection, then a new connection's handshake
    EXPECT_FALSE(open.Bind("LDAP://CN=Users," + dc().baseDn(), err));
    EXPECT_FALSE(LdapDirectory(settings).Bind(rootPath(), err));
    EXPECT_EQ(err.number(), kErrServerDown) << err.description();
    EXPECT_LT(timer.elapsed(), 16000);
  }
  EXPECT_TRUE(LdapDirectory(settings).Bind(rootPath(), err)) << err.description();
}

TEST_F(SambaLdap, AKerberosTicketIsFoundAndUsedUntilItEnds) {
  QTemporaryDir tmp;
  const EnvGuard cache("KRB5CCNAME", "FILE:" + tmp.filePath("cc").toUtf8());
  const EnvGuard config("KRB5_CONFIG", dc().value("KRB5_CONFIG").toUtf8());
  const QByteArray password = dc().adminPassword().toUtf8();
  ASSERT_EQ(dc().run("kinit", {"Administrator@QUILL.TEST"}, password, nullptr), 0);
  NetCredentials creds;
  QString error;
  ASSERT_TRUE(resolveCredentials({}, &creds, &error)) << error;
  EXPECT_EQ(creds.user + '@' + creds.domain + creds.password, "Administrator@QUILL.TEST");
  LdapDirectory dir(
      NetSettings{dc().host(), false, creds.user, creds.domain, {}, creds.useKerberos, 10});
  PendingError err;
  std::unique_ptr<DirObject> admin =
      dir.Bind("LDAP://CN=Administrator,CN=Users," + dc().baseDn(), err);
  ASSERT_TRUE(admin) << err.description();
  dir.SetPassword(*admin, dc().adminPassword());  // inside TLS, with no SASL layer of its own
  dir.SetInfo(*admin, err);
  EXPECT_FALSE(err.isSet()) << err.description();
  ASSERT_EQ(dc().run("kinit", {"-l", "4s", "Administrator@QUILL.TEST"}, password, nullptr), 0);
  QThread::sleep(6);
  EXPECT_FALSE(hasKerberosTicket());
}

using SambaFileServer = SambaTest;

TEST_F(SambaFileServer, WrongOrMissingCredentialsReachNothingAndStdoutStaysQuiet) {
  const QString qdata = "\\\\" + dc().host() + "\\qdata";
  NetSettings wrong = dc().settings(), none;
  wrong.password += 'x';
  none.timeoutSeconds = 5;
  for (const NetSettings& given : {wrong, none}) {
    ::testing::internal::CaptureStdout();  // where batch mode writes its log
    SmbFileSystem fs(given);
    NetApiShareService shares(given);
    std::vector<ShareInfo> list;
    // Samba would let an anonymous or guest session see the share list.
    EXPECT_FALSE(fs.exists(qdata) || fs.exists("\\\\" + dc().host() + "\\IPC$") ||
                 fs.makeFolder(qdata + "\\denied", nullptr) ||
                 shares.ConnectShareHost(dc().host(), {}, {}, {}) == kShareHostConnected ||
                 shares.EnumShares(dc().host(), {}, {}, {}, list) == 0 ||
                 shares.CreateShare(dc().host(), "C:\\tmp", uniqueName("Denied")) == 0);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(shares.ConnectShareHost(dc().host(), "QUILL", "Administrator", dc().adminPassword()),
              kShareHostConnected);
  }
}

// Accepts connections on 127.0.0.3:445 (the kernel does) and never answers: a hung server.
struct SilentServer {
  SilentServer() {
    sockaddr_in address{AF_INET, htons(445), {}, {}};
    const int one = 1;  // a listener of an earlier run may linger
    ::inet_pton(AF_INET, "127.0.0.3", &address.sin_addr);
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    listening = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                ::listen(fd, 8) == 0;
  }
  ~SilentServer() { ::close(fd); }
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  bool listening = false;
};

TEST_F(SambaFileServer, DeadAndSilentServersCostNoMoreThanTheTimeout) {
  NetSettings quick = dc().settings();
  quick.timeoutSeconds = 2;
  SmbFileSystem fs(quick);
  QElapsedTimer timer;
  timer.start();
  QString error;
  EXPECT_FALSE(fs.exists("\\\\127.0.0.2\\qdata") ||
               fs.makeFolder("\\\\127.0.0.2\\qdata\\x", &error));
  EXPECT_LT(timer.elapsed(), 3000);  // nothing listens there
  SilentServer silent;
  ASSERT_TRUE(silent.listening);
  timer.restart();
  EXPECT_FALSE(fs.exists("\\\\127.0.0.3\\qdata"));
  EXPECT_GE(timer.elapsed(), 1500);  // it did wait for an answer
  EXPECT_LT(timer.elapsed(), 9000);
  EXPECT_TRUE(fs.exists("\\\\" + dc().host() + "\\qdata"));  // the same client still works
}

// Answers from a script and notes every prompt: "as USER|DOMAIN" (what the dialog offered) or the
// question. A used-up script cancels the dialog and answers No.
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
  QString error;      // a window start with neither a credentials file nor a ticket
  const std::unique_ptr<quill::Backends> backends = openWindowBackends(
      parseCommandLine({"--dc", "192.0.2.1"}).commandLine, user.provider(), &error);
  ASSERT_TRUE(backends) << error;
  backends->setRunDomain("quill.test");
  const Platform p = backends->platform();
  p.shares->DisconnectShareHost();
  EXPECT_EQ(backends->describe() + user.prompts.join(' '),
            "domain controller 192.0.2.1 over LDAPS, as the user given at the first connection");
  DirObject root = domainRoot("quill.test", "DC=quill,DC=test");
  PendingError e[5];
  p.directory->Bind("LDAP://quill.test", e[0]);
  p.directory->Children(root, e[1]);
  p.directory->Get(root, "name", e[2]);
  p.directory->Put(root, "description", "x");
  p.directory->SetInfo(root, e[3]);
  p.directory->Add(root, "LDAP://CN=x,DC=quill,DC=test", e[4]);
  for (const PendingError& err : e) {
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
  std::unique_ptr<quill::Backends> m_backends;
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
  // A folder check cannot tell a refused logon from a missing share; the logon check can.
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
