// DN parser: any text either fails to parse or parses to RDNs whose escaped
// form parses back to the same RDNs; any value escaped is one RDN value again.
#include <QString>
#include <cstdlib>

#include "core/dn.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QString text =
      QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  if (const auto rdns = quill::parseDn(text)) {
    const auto again = quill::parseDn(quill::formatDn(*rdns));
    if (!again || quill::formatDn(*again) != quill::formatDn(*rdns)) std::abort();
  }
  const auto one = quill::parseDn(QStringLiteral("CN=") + quill::escapeDnValue(text));
  if (!one || one->size() != 1 || one->front().size() != 1 || one->front().front().value != text) {
    std::abort();
  }
  return 0;
}
