#pragma once

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

namespace quill::test {

// What one start of the program gave back.
struct Exit {
  int status = -1;
  QString out;
  QString err;
};

// The real program in batch mode, started in a temporary folder of its own
// (so its run log and run records land there), on the sandbox S in it.
class BatchProgram : public ::testing::Test {
 public:
  void SetUp() override { ASSERT_TRUE(m_tmp.isValid()); }

  QString path(const QString& name) const { return m_tmp.filePath(name); }
  QString write(const QString& name, const QByteArray& data) {
    QFile file(path(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(data);
    return file.fileName();
  }
  QByteArray read(const QString& name) const {
    QFile f(path(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }
  // A list of two heading lines and the given person lines, CR LF ended.
  QString list(const QStringList& persons, const QString& name = QStringLiteral("list.csv")) {
    QByteArray data = "First,Last,Description,Department,Duty,Phone\r\nheading\r\n";
    for (const QString& person : persons) data += person.toUtf8() + "\r\n";
    return write(name, data);
  }
  Exit quill(const QStringList& args, const QByteArray& input = {},
             const QString& program = QStringLiteral(QUILL_BINARY)) {
    QProcess p;
    p.setWorkingDirectory(m_tmp.path());
    p.start(program, args);
    p.write(input);
    p.closeWriteChannel();
    EXPECT_TRUE(p.waitForFinished(120000)) << args.join(' ').toStdString();
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
  }
  // A batch run on the sandbox S with the folder root \\files\data and a
  // password file holding password.
  Exit run(const QStringList& flags, const QByteArray& password = "Secret-1\n") {
    const QString pw = write(QStringLiteral("pw"), password);
    return quill(QStringList{"--batch", "--sandbox", path("S"), "--dir-root", "\\\\files\\data",
                             "--password-file", pw} +
                 flags);
  }
  // Starts, in p, a batch run of 20,000 persons in 40 departments on the
  // sandbox S, long enough to be interrupted; its process id.
  qint64 startLongRun(QProcess& p) {
    QStringList persons;
    for (int i = 0; i < 20000; ++i) {
      persons << QStringLiteral("F%1,L%1,d,D%2,C,1").arg(i).arg(i % 40);
    }
    const QString csv = list(persons);
    const QString pw = write(QStringLiteral("pw"), "Secret-1\n");
    p.setWorkingDirectory(m_tmp.path());
    p.start(QStringLiteral(QUILL_BINARY), {"--batch", "--sandbox", path("S"), "--csv", csv,
                                           "--dir-root", "\\\\files\\data", "--password-file", pw});
    EXPECT_TRUE(p.waitForStarted());
    return p.processId();
  }
  // The sandbox S made and left as a new one is.
  void freshSandbox() {
    ASSERT_EQ(quill({"--batch", "--sandbox",        path("S"), "--csv",
                     list({}),  "--users",          "no",      "--full-tree",
                     "no",      "--department-ous", "no",      "--department-groups",
                     "no",      "--duty-groups",    "no",      "--private-dirs",
                     "no",      "--single-public",  "no",      "--department-public",
                     "no"})
                  .status,
              0);
  }
  // Every file of the sandbox with its bytes and its time, to compare.
  QStringList sandboxState() const {
    QStringList state;
    const QDir dir(path("S"));
    QDirIterator it(dir.path(), QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
      const QFileInfo info(it.next());
      QFile f(info.filePath());
      const QByteArray bytes = info.isFile() && f.open(QIODevice::ReadOnly) ? f.readAll() : "";
      state << dir.relativeFilePath(info.filePath()) + u' ' +
                   QString::number(info.lastModified().toMSecsSinceEpoch()) + u' ' +
                   QString::fromUtf8(bytes.toHex().left(64)) + QString::number(qHash(bytes));
    }
    state.sort();
    return state;
  }
  QString data(const QString& relative) const {
    return path(QStringLiteral("S/servers/files/D/shares/data/") + relative);
  }

  QTemporaryDir m_tmp;
};

}  // namespace quill::test
