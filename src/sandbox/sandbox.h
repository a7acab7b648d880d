#pragma once

#include <QString>
#include <memory>

#include "core/platform.h"

namespace quill {

class MemoryDirectory;
class SandboxFileSystem;
class SandboxShareService;

// The embedded sandbox: a directory, file servers and share tables kept in one
// folder, so Quillstead runs with no server at all.
//   DIR/directory.ldif   the directory (saved atomically)
//   DIR/shares.tsv       server TAB share TAB local path, one share a line
//   DIR/servers/<server>/<drive>/<path>   each server's disks
//   DIR/Users_list.csv   a sample user list, written on creation
class Sandbox {
 public:
  ~Sandbox();

  // Opens the sandbox in dir, creating dir and its first content when dir
  // does not exist or is empty. An existing sandbox is loaded unchanged.
  // Returns nullptr with a reason in *error on failure.
  static std::unique_ptr<Sandbox> open(const QString& dir, QString* error);

  // Writes the directory and share table back (atomically); a file whose
  // content is unchanged is not rewritten. Returns false with a reason in
  // *error on failure.
  bool save(QString* error);

  Platform platform();
  MemoryDirectory& directory() { return *m_directory; }
  SandboxFileSystem& files() { return *m_files; }
  SandboxShareService& shares() { return *m_shares; }
  const QString& dir() const { return m_dir; }

  // The domain a new sandbox holds, and its file server.
  static QString defaultDomain() { return QStringLiteral("example.test"); }
  static QString defaultFileServer() { return QStringLiteral("files"); }

 private:
  Sandbox() = default;
  bool createContent(QString* error);  // a new sandbox's first files
  bool loadContent(QString* error);

  QString m_dir;
  std::unique_ptr<MemoryDirectory> m_directory;
  std::unique_ptr<SandboxFileSystem> m_files;
  std::unique_ptr<SandboxShareService> m_shares;
};

}  // namespace quill
