#pragma once

#include <QByteArray>
#include <QString>

namespace quill {

// Overwrites the bytes of a secret (a password or a value made from one) so
// it does not linger in freed memory. The writes go through a volatile
// pointer, so the compiler cannot drop them as dead stores. Only the buffer
// the argument owns is cleared: make the copy unshared first (a fresh
// toUtf8(), a deep copy) or the detach inside data() clears a new copy.
inline void wipeSecret(QByteArray& secret) {
  if (secret.isEmpty()) return;
  volatile char* p = secret.data();
  for (qsizetype i = 0; i < secret.size(); ++i) p[i] = 0;
  secret.clear();
}

inline void wipeSecret(QString& secret) {
  if (secret.isEmpty()) return;
  volatile char16_t* p = reinterpret_cast<char16_t*>(secret.data());
  for (qsizetype i = 0; i < secret.size(); ++i) p[i] = 0;
  secret.clear();
}

// Overwrites the buffer of secret that every copy of it shares (a QString's
// copies share one buffer until one of them changes), then empties secret.
// Only for the end of a secret's life, when no holder needs it any more.
inline void wipeEveryCopy(QString& secret) {
  if (secret.isEmpty()) return;
  volatile char16_t* p =
      const_cast<char16_t*>(reinterpret_cast<const char16_t*>(secret.constData()));
  for (qsizetype i = 0; i < secret.size(); ++i) p[i] = 0;
  secret.clear();
}

// A copy of secret in a buffer of its own, so wiping it later clears the one
// buffer this copy uses and no other holder's.
inline QString unsharedCopy(const QString& secret) {
  return QString(secret.constData(), secret.size());
}

// Keeps the process from writing a core dump (which would hold a password)
// and from being inspected by other processes of the same user. Called before
// any password is read.
void preventCoreDumps();

}  // namespace quill
