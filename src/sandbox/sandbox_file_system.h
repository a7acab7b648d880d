#pragma once

#include <QString>

#include "core/unc_file_system.h"
#include "sandbox/sandbox_share_service.h"

namespace quill {

// The sandbox's UNC folders: \\server\share\a\b is the folder a\b under the
// share's local path on that server's disk in DIR/servers. ".." and "."
// components are never followed out of the share.
class SandboxFileSystem : public UncFileSystem {
 public:
  explicit SandboxFileSystem(SandboxShareService& shares);
  bool exists(const QString& uncPath) override;
  bool makeFolder(const QString& uncPath, QString* error) override;
  Removal removeFolder(const QString& uncPath, QString* error) override;
  std::optional<QStringList> folderEntries(const QString& uncPath) override;
  // The local folder for uncPath, empty when it names no share of the sandbox.
  QString hostPathFor(const QString& uncPath);

 private:
  // The local folder for uncPath and the number of folder levels below the
  // share; false with a reason when uncPath names nothing in the sandbox.
  bool resolve(const QString& uncPath, QString* hostPath, int* depth, QString* reason);

  SandboxShareService& m_shares;
};

}  // namespace quill
