#pragma once

#include <QString>

namespace quill {

class RunContext;
class UncFileSystem;

// Creates the folder path (with all missing levels) and shares it on the
// server of the folder root as shareName (+ "$" for hidden shares), once per
// share name and run. 1 when the folder could not be made; 0 otherwise (a
// failed share is reported and flagged, not returned).
int CreateFolderAndShare(RunContext& context, QString path, const QString& shareName, bool share);

// The server of a UNC path: the text between the leading "\\" and the next "\".
QString ServerFromUNC(const QString& unc);
// The share of a UNC path: the component after the server.
QString ShareFromUNC(const QString& unc);

// Creates every missing level of path (after ExpandEnvPath, which rewrites
// path). 0 when every level exists or was made; 1 when any level failed.
int MakePath(QString& path, UncFileSystem& files);

// MakePath without the expansion: path is taken literally.
int MakeFolders(const QString& path, UncFileSystem& files);

// Replaces every occurrence of the first %NAME% token of path by the value of
// the environment variable NAME; rewrites path and returns it.
QString ExpandEnvPath(QString& path);

}  // namespace quill
