#pragma once

#include <QString>

namespace quill {

class UncFileSystem;

// True when a file or folder exists and can be reached at path; false on any
// failure, an empty path included. A path that starts with "\\" is asked of
// the file-server backend; any other path is a local path.
bool PathExists(const QString& path, UncFileSystem& unc);

}  // namespace quill
