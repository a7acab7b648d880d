#pragma once

#include <QFile>
#include <QString>

namespace quill {

// Reads the user list one line at a time, without a pre-pass. A line ends at
// CR LF or at a lone CR; a lone LF does not end a line. A last line without
// an end is still a line. Each line is decoded as UTF-8 when its bytes are
// valid UTF-8 (a BOM at the start of the file is skipped), else as
// Windows-1252.
class UserListReader {
 public:
  // TooLong: a line of more than kMaxLineBytes, read to its end and dropped.
  enum class Status { Line, TooLong, EndOfFile, Error };
  // Why open() failed, so the caller can tell a missing file from the others.
  enum class OpenFailure { None, NotFound, NotAFile, Refused };

  // The file is read in pieces of this size; only the unread rest of the
  // current piece and the line being assembled are held in memory.
  static constexpr qint64 kChunkSize = 64 * 1024;
  // No real person needs more; a longer line (a binary file, /dev/zero) must
  // not hold the whole machine's memory.
  static constexpr qsizetype kMaxLineBytes = 1024 * 1024;

  // Opens path (any previous file is closed). On failure returns false and
  // puts a reason in *error (when given) and in errorString().
  bool open(const QString& path, QString* error);
  OpenFailure openFailure() const { return m_openFailure; }
  void close();

  // Reads the next line into line. TooLong (line empty) for a line longer
  // than kMaxLineBytes; EndOfFile when no line is left; Error (with
  // errorString()) when reading failed.
  Status readLine(QString& line);

  QString errorString() const { return m_error; }
  qint64 bytesRead() const { return m_consumed; }
  qint64 totalBytes() const;
  // The largest the read buffer has been since open(), for tests of memory use.
  qsizetype peakBufferSize() const { return m_peakBuffer; }

 private:
  bool start();
  bool fill();

  QFile m_file;
  QByteArray m_buffer;
  qsizetype m_pos = 0;
  qint64 m_consumed = 0;
  bool m_eof = false;
  bool m_started = false;
  qsizetype m_peakBuffer = 0;
  OpenFailure m_openFailure = OpenFailure::None;
  QString m_error;
};

// The description of reading past the end of the list.
inline constexpr const char* kReadPastEndDescription = "Input past end of file";

}  // namespace quill
