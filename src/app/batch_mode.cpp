#include "app/batch_mode.h"

#include <QDir>
#include <cstdio>

#include "app/app_state.h"
#include "app/batch_host.h"
#include "app/command_line.h"
#include "app/password_files.h"
#include "core/backends.h"
#include "core/run_options.h"
#include "engine/run_driver.h"

namespace quill {

int runBatch(const CommandLine& commandLine, Backends& backends, InitialPasswords passwords) {
  AppState state;
  state.platform = backends.platform();
  RunOptions options = startupRunOptions(QDir::currentPath(), *state.platform.files);
  applyRunFlags(commandLine, options, state.patterns);
  // Batch mode has no built-in password: without --password-file no account
  // is made, and the boxes stay empty.
  options.txt_Password = {std::move(passwords.password), std::move(passwords.confirmation)};

  backends.setRunDomain(options.txt_Domain);
  BatchHost host(options, commandLine.answerYes, stdout, stderr);
  RunDriver driver(state.platform, host, state.runLog, state.patterns);
  const RunOutcome outcome = driver.cmd_GO_Click();
  host.wipePasswords();

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
  QString error;
  if (!backends.save(&error)) {
    std::fprintf(stderr, "quillstead: %s\n", error.toLocal8Bit().constData());
    if (status == kExitSuccess || status == kExitWarnings) status = kExitErrors;
  }
  return status;
}

}  // namespace quill
