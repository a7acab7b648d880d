// The real program in batch mode on sandboxes: exit statuses, what it
// prints, and the sandbox files it leaves behind.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>
#include <filesystem>

#include "sandbox/ldif.h"
#include "sandbox/memory_directory.h"
#include "support/qt_print.h"

namespace quill {
namespace {

const QString kSuffix = QStringLiteral(",DC=example,DC=test");
const QString kUsersOu = QStringLiteral("OU=Users,OU=OU's,DC=example,DC=test");
const QString kGroupsOu = QStringLiteral("OU=Groups,OU=OU's,DC=example,DC=test");
const QString kPassword = QStringLiteral("Correct-Horse-7");

struct Exit {
  int status = -1;
  QString out;
  QString err;
};

// One entry of an LDIF file: attribute name and value lines in file order.
using Entries = QMap<QString, QList<std::pair<QString, QString>>>;

class BatchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_tmp.isValid());
    m_passwordFile = writeFile("pw", (kPassword + "\n").toUtf8());
  }

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
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(QUILL_BINARY), args);
    EXPECT_TRUE(p.waitForFinished(120000)) << args.join(' ').toStdString();
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
  }
  // A batch run on the sandbox DIR with the folder root and password file.
  QStringList runArgs(const QString& dir) const {
    return {"--sandbox",
            dir,
            "--batch",
            "--csv",
            dir + "/Users_list.csv",
            "--dir-root",
            "\\\\files\\data",
            "--password-file",
            m_passwordFile};
  }
  static Entries readLdif(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    QString error;
    const auto records = parseLdif(file.readAll(), &error);
    EXPECT_TRUE(records.has_value()) << error.toStdString();
    Entries entries;
    for (const LdifRecord& r : records.value_or(std::vector<LdifRecord>{})) {
      for (const LdifAttribute& a : r.attributes) entries[r.dn].append({a.name, a.value});
    }
    return entries;
  }
  static QStringList values(const Entries& entries, const QString& dn, const QString& name) {
    QStringList result;
    for (const auto& [n, v] : entries.value(dn)) {
      if (n.compare(name, Qt::CaseInsensitive) == 0) result << v;
    }
    return result;
  }
  // The persons of the sample list: first, last, department, duty.
  static QList<QStringList> persons(const QString& dir) {
    QFile file(dir + "/Users_list.csv");
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    QList<QStringList> result;
    const QStringList lines = QString::fromUtf8(file.readAll()).split("\r\n", Qt::SkipEmptyParts);
    for (const QString& line : lines.mid(2)) result << line.split(',');
    return result;
  }
  // The modification times of the sandbox's files.
  static std::vector<std::filesystem::file_time_type> fileTimes(const QString& dir) {
    std::vector<std::filesystem::file_time_type> times;
    for (const char* name : {"/directory.ldif", "/shares.tsv", "/Users_list.csv"}) {
      EXPECT_TRUE(QFileInfo::exists(dir + name)) << name;
      times.push_back(std::filesystem::last_write_time((dir + name).toStdString()));
    }
    return times;
  }

  QTemporaryDir m_tmp;
  QString m_passwordFile;
};

TEST_F(BatchTest, FirstRunOnANewSandboxBuildsEverything) {
  const QString dir = m_tmp.filePath("sb");
  const Exit exit = quill(runArgs(dir));
  const QList<QStringList> people = persons(dir);
  ASSERT_GT(people.size(), 10);
  EXPECT_EQ(exit.status, 0) << exit.err.toStdString();
  EXPECT_TRUE(exit.err.contains(
      QStringLiteral("Quillstead: Processed %1 users succesfully.").arg(people.size())))
      << exit.err.toStdString();

  // The password comes from its file; the rest of each account is the
  // account step's own tests'.
  const Entries ldif = readLdif(dir + "/directory.ldif");
  MemoryDirectory saved(QStringLiteral("example.test"));
  QString error;
  QFile savedFile(dir + "/directory.ldif");
  ASSERT_TRUE(savedFile.open(QIODevice::ReadOnly));
  ASSERT_TRUE(saved.fromLdif(savedFile.readAll(), &error)) << error.toStdString();
  QSet<QString> departments;
  for (const QStringList& p : people) {
    const QString dn = "CN=" + p[0] + " " + p[1] + ",OU=" + p[3] + "," + kUsersOu;
    const QString group = "CN=" + p[3] + "_" + p[4] + "," + kGroupsOu;
    SCOPED_TRACE(dn.toStdString());
    departments << p[3];
    EXPECT_EQ(values(ldif, dn, "sAMAccountName"), QStringList{p[0].left(1) + p[1]});
    EXPECT_TRUE(saved.checkPassword(dn, kPassword));
    EXPECT_TRUE(values(ldif, group, "member").contains(dn));
    EXPECT_TRUE(values(ldif, "CN=" + p[3] + "," + kGroupsOu, "member").contains(group));
  }

  QFile tsv(dir + "/shares.tsv");
  ASSERT_TRUE(tsv.open(QIODevice::ReadOnly));
  const QStringList shares = QString::fromUtf8(tsv.readAll()).split('\n', Qt::SkipEmptyParts);
  QStringList names = {"All_Private", "All_Public"};
  for (const QString& d : departments) names << d + "_Public";
  for (const QString& name : names) {
    EXPECT_TRUE(shares.contains("files\t" + name + "\tD:\\shares\\data\\All\\" + name))
        << name.toStdString();
    EXPECT_TRUE(QFileInfo(dir + "/servers/files/D/shares/data/All/" + name).isDir())
        << name.toStdString();
  }
  EXPECT_EQ(shares.size(), names.size() + 3);

  // Standard output is the run log without its date and time.
  QFile log(m_tmp.filePath("quillstead.log"));
  ASSERT_TRUE(log.open(QIODevice::ReadOnly));
  const QByteArray logText = log.readAll();
  const QStringList logLines = QString::fromUtf8(logText).split("\r\n", Qt::SkipEmptyParts);
  const QStringList outLines = exit.out.split('\n', Qt::SkipEmptyParts);
  ASSERT_EQ(outLines.size(), logLines.size());
  for (qsizetype i = 0; i < outLines.size(); ++i) {
    EXPECT_TRUE(logLines[i].endsWith(", " + outLines[i])) << logLines[i].toStdString();
    EXPECT_GT(logLines[i].size(), outLines[i].size() + 4) << logLines[i].toStdString();
  }
  EXPECT_TRUE(outLines.contains("Creating OU: 'Sales' in 'OU=Users'..."));

  // The password is nowhere in the clear.
  QFile ldifFile(dir + "/directory.ldif");
  ASSERT_TRUE(ldifFile.open(QIODevice::ReadOnly));
  for (const QByteArray& text :
       {exit.out.toUtf8(), exit.err.toUtf8(), logText, ldifFile.readAll()}) {
    EXPECT_FALSE(text.contains(kPassword.toUtf8()));
  }
}

