#pragma once

#include <unistd.h>

#include <QString>
#include <ostream>

// QString in a test's messages, as readable text.
inline std::ostream& operator<<(std::ostream& out, const QString& text) {
  return out << text.toStdString();
}

namespace quill::test {

// Sets an environment variable (unsets it for a null value) for its life.
struct EnvGuard {
  EnvGuard(const char* name, const QByteArray& value) : name(name), old(qgetenv(name)) {
    value.isNull() ? qunsetenv(name) : qputenv(name, value);
  }
  ~EnvGuard() { old.isNull() ? qunsetenv(name) : qputenv(name, old); }
  const char* name;
  QByteArray old;
};

// A name no other test process used: prefix + process id + a counter.
inline QString uniqueName(const QString& prefix) {
  static int counter = 0;
  return prefix + QString::number(::getpid()) + 'x' + QString::number(++counter);
}

}  // namespace quill::test
