#include "core/path_exists.h"

#include <QFileInfo>

#include "core/unc_file_system.h"

namespace quill {

bool PathExists(const QString& path, UncFileSystem& unc) {
  if (path.isEmpty()) return false;
  if (path.startsWith(QStringLiteral("\\\\"))) return unc.exists(path);
  return QFileInfo::exists(path);
}

}  // namespace quill
