#pragma once

#include <QString>

#include "core/platform.h"
#include "dryrun/directory_overlay.h"
#include "dryrun/files_overlay.h"
#include "dryrun/shares_overlay.h"

namespace quill {

// A dry run's platform: the real services are only read, every change is
// kept in memory by an overlay, so the very same run (or undo) can show what
// it would do, line for line, without doing any of it.
class DryRun {
 public:
  explicit DryRun(Platform real);
  DryRun(const DryRun&) = delete;
  DryRun& operator=(const DryRun&) = delete;

  // The overlays, to run on. No person is kept all or nothing: nothing is kept.
  Platform platform() { return Platform{&m_directory, &m_files, &m_shares, nullptr}; }

  // What the run would have changed.
  struct Counts {
    int ous = 0, accounts = 0, groups = 0, memberships = 0, folders = 0, shares = 0;
    int deleted = 0, membershipsRemoved = 0, foldersRemoved = 0, sharesDeleted = 0;
  };
  Counts counts() const;

 private:
  DirectoryOverlay m_directory;
  FilesOverlay m_files;
  SharesOverlay m_shares;
};

}  // namespace quill
