#include "dryrun/dry_run.h"

namespace quill {

DryRun::DryRun(Platform real)
    : m_directory(*real.directory), m_files(*real.files), m_shares(*real.shares) {}

DryRun::Counts DryRun::counts() const {
  const DirectoryOverlay::Tally& d = m_directory.tally();
  Counts c;
  c.ous = d.ous;
  c.accounts = d.accounts;
  c.groups = d.groups;
  c.memberships = d.memberships;
  c.folders = m_files.foldersMade();
  c.shares = m_shares.sharesCreated();
  c.deleted = d.deleted;
  c.membershipsRemoved = d.membershipsRemoved;
  c.foldersRemoved = m_files.foldersRemoved();
  c.sharesDeleted = m_shares.sharesDeleted();
  return c;
}

}  // namespace quill
