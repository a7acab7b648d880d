#pragma once

#include <QString>
#include <QStringList>

#include "support/line_diff.h"

namespace quill::test {

// The folder and share lines a run writes for folders below the sandbox's
// root share \\files\data (D:\shares\data on the server); tail is the part
// below the root, as "\All\Sales_Public".
inline const QString kDataRoot = QStringLiteral("\\\\files\\data");
inline const QString kDataLocal = QStringLiteral("D:\\shares\\data");

inline QString creatingDir(const QString& tail) {
  return "Creating directory '" + kDataRoot + tail + "'.";
}
inline QString faildDir(const QString& tail) {
  return "Faild to create directory '" + kDataRoot + tail + "'";
}
inline QString creatingShare(const QString& share, const QString& tail,
                             const QString& localRoot = kDataLocal) {
  return "Creating a share '" + share +
         "' on remote system 'files. The path for the new share is '" + localRoot + tail + "'.";
}
inline QString unableShare(const QString& share, const QString& tail,
                           const QString& localRoot = kDataLocal) {
  return "Unable to create share '" + share + " ' on 'files'. Path: '" + localRoot + tail + "'.";
}
// Both lines of a folder made and shared.
inline QStringList made(const QString& share, const QString& tail) {
  return {creatingDir(tail), creatingShare(share, tail)};
}
// The share table entry "name=local path" of a share below the root.
inline QString shareEntry(const QString& share, const QString& tail) {
  return share + "=" + kDataLocal + tail;
}

}  // namespace quill::test
