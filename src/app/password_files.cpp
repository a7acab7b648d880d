#include "app/password_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <QStringDecoder>
#include <array>
#include <cerrno>
#include <cstring>

#include "app/command_line.h"
#include "core/secret.h"

namespace quill {

namespace {

// Reads what is needed of the file at path (the first line and a little more,
// never the rest of an endless stream) into buffer; *size says how much.
bool readHead(const QString& path, std::array<char, kMaxPasswordBytes + 3>& buffer, qsizetype* size,
              QString* why) {
  const int fd = ::open(path.toLocal8Bit().constData(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    *why = QString::fromLocal8Bit(std::strerror(errno));
    return false;
  }
  qsizetype got = 0;
  while (got < static_cast<qsizetype>(buffer.size())) {
    const ssize_t n = ::read(fd, buffer.data() + got, buffer.size() - static_cast<size_t>(got));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      *why = QString::fromLocal8Bit(std::strerror(errno));
      ::close(fd);
      return false;
    }
    if (n == 0) break;
    const bool lineEnded =
        std::memchr(buffer.data() + got, '\n', static_cast<size_t>(n)) != nullptr;
    got += n;
    if (lineEnded) break;
  }
  ::close(fd);
  *size = got;
  return true;
}

void wipe(std::array<char, kMaxPasswordBytes + 3>& buffer) {
  volatile char* p = buffer.data();
  for (size_t i = 0; i < buffer.size(); ++i) p[i] = 0;
}

bool readPasswordFile(const char* flag, const QString& path, QString* password, QString* error) {
  std::array<char, kMaxPasswordBytes + 3> buffer{};
  qsizetype size = 0;
  QString why;
  const bool ok = readHead(path, buffer, &size, &why) &&
                  passwordFromFileBytes(QByteArrayView(buffer.data(), size), password, &why);
  wipe(buffer);
  if (!ok) {
    *error = QStringLiteral("the password file '%1' of %2: %3").arg(path, QLatin1String(flag), why);
  }
  return ok;
}

}  // namespace

bool passwordFromFileBytes(QByteArrayView bytes, QString* password, QString* why) {
  qsizetype end = bytes.indexOf('\n');
  if (end < 0) end = bytes.size();
  QByteArrayView line = bytes.first(end);
  if (end < bytes.size() && line.endsWith('\r')) line.chop(1);
  if (line.isEmpty()) {
    *why = QStringLiteral("the password is empty");
  } else if (line.size() > kMaxPasswordBytes) {
    *why = QStringLiteral("the password is longer than %1 bytes").arg(kMaxPasswordBytes);
  } else if (line.contains('\r')) {
    *why = QStringLiteral("the line holds a carriage return");
  } else if (line.contains('\0')) {
    *why = QStringLiteral("the line holds a NUL byte");
  } else {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(line);  // a byte order mark is dropped
    if (!utf8.hasError() && text.isEmpty()) {
      *why = QStringLiteral("the password is empty");
      return false;
    }
    if (!utf8.hasError()) {
      *password = std::move(text);
      return true;
    }
    wipeSecret(text);
    *why = QStringLiteral("the password is not UTF-8 text");
  }
  return false;
}

bool readPasswordFiles(const CommandLine& commandLine, InitialPasswords* passwords,
                       QString* error) {
  if (commandLine.passwordFile.isEmpty()) {
    if (commandLine.createsAccounts()) {
      *error = QStringLiteral(
          "accounts are to be created: give their initial password with "
          "--password-file FILE (batch mode has no built-in password)");
      return false;
    }
    return true;
  }
  preventCoreDumps();
  InitialPasswords read;
  if (!readPasswordFile("--password-file", commandLine.passwordFile, &read.password, error)) {
    return false;
  }
  if (commandLine.confirmPasswordFile.isEmpty() ||
      commandLine.confirmPasswordFile == commandLine.passwordFile) {
    read.confirmation = read.password;
  } else if (!readPasswordFile("--confirm-password-file", commandLine.confirmPasswordFile,
                               &read.confirmation, error)) {
    wipeSecret(read.password);
    return false;
  }
  *passwords = std::move(read);
  return true;
}

}  // namespace quill
