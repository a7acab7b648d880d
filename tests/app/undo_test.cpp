// A run record takes its run back: everything the run made goes, nothing
// else does, and a second undo finds it all gone and says so.
#include <sys/types.h>

#include <csignal>

#include "core/directory_service.h"
#include "sandbox/memory_directory.h"
#include "sandbox/sandbox.h"
#include "support/batch_program.h"
#include "support/qt_print.h"

namespace quill {
namespace {

const QStringList kEveryOption = {"--private-location", "per-department", "--hidden-shares", "yes"};

class UndoTest : public test::BatchProgram {
 public:
  // The sandbox's entries, each as its sorted attribute lines.
  QMap<QString, QStringList> entries() {
    QString error;
    std::unique_ptr<Sandbox> sandbox = Sandbox::open(path("S"), &error, Sandbox::Access::ReadOnly);
    EXPECT_TRUE(sandbox) << error.toStdString();
    QMap<QString, QStringList> result;
    if (!sandbox) return result;
    const QList<QByteArray> records = sandbox->directory().toLdif().split('\n');
    QString dn;
    for (const QByteArray& line : records) {
      if (line.startsWith("dn"))
        dn = QString::fromUtf8(line);
      else if (!line.isEmpty() && !dn.isEmpty())
        result[dn] << QString::fromUtf8(line);
    }
    for (QStringList& lines : result) lines.sort();
    return result;
  }
  QByteArray world() { return read("S/shares.tsv") + serverFolders().join(u'\n').toUtf8(); }
  QStringList serverFolders() const {
    QStringList folders;
    QDirIterator it(path("S/servers"), QDir::AllEntries | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) folders << it.next();
    folders.sort();
    return folders;
  }
  test::Exit undo(const QStringList& more = {}) {
    return quill(QStringList{"--batch", "--sandbox", path("S"), "--undo", "last"} + more);
  }
};

TEST_F(UndoTest, TakesBackEveryChangeAndASecondUndoFindsThemGone) {
  freshSandbox();
  const auto directory = entries();
  const QByteArray rest = world();
  ASSERT_EQ(run(QStringList{"--csv", path("S/Users_list.csv")} + kEveryOption).status, 0);
  // What the undo would do is what it then does.
  const QStringList before = sandboxState();
  const test::Exit dry = undo({"--dry-run"});
  EXPECT_EQ(sandboxState(), before);
  const test::Exit first = undo();
  EXPECT_EQ(first.status, 0) << first.out.toStdString();
  EXPECT_EQ(dry.out, first.out);
  for (const char* line :
       {"Removing the share 'Sales_Private$' on 'files'.",
        "Removing directory '\\\\files\\data\\All\\Sales\\Sales_Private'.",
        "Deleting 'LDAP://example.test/CN=John Smith,OU=Sales,OU=Users,OU=OU's,DC=example,DC=test'"
        "..."}) {
    EXPECT_TRUE(first.out.contains(QLatin1String(line))) << line;
  }
  EXPECT_EQ(entries(), directory);
  EXPECT_EQ(world(), rest);
  const test::Exit second = undo();
  EXPECT_EQ(second.status, 0);
  EXPECT_TRUE(second.out.contains(QLatin1String(" 0 changes taken back")))
      << second.out.toStdString();
  EXPECT_EQ(entries(), directory);
  // Undo records are no runs: "last" still names the run.
  EXPECT_EQ(QDir(path("quillstead-runs")).entryList({"*.undo*.jsonl"}).size(), 2);
}

TEST_F(UndoTest, KeepsWhatHoldsSomethingTheRunDidNotMake) {
  freshSandbox();
  ASSERT_EQ(run(QStringList{"--csv", path("S/Users_list.csv")} + kEveryOption).status, 0);
  write("S/servers/files/D/shares/data/All/Sales/Sales_Private/notes.txt", "mine");
  {
    // Somebody places an account of theirs in a department OU.
    QString error;
    std::unique_ptr<Sandbox> sandbox = Sandbox::open(path("S"), &error);
    ASSERT_TRUE(sandbox) << error.toStdString();
    DirectoryService& d = sandbox->directory();
    PendingError err;
    auto ou = d.Bind("LDAP://example.test/OU=Sales,OU=Users,OU=OU's,DC=example,DC=test", err);
    auto user = d.Create(*ou, "user", "CN=Foreign One", err);
    d.Put(*user, "sAMAccountName", "foreign1");
    d.SetInfo(*user, err);
    ASSERT_FALSE(err.isSet());
    ASSERT_TRUE(sandbox->save(&error));
  }
  const test::Exit e = undo();
  EXPECT_EQ(e.status, 2) << e.out.toStdString();
  EXPECT_TRUE(e.out.contains(
      QLatin1String("Warning: the directory '\\\\files\\data\\All\\Sales\\Sales_Private' is not "
                    "empty; it is kept.")));
  EXPECT_TRUE(e.out.contains(QLatin1String(
      "Warning: 'LDAP://example.test/OU=Sales,OU=Users,OU=OU's,DC=example,DC=test' is not empty")));
  const auto left = entries();
  EXPECT_TRUE(left.contains("dn: CN=Foreign One,OU=Sales,OU=Users,OU=OU's,DC=example,DC=test"));
  EXPECT_FALSE(left.contains("dn: CN=John Smith,OU=Sales,OU=Users,OU=OU's,DC=example,DC=test"));
  EXPECT_FALSE(left.contains("dn: OU=IT,OU=Users,OU=OU's,DC=example,DC=test"));
  EXPECT_TRUE(QFileInfo::exists(data("All/Sales/Sales_Private/notes.txt")));
  EXPECT_FALSE(QFileInfo::exists(data("All/Sales/Sales_Public")));
  EXPECT_FALSE(read("S/shares.tsv").contains("Sales_Private"));
}

TEST_F(UndoTest, AKilledRunsRecordTakesItBackWhole) {
  freshSandbox();
  const auto directory = entries();
  const QByteArray rest = world();
  QProcess p;
  const pid_t pid = static_cast<pid_t>(startLongRun(p));
  ASSERT_GT(pid, 0);
  for (qsizetype lines = 0; lines < 500 && p.state() == QProcess::Running;) {
    p.waitForReadyRead(1000);
    lines += p.readAllStandardOutput().count('\n');
  }
  ::kill(pid, SIGKILL);
  ASSERT_TRUE(p.waitForFinished(60000));
  const test::Exit e = undo();
  EXPECT_EQ(e.status, 0) << e.out.right(500).toStdString();
  EXPECT_EQ(entries(), directory);
  EXPECT_EQ(world(), rest);
}

}  // namespace
}  // namespace quill
