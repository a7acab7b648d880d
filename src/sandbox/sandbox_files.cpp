#include "sandbox/sandbox_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>

namespace quill {

namespace {

QByteArray firstLine(const char* kind) {
  return QByteArrayLiteral("# Quillstead sandbox ") + kind + ", format 2\n";
}

QByteArray lastLinePrefix(const char* kind) { return QByteArrayLiteral("# end of ") + kind + ": "; }

QString systemError() { return QString::fromLocal8Bit(std::strerror(errno)); }

bool writeAll(int fd, const QByteArray& data) {
  qsizetype done = 0;
  while (done < data.size()) {
    const ssize_t n = ::write(fd, data.constData() + done, static_cast<size_t>(data.size() - done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += n;
  }
  return true;
}

}  // namespace

QByteArray framedFile(const char* kind, const QByteArray& body, qsizetype records,
                      const char* unit) {
  return firstLine(kind) + body + lastLinePrefix(kind) + QByteArray::number(records) + ' ' + unit +
         '\n';
}

bool frameOf(const QByteArray& data, const char* kind, qsizetype* records, bool* legacy,
             QString* why) {
  *legacy = !data.startsWith(firstLine(kind));
  if (*legacy) return true;
  const QByteArray prefix = lastLinePrefix(kind);
  const qsizetype start = data.lastIndexOf('\n', data.size() - 2) + 1;
  const QByteArray last = data.mid(start);
  bool ok = false;
  if (data.endsWith('\n') && last.startsWith(prefix)) {
    const QByteArray count = last.mid(prefix.size()).split(' ').value(0);
    *records = count.toLongLong(&ok);
  }
  if (!ok) {
    *why = QStringLiteral("the file is cut short: its last line (line %1) is not the end line")
               .arg(data.left(start).count('\n') + 1);
  }
  return ok;
}

bool writeDurably(const QString& path, const QByteArray& data, QString* error) {
  const QByteArray target = QFile::encodeName(path);
  const QByteArray temporary = target + ".saving";
  const int fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  bool ok = fd >= 0 && ::fchmod(fd, 0600) == 0 && writeAll(fd, data) && ::fsync(fd) == 0;
  const QString reason = ok ? QString() : systemError();
  if (fd >= 0) ::close(fd);
  if (ok && ::rename(temporary.constData(), target.constData()) != 0) ok = false;
  if (!ok) {
    if (error)
      *error = QStringLiteral("Cannot write %1: %2")
                   .arg(path, reason.isEmpty() ? systemError() : reason);
    ::unlink(temporary.constData());
    return false;
  }
  // The rename itself is on the disk once the folder is.
  const int dir = ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(),
                         O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return true;
}

void removeUnfinishedSave(const QString& path) {
  ::unlink((QFile::encodeName(path) + ".saving").constData());
}

}  // namespace quill
