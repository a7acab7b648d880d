#include "sandbox/journal.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QFile>
#include <cerrno>
#include <cstring>

namespace quill {

namespace {

constexpr qsizetype kChecksumLength = 16;  // hex digits

QByteArray checksum(QByteArrayView payload) {
  return QCryptographicHash::hash(payload, QCryptographicHash::Sha1).toHex().left(kChecksumLength);
}

QString systemError() { return QString::fromLocal8Bit(std::strerror(errno)); }

// The record of one line, or false when the line is not one whole record.
bool parseLine(QByteArrayView line, Journal::Record* record) {
  if (line.size() < kChecksumLength + 2 || line[kChecksumLength] != ' ') return false;
  const QByteArrayView payload = line.sliced(kChecksumLength + 1);
  if (checksum(payload) != line.first(kChecksumLength)) return false;
  const QList<QByteArray> parts = payload.toByteArray().split(' ');
  if (parts.front().size() != 1) return false;
  record->kind = parts.front().front();
  record->fields.clear();
  for (qsizetype i = 1; i < parts.size(); ++i) {
    auto decoded =
        QByteArray::fromBase64Encoding(parts[i], QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded) return false;
    record->fields.append(std::move(*decoded));
  }
  return true;
}

}  // namespace

Journal::~Journal() {
  if (m_fd >= 0) ::close(m_fd);
}

bool Journal::open(const QString& path, QString* error) {
  if (m_fd >= 0) ::close(m_fd);
  m_fd =
      ::open(QFile::encodeName(path).constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
  if (m_fd < 0) {
    if (error) *error = QStringLiteral("Cannot open %1: %2").arg(path, systemError());
    return false;
  }
  ::fchmod(m_fd, 0600);
  return true;
}

bool Journal::append(char kind, const QList<QByteArray>& fields) {
  QByteArray payload(1, kind);
  for (const QByteArray& field : fields) payload += ' ' + field.toBase64();
  const QByteArray line = checksum(payload) + ' ' + payload + '\n';
  ssize_t written = -1;
  do {
    written = m_fd < 0 ? -1 : ::write(m_fd, line.constData(), static_cast<size_t>(line.size()));
  } while (written < 0 && errno == EINTR);
  if (written == line.size()) return true;
  m_error = m_fd < 0 ? QStringLiteral("the journal is not open")
                     : (written < 0 ? systemError() : QStringLiteral("a short write"));
  return false;
}

bool Journal::clear(QString* error) {
  if (m_fd < 0 || (::ftruncate(m_fd, 0) == 0 && ::fsync(m_fd) == 0)) return true;
  if (error) *error = QStringLiteral("Cannot empty the journal: %1").arg(systemError());
  return false;
}

bool Journal::read(const QString& path, std::vector<Record>* records, QString* error, bool repair) {
  QFile file(path);
  if (!file.exists()) return true;
  if (!file.open(repair ? QIODevice::ReadWrite : QIODevice::ReadOnly)) {
    *error = QStringLiteral("Cannot read %1: %2").arg(path, file.errorString());
    return false;
  }
  const QByteArray data = file.readAll();
  qsizetype pos = 0;
  int number = 0;
  while (pos < data.size()) {
    const qsizetype end = data.indexOf('\n', pos);
    ++number;
    Record record;
    record.line = number;
    const bool whole = end >= 0 && parseLine(QByteArrayView(data).sliced(pos, end - pos), &record);
    if (!whole) {
      // Only the very last record may be unfinished: the program died while
      // writing it, and the change it describes was never reported.
      if (end >= 0 && end + 1 < data.size()) {
        *error = QStringLiteral("%1, line %2: the record is damaged").arg(path).arg(number);
        return false;
      }
      if (repair && !file.resize(pos)) {
        *error = QStringLiteral("Cannot repair %1: %2").arg(path, file.errorString());
        return false;
      }
      break;
    }
    records->push_back(std::move(record));
    pos = end + 1;
  }
  return true;
}

}  // namespace quill
