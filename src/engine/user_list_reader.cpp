#include "engine/user_list_reader.h"

#include <QFileInfo>
#include <QStringDecoder>
#include <array>

namespace quill {

namespace {

// Windows-1252 bytes 0x80 to 0x9F. The five bytes the code page leaves
// undefined map to the control character of the same value, as Windows does.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

QString decodeWindows1252(QByteArrayView bytes) {
  QString text(bytes.size(), Qt::Uninitialized);
  QChar* out = text.data();
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    *out++ = (byte >= 0x80 && byte <= 0x9F) ? QChar(kCp1252High[byte - 0x80]) : QChar(byte);
  }
  return text;
}

// UTF-8 when the bytes are valid UTF-8, else Windows-1252: a list saved by an
// older editor in the ANSI code page still reads correctly.
QString decodeLine(QByteArrayView bytes) {
  // Stateless: a sequence cut at the end of the line counts as invalid.
  // ConvertInitialBom: only the file's own BOM is dropped, never one per line.
  QStringDecoder utf8(QStringDecoder::Utf8,
                      QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
  QString text = utf8.decode(bytes);
  if (!utf8.hasError()) return text;
  return decodeWindows1252(bytes);
}

}  // namespace

bool UserListReader::open(const QString& path, QString* error) {
  close();
  m_error.clear();
  m_openFailure = OpenFailure::None;
  const QFileInfo info(path);
  if (!info.exists()) {
    m_openFailure = OpenFailure::NotFound;
    m_error = QStringLiteral("The file does not exist.");
  } else if (info.isDir()) {
    m_openFailure = OpenFailure::NotAFile;
    m_error = QStringLiteral("The path names a folder, not a file.");
  } else {
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::ReadOnly)) {
      m_openFailure = OpenFailure::Refused;
      m_error = m_file.errorString();
    }
  }
  if (m_openFailure == OpenFailure::None) return true;
  if (error) *error = m_error;
  return false;
}

void UserListReader::close() {
  if (m_file.isOpen()) m_file.close();
  m_buffer.clear();
  m_pos = 0;
  m_consumed = 0;
  m_eof = false;
  m_started = false;
  m_peakBuffer = 0;
}

qint64 UserListReader::totalBytes() const { return m_file.isOpen() ? m_file.size() : 0; }

bool UserListReader::fill() {
  // Drop what has been handed out already, then append the next piece.
  m_buffer.remove(0, m_pos);
  m_pos = 0;
  const qsizetype kept = m_buffer.size();
  m_buffer.resize(kept + kChunkSize);
  const qint64 got = m_file.read(m_buffer.data() + kept, kChunkSize);
  if (got < 0) {
    m_buffer.resize(kept);
    m_error = m_file.errorString();
    return false;
  }
  m_buffer.resize(kept + got);
  m_peakBuffer = qMax(m_peakBuffer, m_buffer.size());
  if (got == 0) m_eof = true;
  return true;
}

bool UserListReader::start() {
  m_started = true;
  while (m_buffer.size() < 3 && !m_eof) {
    if (!fill()) return false;
  }
  if (m_buffer.startsWith("\xEF\xBB\xBF")) {
    m_pos = 3;
    m_consumed = 3;
  }
  return true;
}

UserListReader::Status UserListReader::readLine(QString& line) {
  if (!m_file.isOpen()) {
    m_error = QStringLiteral("The user list is not open.");
    return Status::Error;
  }
  if (!m_started && !start()) return Status::Error;

  qsizetype scanFrom = m_pos;  // bytes before this hold no CR of this line
  qsizetype end = 0;
  qsizetype endLength = 0;  // 2 for CR LF, 1 for a lone CR, 0 at the end of the file
  bool tooLong = false;     // the line's first bytes were dropped already
  for (;;) {
    const qsizetype cr = m_buffer.indexOf('\r', scanFrom);
    if (cr >= 0 && (cr + 1 < m_buffer.size() || m_eof)) {
      end = cr;
      endLength = (cr + 1 < m_buffer.size() && m_buffer.at(cr + 1) == '\n') ? 2 : 1;
      break;
    }
    if (cr < 0 && m_eof) {
      if (m_pos >= m_buffer.size() && !tooLong) return Status::EndOfFile;
      end = m_buffer.size();
      break;
    }
    // No end found yet, or a CR at the end of the buffer whose next byte
    // decides between CR LF and a lone CR: read on.
    const qsizetype unscanned = cr >= 0 ? cr : m_buffer.size();
    if (unscanned - m_pos > kMaxLineBytes) {
      // Too long to be a person: drop what was read of it and look for its end.
      tooLong = true;
      m_consumed += unscanned - m_pos;
      m_pos = unscanned;
    }
    const qsizetype scanned = unscanned - m_pos;
    if (!fill()) return Status::Error;
    scanFrom = m_pos + scanned;
  }

  tooLong = tooLong || end - m_pos > kMaxLineBytes;
  line =
      tooLong ? QString() : decodeLine(QByteArrayView(m_buffer.constData() + m_pos, end - m_pos));
  m_consumed += end + endLength - m_pos;
  m_pos = end + endLength;
  return tooLong ? Status::TooLong : Status::Line;
}

}  // namespace quill
