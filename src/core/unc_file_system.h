#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace quill {

// Folders on file servers, addressed by UNC paths "\\server\share\a\b".
// The path is taken exactly as written (backslashes, no expansion).
class UncFileSystem {
 public:
  virtual ~UncFileSystem() = default;

  // True when a file or folder (a share root included) exists at uncPath and
  // can be reached. Never reports an error.
  virtual bool exists(const QString& uncPath) = 0;

  // Creates the one folder uncPath; its parent must exist. Returns true on
  // success; on failure false with a reason in *error when error is given.
  virtual bool makeFolder(const QString& uncPath, QString* error) = 0;

  // The names of what the folder uncPath holds; nullopt when it is no folder
  // that can be read. Never reports an error.
  virtual std::optional<QStringList> folderEntries(const QString& uncPath) = 0;

  // What removeFolder did.
  enum class Removal { Removed, Missing, NotEmpty, Failed };
  // Removes the folder uncPath when it is empty (a folder that holds anything
  // stays). Failed with a reason in *error when error is given.
  virtual Removal removeFolder(const QString& uncPath, QString* error) = 0;
};

}  // namespace quill
