#pragma once

// The fixture of the whole-run tests: a fresh sandbox per test, the current
// folder moved into a temporary folder (the run log lands there), and the log
// lines a run with the start-up options writes.
#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "core/user_name_pattern.h"
#include "engine/run_driver.h"
#include "engine/run_log.h"
#include "sandbox/memory_directory.h"
#include "sandbox/sandbox.h"
#include "sandbox/sandbox_share_service.h"
#include "support/qt_print.h"
#include "support/report_lines.h"
#include "support/scripted_host.h"

namespace quill::test {

inline const QString kPrefix = QStringLiteral("LDAP://example.test/");
inline const QString kUsersOu = QStringLiteral("OU=Users,OU=OU's,DC=example,DC=test");
inline const QString kGroupsOu = QStringLiteral("OU=Groups,OU=OU's,DC=example,DC=test");
inline const QString kJohn = QStringLiteral("John,Smith,Clerk,Sales,Clerk,555");
inline const QString kAnne = QStringLiteral("Anne,Smith,Manager,Sales,Manager,556");

// DNs as the directory stores them; department and group are given escaped.
inline QString userDn(const QString& cn, const QString& dep) {
  return "CN=" + cn + ",OU=" + dep + "," + kUsersOu;
}
inline QString groupDn(const QString& group) { return "CN=" + group + "," + kGroupsOu; }

// The run's log lines for the start-up options.
inline QString creatingOu(const QString& dep) {
  return "Creating OU: '" + dep + "' in 'OU=Users'...";
}
inline QString creatingUser(const QString& login, const QString& dep) {
  return "Creating user '" + login + "' in '" + kPrefix + "OU=" + dep + "," + kUsersOu + "'...";
}
inline QString creatingGroup(const QString& group) {
  return "Creating group '" + group + "' in 'OU=Groups'...";
}
inline QString adding(const QString& memberDn, const QString& group) {
  return "Adding '" + kPrefix + memberDn + "' to '" + kPrefix + groupDn(group) + "'...";
}
// The lines of the start-up folder plan (private first, then public).
inline QStringList startupPlan() {
  return made("All_Private", "\\All\\All_Private") + made("All_Public", "\\All\\All_Public");
}

inline const QString kErrorsQuestion =
    QStringLiteral("Some errors occurred. Would you like to view the log file?");
inline const QString kWarningsQuestion =
    QStringLiteral("Some warnings occurred. Would you like to view the log file?");

class WholeRun : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_tmp.isValid());
    m_oldCwd = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(m_tmp.path()));  // the run log lands here
    QString error;
    m_sandbox = Sandbox::open(m_tmp.path() + "/sb", &error);
    ASSERT_TRUE(m_sandbox) << error.toStdString();
  }
  void TearDown() override { QDir::setCurrent(m_oldCwd); }

  // Writes a user list of two heading lines and lines, each ended by eol.
  QString writeList(const QStringList& lines, const QByteArray& eol = "\r\n") {
    const QString path = m_tmp.path() + QStringLiteral("/list%1.csv").arg(m_lists++);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("First,Last,Description,Department,Duty,Phone" + eol + "second heading" + eol);
    for (const QString& line : lines) file.write(line.toUtf8() + eol);
    return path;
  }
  // The main window's start-up options with a list and the sandbox's root.
  RunOptions startup(const QStringList& lines) {
    RunOptions o;
    o.txt_CSVFile = writeList(lines);
    o.txt_DirRoot = kDataRoot;
    return o;
  }
  RunOutcome run(ScriptedHost& host) {
    RunDriver driver(m_sandbox->platform(), host, m_log, m_patterns);
    return driver.cmd_GO_Click();
  }
  MemoryDirectory& dir() { return m_sandbox->directory(); }
  QStringList shares() const {
    QStringList result;
    for (const SandboxShare& s : m_sandbox->shares().shares()) result << s.name + "=" + s.localPath;
    return result.mid(3);  // after the new sandbox's own
  }
  QStringList questionTexts(const ScriptedHost& host) const {
    QStringList texts;
    for (const auto& q : host.questions()) texts << q.text;
    return texts;
  }
  // Every folder below the root share, relative to it, "/" separated.
  QStringList dataFolders() const {
    const QString base = m_sandbox->dir() + "/servers/files/D/shares/data";
    QStringList result;
    QDirIterator it(base, QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) result << it.next().mid(base.size() + 1);
    result.sort();
    return result;
  }
  // Every file and folder of the sandbox's servers except the root share's.
  QStringList serversOutsideRoot() const {
    const QString data = m_sandbox->dir() + "/servers/files/D/shares/data/";
    QStringList result;
    QDirIterator it(m_sandbox->dir() + "/servers", QDir::AllEntries | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
      const QString path = it.next();
      if (!path.startsWith(data)) result << path;
    }
    result.sort();
    return result;
  }
  void addAccount(const QString& cn, const QString& sam) {
    PendingError err;
    std::unique_ptr<DirObject> users = dir().Bind(kPrefix + "CN=Users,DC=example,DC=test", err);
    ASSERT_TRUE(users);
    std::unique_ptr<DirObject> user = dir().Create(*users, "user", "CN=" + cn, err);
    ASSERT_TRUE(user);
    dir().Put(*user, "samAccountName", sam);
    dir().SetInfo(*user, err);
    ASSERT_FALSE(err.isSet()) << err.description().toStdString();
  }
  void setMixedMode() {
    PendingError err;
    std::unique_ptr<DirObject> root = dir().Bind("LDAP://example.test", err);
    ASSERT_TRUE(root);
    dir().Put(*root, "nTMixedDomain", "1");
    dir().SetInfo(*root, err);
    ASSERT_FALSE(err.isSet());
  }

  QTemporaryDir m_tmp;
  QString m_oldCwd;
  std::unique_ptr<Sandbox> m_sandbox;
  RunLog m_log;
  UserNamePatterns m_patterns;
  int m_lists = 0;
};

}  // namespace quill::test
