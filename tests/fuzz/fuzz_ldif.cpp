// LDIF loader: any bytes either are refused or load into a directory whose own
// LDIF loads again to the very same text.
#include <QByteArray>
#include <cstdlib>

#include "sandbox/memory_directory.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  quill::MemoryDirectory directory(QStringLiteral("example.test"));
  QString error;
  if (!directory.fromLdif(
          QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)), &error)) {
    if (error.isEmpty()) std::abort();  // every refusal says why
    return 0;
  }
  const QByteArray written = directory.toLdif();
  quill::MemoryDirectory again(QStringLiteral("example.test"));
  if (!again.fromLdif(written, &error) || again.toLdif() != written) std::abort();
  return 0;
}
