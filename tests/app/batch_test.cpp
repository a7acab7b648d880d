// The program itself, started on sandboxes: exit statuses, what it prints, and
// the sandbox files it leaves behind.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include "app/batch_mode.h"
#include "app/command_line.h"
#include "app/password_files.h"
#include "sandbox/memory_directory.h"
#include "sandbox/sandbox_backends.h"
#include "support/qt_print.h"

namespace quill {
namespace {

const QString kPassword = QStringLiteral("Correct-Horse-7");

struct Exit {
  int status = -1;
  QString out, err;
};

class BatchTest : public ::testing::Test {
 protected:
  QString writeFile(const QString& name, const QByteArray& data) {
    QFile file(m_tmp.filePath(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(data);
    return file.fileName();
  }
  // Runs the program in the temporary folder, so its run log lands there.
  Exit quill(const QStringList& args) {
    QProcess p;
    p.setWorkingDirectory(m_tmp.path());
    p.start(QStringLiteral(QUILL_BINARY), args);
    EXPECT_TRUE(p.waitForFinished(120000)) << args.join(' ').toStdString();
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
  }
  // A batch run on the sandbox sb with the folder root, a password file and
  // the sandbox's sample list, or a list of the heading lines and persons.
  QStringList runArgs(const QByteArray& persons = QByteArray()) {
    const QByteArray headings = "First,Last,Description,Department,Duty,Phone\r\nsecond\r\n";
    const QString list =
        persons.isEmpty()
            ? m_dir + "/Users_list.csv"
            : writeFile(QStringLiteral("list%1.csv").arg(qHash(persons)), headings + persons);
    // clang-format off
    return {"--sandbox", m_dir, "--batch", "--csv", list, "--dir-root", "\\\\files\\data",
            "--password-file", writeFile("pw", (kPassword + "\n").toUtf8())};
    // clang-format on
  }

  QTemporaryDir m_tmp;
  const QString m_dir = m_tmp.filePath("sb");
};

TEST_F(BatchTest, FirstRunOnANewSandboxPrintsTheLogAndSavesTheSandbox) {
  const Exit exit = quill(runArgs());
  EXPECT_EQ(exit.status, kExitSuccess) << exit.err.toStdString();
  EXPECT_TRUE(exit.err.startsWith("Quillstead: Processed ")) << exit.err.toStdString();
  // Standard output is the run log without its date and time.
  QFile log(m_tmp.filePath("quillstead.log"));
  ASSERT_TRUE(log.open(QIODevice::ReadOnly));
  const QByteArray logText = log.readAll();
  const QStringList logLines = QString::fromUtf8(logText).split("\r\n", Qt::SkipEmptyParts);
  const QStringList outLines = exit.out.split('\n', Qt::SkipEmptyParts);
  ASSERT_EQ(outLines.size(), logLines.size());
  for (qsizetype i = 0; i < outLines.size(); ++i) {
    EXPECT_TRUE(logLines[i].endsWith(", " + outLines[i]) &&
                logLines[i].size() > outLines[i].size() + 4)
        << logLines[i].toStdString();
  }
  // The sandbox is saved; the password comes from its file and is nowhere in the clear.
  MemoryDirectory saved("example.test");
  QFile savedFile(m_dir + "/directory.ldif");
  ASSERT_TRUE(savedFile.open(QIODevice::ReadOnly) && saved.fromLdif(savedFile.readAll(), nullptr));
  EXPECT_TRUE(
      saved.checkPassword("CN=John Smith,OU=Sales,OU=Users,OU=OU's,DC=example,DC=test", kPassword));
  QFile ldif(m_dir + "/directory.ldif");
  ASSERT_TRUE(ldif.open(QIODevice::ReadOnly));
  for (const QByteArray& text : {exit.out.toUtf8(), exit.err.toUtf8(), logText, ldif.readAll()})
    EXPECT_FALSE(text.contains(kPassword.toUtf8()));
}

// How each way of ending shows; the run's own messages are the engine's tests.
TEST_F(BatchTest, ExitStatusTellsHowTheRunEnded) {
  const QString notADir = writeFile("plain", "");
  const struct {
    const char* what;
    QStringList args;
    int status;
    QString err;  // the start of standard error; batch mode never offers the log
  } cases[] = {
      // clang-format off
      {"warnings", runArgs("John,Smith,a,Sales,Clerk,1\r\nJack,Smith,b,Sales,Clerk,2\r\n"),
       kExitWarnings, ""},
      {"errors", runArgs("John,Smith\r\n"), kExitErrors, ""},
      {"a refused check", runArgs() << "--confirm-password-file" << writeFile("pw2", "x"),
       kExitEarlyEnd, "Quillstead: Passwords do not much."},
      {"No to a question", runArgs() << "--dir-root" << "\\\\files\\data\\new", kExitEarlyEnd,
       "Quillstead: \\\\files\\data\\new Does not exist. Create it?.\n"},
      {"--yes to it", runArgs() << "--dir-root" << "\\\\files\\data\\new" << "--yes", kExitSuccess,
       "Quillstead: \\\\files\\data\\new Does not exist. Create it?.\nQuillstead: Processed"},
      {"a sandbox that cannot be opened", {"--batch", "--sandbox", notADir, "--users", "no"},
       kExitEarlyEnd, "quillstead: " + notADir},
      {"accounts without a password file", {"--batch", "--sandbox", m_dir}, kExitUsage,
       "quillstead: accounts are to be created: give their initial password with --password-file"},
      {"an unknown flag", {"--batch", "--bogus"}, kExitUsage, "quillstead: unknown option"},
      {"an unreadable password file",
       {"--batch", "--sandbox", m_dir, "--password-file", m_tmp.filePath("none")}, kExitUsage,
       "quillstead: the password file '" + m_tmp.filePath("none") + "' of --password-file: "},
      // clang-format on
  };
  for (const auto& c : cases) {
    QDir(m_dir).removeRecursively();
    const Exit exit = quill(c.args);
    EXPECT_EQ(exit.status, c.status) << c.what << ": " << exit.err.toStdString();
    EXPECT_TRUE(c.err.isEmpty() ? exit.err.isEmpty() : exit.err.startsWith(c.err))
        << c.what << ": " << exit.err.toStdString();
  }
  EXPECT_FALSE(QFileInfo::exists(m_dir)) << "bad usage touches nothing";
  EXPECT_EQ(quill({"--help"}).out, usageText());
}

// The sandbox's backends as a full disk leaves them: nothing can be saved.
class UnsavedBackends : public Backends {
 public:
  explicit UnsavedBackends(std::unique_ptr<Backends> inner) : m_inner(std::move(inner)) {}
  Platform platform() override { return m_inner->platform(); }
  bool save(QString* error) override { return error->append("the disk is full").isEmpty(); }
  QString describe() const override { return m_inner->describe(); }
  std::unique_ptr<Backends> m_inner;
};

TEST_F(BatchTest, ARunWhoseSandboxCannotBeSavedEndsWithErrors) {
  const QString current = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(m_tmp.path()));  // the run log lands there
  UnsavedBackends backends(openSandboxBackends(m_dir, nullptr));
  const CommandLine commandLine = parseCommandLine(runArgs()).commandLine;
  InitialPasswords passwords;
  ASSERT_TRUE(readPasswordFiles(commandLine, &passwords, nullptr));
  EXPECT_EQ(runBatch(commandLine, backends, passwords), kExitErrors);
  QDir::setCurrent(current);
}

}  // namespace
}  // namespace quill
