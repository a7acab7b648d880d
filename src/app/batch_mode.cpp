#include "app/batch_mode.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <cstdio>
#include <optional>

#include "app/app_state.h"
#include "app/batch_host.h"
#include "app/command_line.h"
#include "app/dry_run_report.h"
#include "app/password_files.h"
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

const char* outcomeName(RunOutcome outcome) {
  switch (outcome) {
    case RunOutcome::Success:
      return "success";
    case RunOutcome::Warnings:
      return "warnings";
    case RunOutcome::Errors:
      return "errors";
    case RunOutcome::EndedEarly:
    case RunOutcome::AlreadyRunning:
      break;
  }
  return "ended early";
}

// The record of an undo of recordPath: beside it, ".undo" before ".jsonl".
QString undoRecordPath(const QString& recordPath) {
  const QString stem =
      recordPath.chopped(QStringLiteral(".jsonl").size()) + QStringLiteral(".undo");
  QString path = stem + QStringLiteral(".jsonl");
  for (int n = 2; QFileInfo::exists(path); ++n) path = stem + QStringLiteral("-%1.jsonl").arg(n);
  return path;
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
  RunRecord record;
  const QString records = RunRecord::folderIn(QDir::currentPath());
  QString error;
  int status = kExitSuccess;
  if (!commandLine.undoRecord.isEmpty()) {
    const QString recordPath = commandLine.undoRecord == u"last"
                                   ? newestRunRecord(records)
                                   : QFileInfo(commandLine.undoRecord).absoluteFilePath();
    if (recordPath.isEmpty()) {
      printError(QStringLiteral("there is no run record in %1 to undo").arg(records));
      return kExitEarlyEnd;
    }
    RecordedRun recorded;
    if (!dryRun && readRunRecord(recordPath, &recorded, &error) &&
        !record.openAt(
            undoRecordPath(recordPath),
            {{QStringLiteral("record"), QStringLiteral("undo")},
             {QStringLiteral("undoes"), recordPath},
             {QStringLiteral("start"), QDateTime::currentDateTime().toString(Qt::ISODate)},
             {QStringLiteral("backend"), backends.describe()}},
            &error)) {
      printError(error);
    }
    const RunOutcome outcome = UndoRun(state.platform, host, state.runLog, recordPath,
                                       record.isOpen() ? &record : nullptr);
    record.close({{QStringLiteral("ended"), QLatin1String(outcomeName(outcome))}});
    status = exitStatusOf(outcome);
  } else {
    std::optional<RecordingPlatform> recording;
    if (!dryRun) {
      const RunRecord::Header header{QStringLiteral("run"), backends.describe(), options.txt_Domain,
                                     QString()};
      if (record.open(records, header, options, state.patterns, &error)) {
        recording.emplace(state.platform, record);
      } else {
        printError(error + QStringLiteral("; the run goes on without its record"));
      }
    }
    RunDriver driver(recording ? recording->platform() : state.platform, host, state.runLog,
                     state.patterns);
    const RunOutcome outcome = driver.cmd_GO_Click();
    const RunCounters& counters = driver.lastCounters();
    record.close({{QStringLiteral("ended"), QLatin1String(outcomeName(outcome))},
                  {QStringLiteral("usersProcessed"), counters.UsersProcessed},
                  {QStringLiteral("errorsOccurred"), counters.ErrorsOccurred},
                  {QStringLiteral("warningsOccurred"), counters.WarningsOccurred}});
    status = exitStatusOf(outcome);
  }
  host.wipePasswords();
  if (dryRun) {
    const QByteArray line = ("Quillstead: " + report.summary(dryRun->counts()) + '\n').toUtf8();
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stderr);
    return status;
  }

  // Whatever the run made stays made: the sandbox is saved however it ended.
  if (!backends.save(&error)) {
    printError(error);
    if (status == kExitSuccess || status == kExitWarnings) status = kExitErrors;
  }
  return status;
}

}  // namespace quill
