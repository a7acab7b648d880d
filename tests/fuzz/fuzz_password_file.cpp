// Password file: any bytes are refused with a reason or give a password that
// is a non-empty single line within the length bound (after a byte order
// mark, which is dropped).
#include <QByteArray>
#include <cstdlib>

#include "app/password_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  QString password;
  QString why;
  if (!quill::passwordFromFileBytes(bytes, &password, &why)) {
    if (why.isEmpty() || !password.isEmpty()) std::abort();
    return 0;
  }
  const QByteArray utf8 = password.toUtf8();
  if (utf8.isEmpty() || utf8.size() > quill::kMaxPasswordBytes || utf8.contains('\n') ||
      utf8.contains('\r') || utf8.contains('\0') ||
      !(bytes.startsWith(utf8) || bytes.startsWith("\xEF\xBB\xBF" + utf8))) {
    std::abort();
  }
  return 0;
}
