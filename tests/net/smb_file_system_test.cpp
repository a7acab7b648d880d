#include "net/smb_file_system.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "net/netapi_share_service.h"
#include "support/qt_print.h"
#include "support/smb_dc_support.h"

namespace quill {
namespace {

using test::uniqueName;
using SambaSmbFileSystemTest = test::SambaFileServerTest;

// Folder names that are plain for a file server but syntax for a URL.
const QStringList kAwkwardNames = {
    QStringLiteral("with space"), QStringLiteral("50%25off"),        QStringLiteral("user@host"),
    QStringLiteral("a;b&c=d+e"),  QStringLiteral("#hash"),           QStringLiteral("~tilde!$"),
    QStringLiteral("it's"),       QStringLiteral("Vertrieb \u00dc"), QStringLiteral("\u65e5\u672c"),
};

TEST_F(SambaSmbFileSystemTest, FoldersAppearOnTheServersDiskUnderTheirExactNames) {
  SmbFileSystem fs(settings());
  QString reason;
  ASSERT_TRUE(fs.isReady(&reason)) << reason.toStdString();

  const QString top = uniqueName(QStringLiteral("made"));
  QString error;
  ASSERT_TRUE(fs.makeFolder(unc({top}), &error)) << error.toStdString();
  for (const QString& name : kAwkwardNames) {
    EXPECT_TRUE(fs.makeFolder(unc({top, name}), &error))
        << name.toStdString() << ": " << error.toStdString();
  }
  // One level only: a missing parent is not made on the way.
  EXPECT_FALSE(fs.makeFolder(unc({top, QStringLiteral("no"), QStringLiteral("deeper")}), &error));
  EXPECT_FALSE(error.isEmpty());

  QDir onDisk(sharePath() + u'/' + top);
  ASSERT_TRUE(onDisk.exists()) << onDisk.path().toStdString();
  QStringList expected = kAwkwardNames;
  expected.sort();
  QStringList actual = onDisk.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
  actual.sort();
  EXPECT_EQ(actual, expected);

  // The server's own listing agrees.
  QString listing;
  ASSERT_EQ(smbclient(share(), QStringLiteral("ls \"%1\\*\"").arg(top), &listing), 0)
      << listing.toStdString();
  for (const QString& name : kAwkwardNames) {
    EXPECT_TRUE(listing.contains(QStringLiteral("  ") + name + u' '))
        << name.toStdString() << " not in:\n"
        << listing.toStdString();
  }
  // Making an existing folder again fails.
  EXPECT_FALSE(fs.makeFolder(unc({top}), &error));
}

TEST_F(SambaSmbFileSystemTest, ExistsTellsSharesFoldersAndFilesFromMissingOnes) {
  const QString top = uniqueName(QStringLiteral("seen"));
  const QString local = sharePath() + u'/' + top;
  ASSERT_TRUE(QDir().mkpath(local + QStringLiteral("/sub/a b")));
  QFile file(local + QStringLiteral("/sub/file.txt"));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("x");
  file.close();

  SmbFileSystem fs(settings());
  const QString server = QStringLiteral("\\\\") + host();
  const struct {
    QString path;
    bool exists;
  } cases[] = {
      {unc(), true},
      {unc() + u'\\', true},
      {server + QStringLiteral("\\QDATA"), true},
      {server + QStringLiteral("\\sysvol"), true},
      {unc({top}), true},
      {unc({top, QStringLiteral("sub")}), true},
      {unc({top, QStringLiteral("SUB")}), true},  // SMB names ignore case
      {unc({top, QStringLiteral("sub"), QStringLiteral("a b")}), true},
      {unc({top, QStringLiteral("sub"), QStringLiteral("file.txt")}), true},
      {unc({top, QStringLiteral("missing")}), false},
      {unc({top, QStringLiteral("sub"), QStringLiteral("file.txt"), QStringLiteral("x")}), false},
      {server + QStringLiteral("\\nosuchshare"), false},
      {server + QStringLiteral("\\nosuchshare\\") + top, false},
      {server, false},
      // Literal names: nothing may be decoded, cut at "?" or read as a parent.
      {unc({top, QStringLiteral("sub"), QStringLiteral("a%20b")}), false},
      {unc({top, QStringLiteral("sub?x")}), false},
      {unc({top, QStringLiteral("sub#x")}), false},
      {unc({top, QStringLiteral("sub"), QStringLiteral("..")}), false},
      {unc({top, QStringLiteral(".."), top}), false},
      {unc({top + QStringLiteral("/sub")}), false},
      {unc({top, QStringLiteral("sub\nx")}), false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(fs.exists(c.path), c.exists) << c.path.toStdString();
  }
}

TEST_F(SambaSmbFileSystemTest, HostileLevelsAreNeverCreated) {
  const QString top = uniqueName(QStringLiteral("hostile"));
  ASSERT_TRUE(QDir().mkpath(sharePath() + u'/' + top));
  SmbFileSystem fs(settings());
  for (const QString& level : {QStringLiteral(".."), QStringLiteral("."), QStringLiteral("a/b"),
                               QStringLiteral("../escaped"), QStringLiteral("x\ty")}) {
    QString error;
    EXPECT_FALSE(fs.makeFolder(unc({top, level}), &error)) << level.toStdString();
    EXPECT_FALSE(error.isEmpty()) << level.toStdString();
  }
  EXPECT_TRUE(QDir(sharePath() + u'/' + top).isEmpty());
  EXPECT_FALSE(QFileInfo::exists(sharePath() + QStringLiteral("/escaped")));
  EXPECT_FALSE(QFileInfo::exists(dc().value("QUILL_DC_DIR") + QStringLiteral("/srv/escaped")));
  // A share cannot be made as a folder.
  QString error;
  EXPECT_FALSE(fs.makeFolder(unc(), &error));
}

TEST_F(SambaSmbFileSystemTest, TheDomainsNameReachesTheDcsSysvol) {
  // The credentials name the NetBIOS domain, the run the DNS domain: both are the DC's.
  NetSettings named = settings();
  named.dcHost = host();
  named.domain = netbiosDomain();
  SmbFileSystem fs(named);
  fs.setDomain(dc().domain());
  const QString domain = dc().domain();
  EXPECT_TRUE(fs.exists(QStringLiteral("\\\\%1\\sysvol").arg(domain)));
  EXPECT_TRUE(
      fs.exists(QStringLiteral("\\\\%1\\SYSVOL\\%2\\Policies").arg(domain.toUpper(), domain)));
  EXPECT_TRUE(fs.exists(QStringLiteral("\\\\%1\\netlogon").arg(netbiosDomain())));
  EXPECT_FALSE(fs.exists(QStringLiteral("\\\\%1\\sysvol\\nothing-here").arg(domain)));
}

TEST_F(SambaSmbFileSystemTest, WrongOrMissingCredentialsReachNothing) {
  NetSettings wrong = settings();
  wrong.password += QStringLiteral("x");
  NetSettings none;
  none.timeoutSeconds = 5;
  for (const NetSettings& given : {wrong, none}) {
    ::testing::internal::CaptureStdout();
    SmbFileSystem fs(given);
    // Samba would let an anonymous or guest session see the share list.
    EXPECT_FALSE(fs.exists(unc())) << given.user.toStdString();
    EXPECT_FALSE(fs.exists(QStringLiteral("\\\\%1\\IPC$").arg(host())));
    QString error;
    EXPECT_FALSE(fs.makeFolder(unc({uniqueName(QStringLiteral("denied"))}), &error));
    EXPECT_FALSE(error.isEmpty());
    // Nothing the library says lands on stdout, where batch mode writes its log.
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), std::string());
  }
}

// A TCP listener on 127.0.0.3:445 that accepts connections (the kernel does)
// but never answers: a server that hangs.
class SilentServer {
 public:
  SilentServer() {
    m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(445);
    ::inet_pton(AF_INET, "127.0.0.3", &address.sin_addr);
    const int one = 1;
    ::setsockopt(m_fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    m_listening = m_fd >= 0 &&
                  ::bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                  ::listen(m_fd, 8) == 0;
  }
  ~SilentServer() {
    if (m_fd >= 0) ::close(m_fd);
  }
  bool listening() const { return m_listening; }

 private:
  int m_fd = -1;
  bool m_listening = false;
};

TEST_F(SambaSmbFileSystemTest, DeadAndSilentServersCostNoMoreThanTheTimeout) {
  NetSettings quick = settings();
  quick.timeoutSeconds = 2;
  SmbFileSystem fs(quick);
  QElapsedTimer timer;
  timer.start();
  EXPECT_FALSE(fs.exists(QStringLiteral("\\\\127.0.0.2\\qdata")));  // nothing listens there
  QString error;
  EXPECT_FALSE(fs.makeFolder(QStringLiteral("\\\\127.0.0.2\\qdata\\x"), &error));
  EXPECT_LT(timer.elapsed(), 3000);

  SilentServer silent;
  if (!silent.listening()) GTEST_SKIP() << "cannot listen on 127.0.0.3:445";
  timer.restart();
  EXPECT_FALSE(fs.exists(QStringLiteral("\\\\127.0.0.3\\qdata")));
  const qint64 elapsed = timer.elapsed();
  EXPECT_GE(elapsed, 1500);  // it did wait for an answer
  EXPECT_LT(elapsed, 4 * 2000 + 1000);
  // The real server is still reachable through the same context.
  EXPECT_TRUE(fs.exists(unc()));
}

TEST_F(SambaSmbFileSystemTest, TheUsersOwnSambaFileIsNotRead) {
  // A user file that would make every connection to the DC fail.
  QTemporaryDir home;
  ASSERT_TRUE(home.isValid());
  ASSERT_TRUE(QDir(home.path()).mkpath(QStringLiteral(".smb")));
  for (const char* name : {"/.smb/smb.conf", "/.smb/smb.conf.append"}) {
    QFile conf(home.path() + QString::fromLatin1(name));
    ASSERT_TRUE(conf.open(QIODevice::WriteOnly));
    conf.write("[global]\n\tclient min protocol = NT1\n\tclient max protocol = NT1\n");
  }
  test::EnvGuard pinned("HOME", home.path().toUtf8());
  SmbFileSystem fs(settings());
  EXPECT_TRUE(fs.exists(unc()));
  EXPECT_EQ(qgetenv("HOME"), home.path().toUtf8());  // the environment is given back
}

TEST_F(SambaSmbFileSystemTest, BothBackendsWorkSideBySideInEitherOrder) {
  // The two client libraries share process-wide configuration, and each
  // loads it again when it starts: whichever comes second must leave the
  // first working, also for connections it opens only afterwards.
  const QString expected = windowsPath(sharePath());
  for (const bool filesFirst : {true, false}) {
    std::unique_ptr<SmbFileSystem> fs;
    std::unique_ptr<NetApiShareService> shares;
    if (filesFirst) {
      fs = std::make_unique<SmbFileSystem>(settings());
      ASSERT_TRUE(fs->exists(unc()));
      shares = std::make_unique<NetApiShareService>(settings());
    } else {
      shares = std::make_unique<NetApiShareService>(settings());
      ASSERT_EQ(shares->GetSharePath(host(), share()), expected);
      fs = std::make_unique<SmbFileSystem>(settings());
    }
    EXPECT_EQ(shares->GetSharePath(host(), share()), expected) << filesFirst;
    const QString top = uniqueName(QStringLiteral("together"));
    QString error;
    EXPECT_TRUE(fs->makeFolder(unc({top}), &error)) << filesFirst << error.toStdString();
    EXPECT_TRUE(fs->exists(QStringLiteral("\\\\%1\\sysvol").arg(host()))) << filesFirst;
    EXPECT_TRUE(fs->exists(QStringLiteral("\\\\%1\\netlogon").arg(host()))) << filesFirst;
    EXPECT_FALSE(shares->GetSharePath(host(), QStringLiteral("SYSVOL")).isEmpty()) << filesFirst;
    EXPECT_TRUE(QFileInfo(sharePath() + u'/' + top).isDir()) << filesFirst;
  }
}

}  // namespace
}  // namespace quill
