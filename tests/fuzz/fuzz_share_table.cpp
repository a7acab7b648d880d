// Share table and file frame: any bytes are refused with a reason or load into
// a table whose own text loads again to the very same text.
#include <QByteArray>
#include <QTemporaryDir>
#include <cstdlib>

#include "sandbox/sandbox_files.h"
#include "sandbox/sandbox_share_service.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray text(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  qsizetype records = 0;
  bool legacy = false;
  QString why;
  if (!quill::frameOf(text, "shares", &records, &legacy, &why) && why.isEmpty()) std::abort();

  static const QTemporaryDir servers;
  quill::SandboxShareService shares(servers.path());
  QString error;
  if (!shares.fromTsv(text, QStringLiteral("shares.tsv"), &error)) {
    if (!error.contains(QStringLiteral("shares.tsv"))) std::abort();  // refusals name the file
    if (!shares.shares().empty()) std::abort();                       // and change nothing
    return 0;
  }
  const QByteArray written = shares.toTsv();
  quill::SandboxShareService again(servers.path());
  if (!again.fromTsv(written, QStringLiteral("again"), &error) || again.toTsv() != written) {
    std::abort();
  }
  return 0;
}
