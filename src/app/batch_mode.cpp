#include "app/batch_mode.h"

#include <QDir>
#include <QFileInfo>
#include <cstdio>
#include <optional>

#include "app/app_state.h"
#include "app/batch_host.h"
#include "app/command_line.h"
#include "app/dry_run_report.h"
#include "app/password_files.h"
#include "app/recorded_runs.h"
#include "core/backends.h"
#include "core/run_options.h"
#include "engine/run_driver.h"
#include "engine/run_record.h"
#include "engine/run_undo.h"

namespace quill {

namespace {

int exitStatusOf(RunOutcome outcome) {
  switch (outcome) {
    case RunOutcome::Success:
      return kExitSuccess;
    case RunOutcome::Warnings:
      return kExitWarnings;
    case RunOutcome::Errors:
      return kExitErrors;
    case RunOutcome::EndedEarly:
    case RunOutcome::AlreadyRunning:
      break;
  }
  return kExitEarlyEnd;
}

void printError(const QString& text) {
  const QByteArray line = ("quillstead: " + text + '\n').toUtf8();
  std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stderr);
}

}  // namespace

int runBatch(const CommandLine& commandLine, Backends& backends, InitialPasswords passwords) {
  AppState state;
  state.platform = backends.platform();
  // A dry run is the same run over views that keep every change in memory,
  // with a log that keeps nothing.
  std::optional<DryRun> dryRun;
  DryRunReport report;
  if (commandLine.dryRun) {
    dryRun.emplace(state.platform);
    state.platform = dryRun->platform();
    state.runLog.setKeepsNothing(true);
  }
  RunOptions options = startupRunOptions(QDir::currentPath(), *state.platform.files);
  applyRunFlags(commandLine, options, state.patterns);
  // Batch mode has no built-in password: without --password-file no account
  // is made, and the boxes stay empty.
  options.txt_Password = {std::move(passwords.password), std::move(passwords.confirmation)};

  backends.setRunDomain(options.txt_Domain);
  BatchHost host(options, commandLine.answerYes, stdout, stderr);
  if (dryRun) host.setLineObserver([&report](const QString& line) { report.takeLine(line); });
  // Every real run (and undo) leaves a record that a machine can read.
  const QString records = RunRecord::folderIn(QDir::currentPath());
  const auto warn = [](const QString& why) { printError(why); };
  int status = kExitSuccess;
  if (!commandLine.undoRecord.isEmpty()) {
    const QString recordPath = commandLine.undoRecord == u"last"
                                   ? newestRunRecord(records)
                                   : QFileInfo(commandLine.undoRecord).absoluteFilePath();
    if (recordPath.isEmpty()) {
      printError(QStringLiteral("there is no run record in %1 to undo").arg(records));
      return kExitEarlyEnd;
    }
    status = exitStatusOf(undoWithRecord(state.platform, host, state.runLog, recordPath,
                                         backends.describe(), dryRun.has_value(), warn));
  } else if (dryRun) {
    RunDriver driver(state.platform, host, state.runLog, state.patterns);
    status = exitStatusOf(driver.cmd_GO_Click());
  } else {
    status = exitStatusOf(
        runWithRecord(state.platform, host, state.runLog, state.patterns, backends.describe(), warn)
            .outcome);
  }
  host.wipePasswords();
  if (dryRun) {
    const QByteArray line = ("Quillstead: " + report.summary(dryRun->counts()) + '\n').toUtf8();
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stderr);
    return status;
  }

  // Whatever the run made stays made: the sandbox is saved however it ended.
  QString error;
  if (!backends.save(&error)) {
    printError(error);
    if (status == kExitSuccess || status == kExitWarnings) status = kExitErrors;
  }
  return status;
}

}  // namespace quill
