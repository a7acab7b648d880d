#pragma once

#include <unistd.h>

#include <QString>
#include <optional>
#include <ostream>

// QString in a test's messages, as readable text.
inline std::ostream& operator<<(std::ostream& out, const QString& text) {
  return out << text.toStdString();
}

namespace quill::test {

// Sets an environment variable (unsets it for a null value) for the life of the guard.
class EnvGuard {
 public:
  EnvGuard(const char* name, const QByteArray& value) : m_name(name) {
    if (qEnvironmentVariableIsSet(name)) m_old = qgetenv(name);
    value.isNull() ? qunsetenv(name) : qputenv(name, value);
  }
  ~EnvGuard() { m_old ? qputenv(m_name, *m_old) : qunsetenv(m_name); }
  EnvGuard(const EnvGuard&) = delete;
  EnvGuard& operator=(const EnvGuard&) = delete;

 private:
  const char* m_name;
  std::optional<QByteArray> m_old;
};

// A name no other test process used: prefix + process id + a counter.
inline QString uniqueName(const QString& prefix) {
  static int counter = 0;
  return prefix + QString::number(::getpid()) + 'x' + QString::number(++counter);
}

}  // namespace quill::test
