// Authfile parser: any bytes are refused with a reason or give a user name and
// a password that are not empty.
#include <QByteArray>
#include <cstdlib>

#include "net/net_credentials.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  quill::NetCredentials credentials;
  QString error;
  const QByteArray text(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  if (quill::parseAuthFile(text, &credentials, &error)) {
    if (credentials.user.isEmpty() || credentials.password.isEmpty()) std::abort();
  } else if (error.isEmpty()) {
    std::abort();
  }
  return 0;
}
