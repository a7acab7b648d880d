#include "app/batch_mode.h"

#include <QDir>
#include <cstdio>

#include "app/app_state.h"
#include "app/batch_host.h"
#include "app/command_line.h"
#include "core/backends.h"
#include "core/run_options.h"
#include "engine/run_driver.h"

namespace quill {

int runBatch(const CommandLine& commandLine, Backends& backends) {
  AppState state;
  state.platform = backends.platform();
  RunOptions options = startupRunOptions(QDir::currentPath(), *state.platform.files);
  QString error;
  if (!applyRunFlags(commandLine, options, state.patterns, &error)) {
    std::fprintf(stderr, "quillstead: %s\n", error.toLocal8Bit().constData());
    return kExitUsage;
  }

  backends.setRunDomain(options.txt_Domain);
  BatchHost host(options, commandLine.answerYes, stdout, stderr);
  RunDriver driver(state.platform, host, state.runLog, state.patterns);
  const RunOutcome outcome = driver.cmd_GO_Click();

  // Whatever the run made stays made: the sandbox is saved however it ended.
  int status = kExitSuccess;
  switch (outcome) {
    case RunOutcome::Success:
      status = kExitSuccess;
      break;
    case RunOutcome::Warnings:
      status = kExitWarnings;
      break;
    case RunOutcome::Errors:
      status = kExitErrors;
      break;
    case RunOutcome::EndedEarly:
    case RunOutcome::AlreadyRunning:
      status = kExitEarlyEnd;
      break;
  }
  if (!backends.save(&error)) {
    std::fprintf(stderr, "quillstead: %s\n", error.toLocal8Bit().constData());
    if (status == kExitSuccess || status == kExitWarnings) status = kExitErrors;
  }
  return status;
}

}  // namespace quill
