#include "engine/run_context.h"

#include "engine/run_log.h"

namespace quill {

RunContext::RunContext(RunHost& host_, DirectoryService& directory_, UncFileSystem& files_,
                       ShareService& shares_, RunLog& log_, const UserNamePatterns& patterns_)
    : host(host_),
      directory(directory_),
      files(files_),
      shares(shares_),
      log(log_),
      patterns(patterns_) {}

void RunContext::ReportLine(const QString& message) {
  log.WriteLogLine(message);
  host.setHelp(message);
  host.yield();
}

void ClearRunObjects(RunContext& context) {
  context.parentContainer.reset();
  context.accountContainer.reset();
  context.groupsContainer.reset();
  context.roots = DepartmentRoots{};
}

}  // namespace quill
