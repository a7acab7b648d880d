#include "engine/run_log.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QSysInfo>
#include <QTemporaryDir>

#include "core/unc_file_system.h"
#include "support/qt_print.h"
#include "support/scripted_host.h"

namespace quill {
namespace {

class NoServers : public UncFileSystem {
 public:
  bool exists(const QString&) override { return false; }
  bool makeFolder(const QString&, QString*) override { return false; }
};

class RunLogTest : public ::testing::Test {
 protected:
  const QDateTime kBegun{QDate(2026, 12, 5), QTime(7, 5)};
  const QDateTime kRotated{QDate(2026, 12, 6), QTime(18, 30)};
  const QString kDatedName = QStringLiteral("quill-From-5-12-26_7-5-to-6-12-26_18-30.log");

  // Opens quill.log in the test folder, without prefixes, as a run would.
  void openPlain(RunLog& log, const QString& folderPath, int maxSizeKB) {
    QString folder = folderPath;
    QString fileName = QStringLiteral("quill.log");
    log.OpenRunLog({}, folder, fileName, maxSizeKB);
  }
  static QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }

  QTemporaryDir m_dir;
  QDateTime m_now = kBegun;
  RunLog m_log{[this] { return m_now; }};
};

TEST_F(RunLogTest, LinesCarryThePrefixesAndEndWithCrLf) {
  QString folder = m_dir.path();
  QString fileName;
  EXPECT_EQ(m_log.OpenRunLog({.IncludeDate = true, .IncludeTime = true}, folder, fileName, 0), 0);
  EXPECT_TRUE(fileName.endsWith(".log"));
  EXPECT_EQ(m_log.path(), m_dir.path() + "/" + fileName);
  EXPECT_TRUE(m_log.WriteLogLine(QString::fromUtf8("Creating OU: 'S\xC3\xA9'")));
  m_log.OpenRunLog({.IncludeDate = true, .IncludeTime = true}, folder, fileName,
                   0);  // a second run appends
  EXPECT_TRUE(m_log.WriteLogLine(QStringLiteral("second run")));
  const QLocale locale = QLocale::system();
  const QString prefix = locale.toString(kBegun.date(), QLocale::ShortFormat) + ", " +
                         locale.toString(kBegun.time(), QLocale::ShortFormat) + ", ";
  EXPECT_EQ(contents(m_log.path()),
            (prefix + QString::fromUtf8("Creating OU: 'S\xC3\xA9'\r\n") + prefix + "second run\r\n")
                .toUtf8());

  const QString host = QSysInfo::machineHostName().left(31);
  folder.clear();
  EXPECT_EQ(m_log.OpenRunLog({.IncludeComputerName = true}, folder, fileName, 0),
            host.isEmpty() ? 1 : 0);
  EXPECT_EQ(folder, QDir::currentPath());
  EXPECT_EQ(m_log.linePrefix(), host + ", ");
}

TEST_F(RunLogTest, RotatesOnceTheFileHasReachedTheLimit) {
  struct Case {
    int maxSizeKB;
    qsizetype fileSize;
    bool rotated;
  };
  const Case cases[] = {
      {1, 1023, false}, {1, 1024, true}, {1, 1500, true}, {0, 1048575, false}, {0, 1048576, true},
  };
  for (const Case& c : cases) {
    QTemporaryDir dir;
    RunLog log([this] { return m_now; });
    m_now = kBegun;
    openPlain(log, dir.path(), c.maxSizeKB);
    m_now = kRotated;
    EXPECT_TRUE(log.WriteLogLine(QString(c.fileSize - 2, QLatin1Char('x'))));
    EXPECT_EQ(QFile::exists(log.path()), !c.rotated) << c.fileSize;
    EXPECT_EQ(QFileInfo(dir.filePath(kDatedName)).size(), c.rotated ? c.fileSize : 0) << c.fileSize;
  }
}

TEST_F(RunLogTest, AfterRotationANewFileAndANewPeriodBegin) {
  openPlain(m_log, m_dir.path(), 1);
  m_now = QDateTime(QDate(2026, 12, 5), QTime(9, 0));
  openPlain(m_log, m_dir.path(), 1);  // a later run does not restart the period
  m_now = kRotated;
  m_log.WriteLogLine(QString(1022, QLatin1Char('a')));
  m_log.WriteLogLine(QStringLiteral("fresh"));
  EXPECT_EQ(contents(m_log.path()), "fresh\r\n");

  m_now = QDateTime(QDate(2005, 1, 2), QTime(0, 9));
  m_log.WriteLogLine(QString(1022, QLatin1Char('b')));
  EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files, QDir::Name),
            QStringList({kDatedName, "quill-From-6-12-26_18-30-to-2-1-05_0-9.log"}));
}

TEST_F(RunLogTest, TwoRotationsInOneMinuteKeepBothFilesAndTheLimit) {
  openPlain(m_log, m_dir.path(), 1);
  m_now = kRotated;
  const QString dated = m_dir.filePath(kDatedName);
  ASSERT_TRUE(QDir().mkdir(dated));  // the dated name is taken
  EXPECT_TRUE(m_log.WriteLogLine(QString(1100, QLatin1Char('a'))));
  EXPECT_FALSE(QFile::exists(m_log.path()));
  const QString second = m_dir.filePath("quill-From-5-12-26_7-5-to-6-12-26_18-30-2.log");
  EXPECT_EQ(QFileInfo(second).size(), 1100 + 2);

  // The period now starts at 18:30, and a second fill within that minute
  // meets its own dated name from the first move.
  EXPECT_TRUE(m_log.WriteLogLine(QString(1100, QLatin1Char('b'))));
  const QString sameMinute = m_dir.filePath("quill-From-6-12-26_18-30-to-6-12-26_18-30.log");
  EXPECT_TRUE(QFile::exists(sameMinute));
  EXPECT_TRUE(m_log.WriteLogLine(QString(1100, QLatin1Char('c'))));
  EXPECT_EQ(contents(m_dir.filePath("quill-From-6-12-26_18-30-to-6-12-26_18-30-2.log")),
            QByteArray(1100, 'c') + "\r\n");
  EXPECT_FALSE(QFile::exists(m_log.path()));
}

TEST_F(RunLogTest, UnwritableLogReportsFalseAndNothingElse) {
  EXPECT_FALSE(m_log.WriteLogLine(QStringLiteral("before any run")));
  QFile notAFolder(m_dir.filePath(QStringLiteral("plain-file")));
  ASSERT_TRUE(notAFolder.open(QIODevice::WriteOnly));
  notAFolder.close();
  openPlain(m_log, notAFolder.fileName(), 1);
  EXPECT_FALSE(m_log.WriteLogLine(QStringLiteral("lost")));
  qint32 size = -7;
  EXPECT_EQ(RunLog::GetLogFileSize(m_log.path(), size), 1);
  EXPECT_EQ(size, -7);
}

TEST_F(RunLogTest, ShowRunLogOpensOnlyAnExistingLog) {
  NoServers unc;
  test::ScriptedHost host;
  ShowRunLog(m_log, host, unc);  // no run yet
  openPlain(m_log, m_dir.path(), 0);
  ShowRunLog(m_log, host, unc);  // no line written yet
  EXPECT_TRUE(host.openedLogs().isEmpty());
  m_log.WriteLogLine(QStringLiteral("x"));
  ShowRunLog(m_log, host, unc);
  EXPECT_EQ(host.openedLogs(), QStringList{m_log.path()});
}

}  // namespace
}  // namespace quill
