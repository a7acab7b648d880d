#include "engine/run_context.h"

#include "core/names.h"
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
  // Names from the list are shown, never obeyed: no control character of
  // theirs reaches the log, the help box or a terminal.
  const QString shown = showControls(message);
  if (!log.WriteLogLine(shown) && !log.path().isEmpty() && !m_logWarned) {
    // Said once: the run goes on without its log, as it must.
    m_logWarned = true;
    host.inform(
        QStringLiteral("The run log '%1' cannot be written: %2. The run goes on without it.")
            .arg(log.path(), log.lastError()),
        MsgIcon::Critical);
  }
  host.setHelp(shown);
  host.yield();
}

void ClearRunObjects(RunContext& context) {
  context.parentContainer.reset();
  context.accountContainer.reset();
  context.groupsContainer.reset();
  context.roots = DepartmentRoots{};
}

}  // namespace quill
