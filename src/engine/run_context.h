#pragma once

#include <QString>
#include <memory>

#include "core/directory_service.h"
#include "core/domain_strings.h"
#include "core/run_host.h"
#include "core/share_service.h"
#include "core/unc_file_system.h"
#include "core/user_record.h"
#include "engine/folder_layout.h"
#include "engine/run_lists.h"

namespace quill {

class RunLog;
struct UserNamePatterns;

// The state of one run, owned by the run driver and handed to every phase.
// The phases report through it (ReportLine, counters, run lists) and read
// the options through it, fresh at each call, because the user may change
// them while a run goes on.
class RunContext {
 public:
  RunContext(RunHost& host, DirectoryService& directory, UncFileSystem& files, ShareService& shares,
             RunLog& log, const UserNamePatterns& patterns);

  // The options as they stand now.
  RunOptions options() const { return host.options(); }

  // Writes message to the run log, shows it in the help box and lets the
  // host's event loop run.
  void ReportLine(const QString& message);

  RunHost& host;
  DirectoryService& directory;
  UncFileSystem& files;
  ShareService& shares;
  RunLog& log;
  const UserNamePatterns& patterns;

  RunCounters counters;
  RunLists lists;
  DomainStrings domain;

  // Target OUs of the run (full LDAP paths and DNs).
  QString usersOuPath;
  QString groupsOuPath;
  QString groupsOuDn;
  QString usersOuDn;

  // Folder roots under which each department gets its folders; empty means
  // that kind of folder is not wanted.
  DepartmentRoots roots;

  // Containers bound by the driver, released at the end of the run.
  std::unique_ptr<DirObject> parentContainer;
  std::unique_ptr<DirObject> accountContainer;
  std::unique_ptr<DirObject> groupsContainer;

 private:
  bool m_logWarned = false;
};

// Releases the bound containers and empties the department folder roots, so
// the next run starts afresh.
void ClearRunObjects(RunContext& context);

}  // namespace quill
