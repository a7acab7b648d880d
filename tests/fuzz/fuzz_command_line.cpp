// Command line: any arguments (NUL-separated in the input) are refused with a
// reason naming the problem, or give a command line whose run flags apply.
#include <QByteArray>
#include <QStringList>
#include <cstdlib>

#include "app/command_line.h"
#include "core/run_options.h"
#include "core/user_name_pattern.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  QStringList args;
  for (const QByteArray& arg :
       QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)).split('\0')) {
    args << QString::fromUtf8(arg);
  }
  const quill::CommandLineResult result = quill::parseCommandLine(args);
  if (!result.ok) {
    if (result.error.isEmpty()) std::abort();
    return 0;
  }
  quill::RunOptions options;
  quill::UserNamePatterns patterns;
  quill::applyRunFlags(result.commandLine, options, patterns);
  for (const quill::UserNamePattern& p : patterns.pattern) {
    if (p.LeadLetters < 0 || p.LeadLetters > 12 || p.TrailLetters < 0 || p.TrailLetters > 12 ||
        (p.LeadLetters == 0 && p.TrailLetters == 0)) {
      std::abort();
    }
  }
  return 0;
}
