// User list reader: any file is read to its end in lines whose bytes add up to
// the file, with a buffer that never grows past one line's bound.
#include <unistd.h>

#include <QTemporaryFile>
#include <cstdlib>

#include "engine/user_list_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  QTemporaryFile file;
  if (!file.open() || file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size)) !=
                          static_cast<qint64>(size)) {
    return 0;
  }
  file.flush();
  quill::UserListReader reader;
  if (!reader.open(file.fileName(), nullptr)) std::abort();
  QString line;
  quill::UserListReader::Status status;
  while ((status = reader.readLine(line)) == quill::UserListReader::Status::Line ||
         status == quill::UserListReader::Status::TooLong) {
  }
  if (status != quill::UserListReader::Status::EndOfFile) std::abort();
  if (reader.bytesRead() != static_cast<qint64>(size)) std::abort();
  if (reader.peakBufferSize() >
      quill::UserListReader::kMaxLineBytes + 2 * quill::UserListReader::kChunkSize) {
    std::abort();
  }
  return 0;
}