TEST_F(BatchTest, SecondIdenticalRunChangesNoExistingObject) {
  const QString dir = m_tmp.filePath("sb");
  ASSERT_EQ(quill(runArgs(dir)).status, 0);
  const Entries first = readLdif(dir + "/directory.ldif");
  const auto before = fileTimes(dir);
  QThread::msleep(20);
  const Exit second = quill(runArgs(dir));
  EXPECT_EQ(second.status, 1);
  EXPECT_TRUE(
      second.out.contains("Warning: 'JSmith' already exists. No changes will be made to "
                          "the existing account."));
  const Entries after = readLdif(dir + "/directory.ldif");
  for (auto it = first.begin(); it != first.end(); ++it) {
    EXPECT_EQ(after.value(it.key()), it.value()) << it.key().toStdString();
  }
  EXPECT_TRUE(fileTimes(dir) == before) << "a run that made nothing rewrote the sandbox";
}

TEST_F(BatchTest, RefusedCheckExitsThreeAndLeavesTheSandboxFilesAlone) {
  const QString dir = m_tmp.filePath("sb");
  const QString other = writeFile("pw2", "Something-else-1\n");
  const QStringList refused = runArgs(dir) << "--confirm-password-file" << other;
  const Exit exit = quill(refused);
  EXPECT_EQ(exit.status, 3);
  EXPECT_EQ(exit.err, "Quillstead: Passwords do not much. Please re-enter.\n");
  // The new sandbox is made all the same, with nothing of the run in it.
  EXPECT_FALSE(readLdif(dir + "/directory.ldif").contains(kUsersOu));
  const auto before = fileTimes(dir);
  QThread::msleep(20);
  EXPECT_EQ(quill(refused).status, 3);
  EXPECT_TRUE(fileTimes(dir) == before) << "a refused start rewrote the sandbox";
}

TEST_F(BatchTest, QuestionsAreAnsweredNoUnlessYesIsGiven) {
  const QString dir = m_tmp.filePath("sb");
  QStringList args = runArgs(dir);
  args[args.indexOf("--dir-root") + 1] = "\\\\files\\data\\fresh";
  const QString fresh = dir + "/servers/files/D/shares/data/fresh";

  const Exit no = quill(args);
  EXPECT_EQ(no.status, 3);
  EXPECT_EQ(no.err, "Quillstead: \\\\files\\data\\fresh Does not exist. Create it?.\n");
  EXPECT_FALSE(QFileInfo::exists(fresh));

  const Exit yes = quill(args << "--yes");
  EXPECT_EQ(yes.status, 0) << yes.err.toStdString();
  EXPECT_TRUE(QFileInfo(fresh + "/All/All_Public").isDir());
}

// Which arguments are refused is the command line's own test.
TEST_F(BatchTest, BadUsageExits64AndTouchesNothing) {
  const QString dir = m_tmp.filePath("sb");
  for (const QStringList& extra : {QStringList{"--bogus"}, QStringList{"--full-tree", "maybe"},
                                   QStringList{"--password-file", m_tmp.filePath("none")}}) {
    const Exit exit = quill(QStringList{"--sandbox", dir, "--batch"} + extra);
    EXPECT_EQ(exit.status, 64) << extra.join(' ').toStdString();
    EXPECT_TRUE(exit.err.contains(extra.first())) << exit.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(dir)) << extra.join(' ').toStdString();
  }
}

}  // namespace
}  // namespace quill
