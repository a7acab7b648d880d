#include "engine/run_log.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

#include "support/qt_print.h"

namespace quill {
namespace {

class RunLogTest : public ::testing::Test {
 protected:
  // Opens quill.log in the test's folder (or in folder), without prefixes.
  void open(int maxSizeKB, QString folder = QString()) {
    if (folder.isEmpty()) folder = m_dir.path();
    QString fileName = QStringLiteral("quill.log");
    m_log.OpenRunLog({}, folder, fileName, maxSizeKB);
  }
  QByteArray contents(const QString& name) const {
    QFile file(m_dir.filePath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }
  QStringList files() const { return QDir(m_dir.path()).entryList(QDir::Files, QDir::Name); }

  QTemporaryDir m_dir;
  QDateTime m_now{QDate(2026, 12, 5), QTime(7, 5)};
  RunLog m_log{[this] { return m_now; }};
};

TEST_F(RunLogTest, LinesCarryThePrefixesAndEndWithCrLfUnlessTheLogCannotBeWritten) {
  EXPECT_FALSE(m_log.WriteLogLine("before any run"));
  QString folder = m_dir.path();
  QString fileName;
  EXPECT_EQ(m_log.OpenRunLog({.IncludeDate = true, .IncludeTime = true}, folder, fileName, 0), 0);
  EXPECT_EQ(m_log.path(), m_dir.path() + "/" + fileName);
  EXPECT_TRUE(m_log.WriteLogLine(QString::fromUtf8("Creating OU: 'S\xC3\xA9'")));
  m_log.OpenRunLog({.IncludeDate = true, .IncludeTime = true}, folder, fileName, 0);
  EXPECT_TRUE(m_log.WriteLogLine("second run"));  // appended
  const QLocale locale = QLocale::system();
  const QString prefix = locale.toString(m_now.date(), QLocale::ShortFormat) + ", " +
                         locale.toString(m_now.time(), QLocale::ShortFormat) + ", ";
  EXPECT_EQ(contents(fileName),
            (prefix + QString::fromUtf8("Creating OU: 'S\xC3\xA9'\r\n") + prefix + "second run\r\n")
                .toUtf8());
  QFile notAFolder(m_dir.filePath("plain-file"));
  ASSERT_TRUE(notAFolder.open(QIODevice::WriteOnly));
  open(1, notAFolder.fileName());
  EXPECT_FALSE(m_log.WriteLogLine("lost"));
  qint32 size = -7;
  EXPECT_EQ(RunLog::GetLogFileSize(m_log.path(), size), 1);
  EXPECT_EQ(size, -7);
}

TEST_F(RunLogTest, RotatesOnceTheFileHasReachedTheLimit) {
  const struct {
    int maxSizeKB;
    qsizetype fileSize;
    bool rotated;
  } cases[] = {{1, 1023, false}, {1, 1024, true}, {0, 1048575, false}, {0, 1048576, true}};
  for (const auto& c : cases) {
    QTemporaryDir dir;
    open(c.maxSizeKB, dir.path());
    EXPECT_TRUE(m_log.WriteLogLine(QString(c.fileSize - 2, QLatin1Char('x'))));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files),
              QStringList{c.rotated ? "quill-From-5-12-26_7-5-to-5-12-26_7-5.log" : "quill.log"})
        << c.fileSize;
  }
}

// Dated names go down to the minute: a log that fills up twice in one minute
// gets a counter rather than losing the older file.
TEST_F(RunLogTest, RotationsStartNewPeriodsAndNeverOverwriteAnOlderLog) {
  open(1);
  m_now = QDateTime(QDate(2005, 1, 2), QTime(0, 9));
  open(1);  // a later run does not restart the period
  ASSERT_TRUE(QDir().mkdir(m_dir.filePath("quill-From-5-12-26_7-5-to-2-1-05_0-9.log")));
  for (const char c : {'a', 'b', 'c'})
    EXPECT_TRUE(m_log.WriteLogLine(QString(1100, QLatin1Char(c))));
  EXPECT_TRUE(m_log.WriteLogLine("fresh"));
  EXPECT_EQ(files(), QStringList({"quill-From-2-1-05_0-9-to-2-1-05_0-9-2.log",
                                  "quill-From-2-1-05_0-9-to-2-1-05_0-9.log",
                                  "quill-From-5-12-26_7-5-to-2-1-05_0-9-2.log", "quill.log"}));
  EXPECT_EQ(contents("quill-From-5-12-26_7-5-to-2-1-05_0-9-2.log"), QByteArray(1100, 'a') + "\r\n");
  EXPECT_EQ(contents("quill-From-2-1-05_0-9-to-2-1-05_0-9.log"), QByteArray(1100, 'b') + "\r\n");
  EXPECT_EQ(contents("quill-From-2-1-05_0-9-to-2-1-05_0-9-2.log"), QByteArray(1100, 'c') + "\r\n");
  EXPECT_EQ(contents("quill.log"), "fresh\r\n");
}

}  // namespace
}  // namespace quill
