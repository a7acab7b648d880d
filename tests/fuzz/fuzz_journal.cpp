// Journal replay: each line of the input becomes one journal record (its
// checksum added, so that the fuzzer reaches the replay rather than the
// checksum test) of a sandbox opened read-only. Any journal is refused with a
// reason or replayed, and a read-only opening leaves the journal as it was.
#include <QByteArray>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>

#include "sandbox/sandbox.h"

namespace {

QByteArray journalOf(const QByteArray& input) {
  QByteArray journal;
  for (const QByteArray& payload : input.split('\n')) {
    if (payload.isEmpty()) continue;
    const QByteArray sum =
        QCryptographicHash::hash(payload, QCryptographicHash::Sha1).toHex().left(16);
    journal += sum + ' ' + payload + '\n';
  }
  return journal;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const QTemporaryDir temp;
  static const QString dir = [] {
    const QString sandboxDir = temp.path() + QStringLiteral("/sandbox");
    QString error;
    if (quill::Sandbox::open(sandboxDir, &error) == nullptr) std::abort();  // the first content
    return sandboxDir;
  }();
  const QByteArray journal =
      journalOf(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
  QFile file(dir + QStringLiteral("/journal"));
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
      file.write(journal) != journal.size())
    std::abort();
  file.close();

  QString error;
  const bool opened =
      quill::Sandbox::open(dir, &error, quill::Sandbox::Access::ReadOnly) != nullptr;
  if (!opened && error.isEmpty()) std::abort();
  if (!file.open(QIODevice::ReadOnly) || file.readAll() != journal) std::abort();
  return 0;
}
