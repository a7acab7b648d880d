#include "engine/run_log.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSysInfo>
#include <limits>
#include <utility>

#include "core/path_exists.h"
#include "core/run_host.h"

namespace quill {

namespace {

constexpr int kComputerNameLength = 31;
constexpr QLatin1String kSeparator(", ");

}  // namespace

RunLog::RunLog(Clock clock) : m_clock(std::move(clock)) {
  if (!m_clock) m_clock = [] { return QDateTime::currentDateTime(); };
}

int RunLog::OpenRunLog(LogPrefixes prefixes, QString& folder, QString& fileName, int maxSizeKB) {
  if (!m_periodStart.isValid()) m_periodStart = m_clock();

  int result = 0;
  if (prefixes.IncludeComputerName) {
    m_computerName = QSysInfo::machineHostName().left(kComputerNameLength);
    if (m_computerName.isEmpty()) result = 1;
  }

  if (folder.isEmpty()) folder = QDir::currentPath();
  if (fileName.isEmpty()) fileName = defaultFileName();
  const QString separator = folder.endsWith(QLatin1Char('/')) ? QString() : QStringLiteral("/");
  m_path = folder + separator + fileName;

  // A limit of 0 or less would rotate after every line; take the default.
  m_maxSizeKB = maxSizeKB > 0 ? maxSizeKB : kDefaultLogSizeKB;
  m_prefixes = prefixes;
  return result;
}

QString RunLog::linePrefix() const {
  const QDateTime now = m_clock();
  const QLocale locale = QLocale::system();
  QString prefix;
  if (m_prefixes.IncludeComputerName) prefix += m_computerName + kSeparator;
  if (m_prefixes.IncludeDate)
    prefix += locale.toString(now.date(), QLocale::ShortFormat) + kSeparator;
  if (m_prefixes.IncludeTime)
    prefix += locale.toString(now.time(), QLocale::ShortFormat) + kSeparator;
  return prefix;
}

bool RunLog::WriteLogLine(const QString& message) {
  if (m_keepsNothing) return true;
  if (m_path.isEmpty()) return false;
  bool written = false;
  {
    // Opened and closed for every line, so an editor showing the log never
    // blocks a run and every line is on disk when this returns.
    QFile file(m_path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Append)) {
      const QByteArray line = (linePrefix() + message).toUtf8() + "\r\n";
      written = file.write(line) == line.size();
      file.close();
      written = written && file.error() == QFileDevice::NoError;
    }
    m_lastError = written ? QString() : file.errorString();
  }
  RotateRunLog();
  return written;
}

int RunLog::GetLogFileSize(const QString& path, qint32& size) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return 1;
  size = static_cast<qint32>(qMin<qint64>(file.size(), std::numeric_limits<qint32>::max()));
  return 0;
}

QString RunLog::formatPeriod(const QDateTime& when) {
  const QDate date = when.date();
  const QTime time = when.time();
  return QStringLiteral("%1-%2-%3_%4-%5")
      .arg(date.day())
      .arg(date.month())
      .arg(date.year() % 100, 2, 10, QLatin1Char('0'))
      .arg(time.hour())
      .arg(time.minute());
}

QString RunLog::rotatedPath() const {
  // Only a name of our own form loses its ".log"; any other name is kept whole.
  QString base = m_path;
  if (base.endsWith(QStringLiteral(".log"), Qt::CaseInsensitive)) base.chop(4);
  return base + QStringLiteral("-From-") + formatPeriod(m_periodStart) + QStringLiteral("-to-") +
         formatPeriod(m_clock()) + QStringLiteral(".log");
}

void RunLog::RotateRunLog() {
  qint32 size = 0;
  if (m_path.isEmpty() || GetLogFileSize(m_path, size) != 0) return;
  if (qint64{size} < qint64{m_maxSizeKB} * 1024) return;
  // A refused move is tried again after the next line. The period goes on
  // until a move succeeds, so the dated name covers the whole file.
  // Dated names go down to the minute only: when a log fills up twice in one
  // minute the name is taken, and the move would be refused for good. A
  // counter before ".log" keeps the limit without overwriting the older file.
  const QString dated = rotatedPath();
  QString target = dated;
  for (int n = 2; QFileInfo::exists(target) && n < 1000; ++n) {
    target = dated.left(dated.size() - 4) + QStringLiteral("-%1.log").arg(n);
  }
  if (QFile::rename(m_path, target)) m_periodStart = m_clock();
}

QString RunLog::defaultFileName() {
  QString name;
  if (QCoreApplication::instance()) {
    // The name the program was started under, so a renamed or linked copy
    // keeps a log of its own.
    const QStringList arguments = QCoreApplication::arguments();
    if (!arguments.isEmpty()) name = QFileInfo(arguments.first()).completeBaseName();
    if (name.isEmpty()) {
      name = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    }
  }
  if (name.isEmpty()) name = QStringLiteral("quillstead");
  return name + QStringLiteral(".log");
}

void ShowRunLog(const RunLog& log, RunHost& host, UncFileSystem& unc) {
  if (PathExists(log.path(), unc)) host.openLog(log.path());
}

}  // namespace quill
