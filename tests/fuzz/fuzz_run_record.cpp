// Run record reader: any file is refused with a reason or read into a header
// and changes, none of them empty.
#include <QFile>
#include <QTemporaryFile>
#include <cstdlib>

#include "engine/run_undo.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  QTemporaryFile file;
  if (!file.open() || file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size)) !=
                          static_cast<qint64>(size)) {
    return 0;
  }
  file.flush();
  quill::RecordedRun run;
  QString error;
  if (!quill::readRunRecord(file.fileName(), &run, &error)) {
    if (error.isEmpty()) std::abort();
    return 0;
  }
  if (run.header.isEmpty()) std::abort();
  for (const QJsonObject& change : run.changes)
    if (change.isEmpty()) std::abort();
  return 0;
}
