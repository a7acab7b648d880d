#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <memory>

#include "core/user_name_pattern.h"
#include "engine/run_context.h"
#include "engine/run_driver.h"
#include "engine/run_log.h"
#include "sandbox/memory_directory.h"
#include "sandbox/sandbox.h"
#include "sandbox/sandbox_file_system.h"
#include "sandbox/sandbox_share_service.h"
#include "support/qt_print.h"
#include "support/scripted_host.h"

namespace quill::test {

// The names of a new sandbox: its domain, the full tree's OUs and the folder
// root \\files\data, which is D:\shares\data on the server.
inline const QString kPrefix = QStringLiteral("LDAP://example.test/");
inline const QString kRootDn = QStringLiteral("DC=example,DC=test");
inline const QString kUsersOu = QStringLiteral("OU=Users,OU=OU's,DC=example,DC=test");
inline const QString kGroupsOu = QStringLiteral("OU=Groups,OU=OU's,DC=example,DC=test");
inline const QString kDataRoot = QStringLiteral("\\\\files\\data");
inline const QString kDataLocal = QStringLiteral("D:\\shares\\data");

// A new sandbox in a temporary folder that is also the current folder (a run's
// log lands there), a scripted host and a run context over both: a test calls
// one step on ctx(), or makes a whole run of the GO command with run().
class SandboxRun : public ::testing::Test {
 public:
  void SetUp() override {
    ASSERT_TRUE(m_tmp.isValid());
    m_oldCwd = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(m_tmp.path()));
    reopen();
  }
  void TearDown() override { QDir::setCurrent(m_oldCwd); }

  // Starts afresh: a new sandbox and a host without history holding the
  // start-up options with the root \\files\data.
  void reopen() {
    QString error;
    m_sandbox = Sandbox::open(m_tmp.filePath(QStringLiteral("sb%1").arg(++m_opened)), &error);
    ASSERT_NE(m_sandbox, nullptr) << error.toStdString();
    m_host = ScriptedHost();
    m_host.runOptions().txt_DirRoot = kDataRoot;
    m_patterns = UserNamePatterns();
    m_ctx = std::make_unique<RunContext>(m_host, m_sandbox->directory(), m_sandbox->files(),
                                         m_sandbox->shares(), m_log, m_patterns);
    m_ctx->domain = deriveDomainStrings(QStringLiteral("example.test"));
  }

  MemoryDirectory& dir() { return m_sandbox->directory(); }
  RunContext& ctx() { return *m_ctx; }
  RunOptions& options() { return m_host.runOptions(); }

  // One run of the GO command on the sandbox, talking to host.
  RunOutcome run(RunHost& host) {
    return RunDriver(m_sandbox->platform(), host, m_log, m_patterns).cmd_GO_Click();
  }

  // Binds "LDAP://example.test/" + dn; fails the test when it does not exist.
  std::unique_ptr<DirObject> bind(const QString& dn) {
    PendingError err;
    std::unique_ptr<DirObject> obj = dir().Bind(kPrefix + dn, err);
    EXPECT_NE(obj, nullptr) << dn.toStdString() << ": " << err.description().toStdString();
    return obj;
  }
  // Stores rdn of objectClass under parentDn, with a sAMAccountName if given.
  void add(const QString& parentDn, const QString& rdn, const QString& objectClass,
           const QString& sam = QString()) {
    PendingError err;
    std::unique_ptr<DirObject> obj = dir().Create(*bind(parentDn), objectClass, rdn, err);
    ASSERT_NE(obj, nullptr) << rdn.toStdString();
    if (!sam.isEmpty()) dir().Put(*obj, QStringLiteral("samAccountName"), sam);
    dir().SetInfo(*obj, err);
    ASSERT_FALSE(err.isSet()) << err.description().toStdString();
  }
  // Sets one attribute of the domain root (nTMixedDomain, minPwdLength).
  void setRootAttribute(const QString& attribute, const QString& value) {
    PendingError err;
    std::unique_ptr<DirObject> root = bind(kRootDn);
    dir().Put(*root, attribute, value);
    dir().SetInfo(*root, err);
    ASSERT_FALSE(err.isSet()) << err.description().toStdString();
  }

  // Writes a user list of two heading lines and lines, each ended by eol.
  QString writeList(const QStringList& lines, const QByteArray& eol = "\r\n") {
    QFile file(m_tmp.filePath(QStringLiteral("list%1.csv").arg(m_opened)));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("First,Last,Description,Department,Duty,Phone" + eol + "second heading" + eol);
    for (const QString& line : lines) file.write(line.toUtf8() + eol);
    return file.fileName();
  }
  // The folder on the sandbox's disk for tail below \\files\data ("\All").
  QString dataFolder(QString tail = QString()) const {
    return m_sandbox->dir() + QStringLiteral("/servers/files/D/shares/data") +
           tail.replace(QLatin1Char('\\'), QLatin1Char('/'));
  }
  // Shares made after the new sandbox's own three, as "name=path" with the
  // path below D:\shares\data.
  QStringList newShares() const {
    QStringList result;
    for (const SandboxShare& s : m_sandbox->shares().shares())
      result << s.name + "=" + QString(s.localPath).remove(kDataLocal);
    return result.mid(3);
  }
  // Every file and folder of the sandbox's servers outside the folder root.
  QStringList outsideDataRoot() const {
    QStringList all;
    QDirIterator it(m_sandbox->dir() + "/servers", QDir::AllEntries | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) all << it.next();
    return all.filter(QRegularExpression("^(?!" + QRegularExpression::escape(dataFolder()) + "/)"));
  }

  QTemporaryDir m_tmp;
  QString m_oldCwd;
  int m_opened = 0;
  std::unique_ptr<Sandbox> m_sandbox;
  ScriptedHost m_host;
  RunLog m_log;
  UserNamePatterns m_patterns;
  std::unique_ptr<RunContext> m_ctx;
};

}  // namespace quill::test
