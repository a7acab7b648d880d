#include "core/run_options.h"

#include "core/path_exists.h"

namespace quill {

QString defaultInitialPassword() { return QStringLiteral("password"); }

RunOptions startupRunOptions(const QString& currentDir, UncFileSystem& unc) {
  RunOptions options;
  // The root folder already ends with the separator; do not double it.
  const QString separator = currentDir.endsWith(QLatin1Char('/')) ? QString() : QStringLiteral("/");
  const QString candidate = currentDir + separator + QStringLiteral("Users_list.csv");
  if (PathExists(candidate, unc)) options.txt_CSVFile = candidate;
  return options;
}

}  // namespace quill
