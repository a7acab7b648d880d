#pragma once

#include <QDateTime>
#include <QString>
#include <functional>

namespace quill {

class UncFileSystem;

// What each log line begins with, in this order, each followed by ", ".
struct LogPrefixes {
  bool IncludeComputerName = false;
  bool IncludeDate = false;
  bool IncludeTime = false;
};

// The size limit OpenRunLog takes when given 0.
inline constexpr int kDefaultLogSizeKB = 1024;

// The run log: one text file that collects every line of every run since the
// program started. Each line is appended and the file closed at once, so a
// line is on disk when WriteLogLine returns. One instance lives for the whole program.
class RunLog {
 public:
  using Clock = std::function<QDateTime()>;

  // clock defaults to the current local time; tests pass their own.
  explicit RunLog(Clock clock = {});

  // Sets the log up. An empty folder becomes the current directory and an
  // empty fileName the executable's name + ".log" (both written back to the
  // caller's variables). maxSizeKB 0 means 1024. Returns 1 when the computer
  // name was asked for and could not be read, else 0.
  int OpenRunLog(LogPrefixes prefixes, QString& folder, QString& fileName, int maxSizeKB);

  // Appends prefix + message as one line (CR LF, UTF-8), then RotateRunLog.
  // Returns false when the file could not be written (lastError() says why);
  // the caller goes on.
  bool WriteLogLine(const QString& message);
  const QString& lastError() const { return m_lastError; }

  // A log that keeps nothing (a dry run's): every line is taken and dropped.
  void setKeepsNothing(bool keepsNothing) { m_keepsNothing = keepsNothing; }

  // Moves the log to its dated name once it has reached the size limit.
  void RotateRunLog();

  // 0 and the size in bytes when path can be opened for reading, else 1.
  static int GetLogFileSize(const QString& path, qint32& size);

  // The path of the current log file; empty before the first OpenRunLog.
  QString path() const { return m_path; }

  // The dated name the log would be moved to now ("-From-D-M-YY_H-M-to-...").
  QString rotatedPath() const;

  // "D-M-YY_H-M": day, month, hour and minute without leading zeros.
  static QString formatPeriod(const QDateTime& when);

  // The line prefix for now (computer name, date, time, each + ", ").
  QString linePrefix() const;

  // The name the program was started under, without extension, + ".log".
  static QString defaultFileName();

 private:
  Clock m_clock;
  QString m_path;
  LogPrefixes m_prefixes;
  qint32 m_maxSizeKB = kDefaultLogSizeKB;
  QDateTime m_periodStart;
  QString m_computerName;
  QString m_lastError;
  bool m_keepsNothing = false;
};

// Opens the log in the desktop's viewer through host when it exists; does
// nothing before the first run or when the file was removed.
class RunHost;
void ShowRunLog(const RunLog& log, RunHost& host, UncFileSystem& unc);

}  // namespace quill
