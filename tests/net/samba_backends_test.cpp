// The network backends against the fixture's Samba DC: the contracts every backend keeps, and
// what only a real server shows (logons, certificates, dead and silent servers).
#include <arpa/inet.h>

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>

#include "net/ldap_directory.h"
#include "net/netapi_share_service.h"
#include "net/smb_file_system.h"
#include "support/backend_contracts.h"
#include "support/samba_dc.h"

namespace quill::test {
namespace {

struct SambaWorld : World {
  explicit SambaWorld(const SambaDc& dc) : dc(dc) {}
  DirectoryService& dir() override { return ldap; }
  QString domain() const override { return dc.domain(); }
  QString baseDn() const override { return dc.baseDn(); }
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
  LdapDirectory ldap{dc.settings()};
  std::unique_ptr<LdapDirectory> plain;
  SmbFileSystem smb{dc.settings()};  // the two client libraries live and end together
  NetApiShareService netapi{dc.settings()};
};

std::unique_ptr<World> make(QString* why) {
  const std::optional<SambaDc> dc = SambaDc::fromEnvironment(why);
  return dc ? std::make_unique<SambaWorld>(*dc) : nullptr;
}
INSTANTIATE_TEST_SUITE_P(Samba, DirectoryContract, ::testing::Values(Backends{"network", &make}));
INSTANTIATE_TEST_SUITE_P(Samba, FileContract, ::testing::Values(Backends{"network", &make}));
INSTANTIATE_TEST_SUITE_P(Samba, ShareContract, ::testing::Values(Backends{"network", &make}));

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

TEST_F(SambaLdap, StartTlsCarriesPasswordsAndAnUntrustedCertificateIsRefused) {
  NetSettings tls = dc().settings();
  tls.startTls = true;
  LdapDirectory dir(tls);
  PendingError err;
  const std::unique_ptr<DirObject> users = dir.Bind("LDAP://CN=Users," + dc().baseDn(), err);
  ASSERT_TRUE(users) << err.description();
  const QString name = uniqueName("tls");
  std::unique_ptr<DirObject> user = dir.Create(*users, "user", "CN=" + name, err);
  dir.Put(*user, "sAMAccountName", name);
  dir.SetPassword(*user, "Quill-StartTls-2024!");
  dir.SetInfo(*user, err);
  EXPECT_FALSE(err.isSet()) << err.description();
  // Without the DC's CA nothing is sent, unless the user chose not to verify.
  const EnvGuard noCa("LDAPTLS_CACERT", QByteArray());
  EXPECT_FALSE(LdapDirectory(tls).Bind(rootPath(), err) ||
               LdapDirectory(dc().settings()).Bind(rootPath(), err));
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
    QString error;
    // Samba would let an anonymous or guest session see the share list.
    EXPECT_FALSE(fs.exists(qdata) || fs.exists("\\\\" + dc().host() + "\\IPC$") ||
                 fs.makeFolder(qdata + "\\denied", &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(shares.ConnectShareHost(dc().host(), {}, {}, {}), kShareHostFailed);
    EXPECT_NE(shares.EnumShares(dc().host(), {}, {}, {}, list), 0);
    EXPECT_NE(shares.CreateShare(dc().host(), "C:\\tmp", uniqueName("Denied")), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
    // The account given with a call is used instead.
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

}  // namespace
}  // namespace quill::test
