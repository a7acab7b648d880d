#include "app/recorded_runs.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <optional>

#include "core/run_host.h"
#include "engine/run_log.h"
#include "engine/run_record.h"
#include "engine/run_undo.h"

namespace quill {

namespace {

QString undoStem(const QString& recordPath) {
  return recordPath.chopped(QStringLiteral(".jsonl").size()) + QStringLiteral(".undo");
}

}  // namespace

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

RecordedGo runWithRecord(Platform platform, RunHost& host, RunLog& log,
                         const UserNamePatterns& patterns, const QString& backend,
                         const std::function<void(const QString&)>& warn) {
  const RunOptions options = host.options();
  RunRecord record;
  std::optional<RecordingPlatform> recording;
  QString error;
  const RunRecord::Header header{QStringLiteral("run"), backend, options.txt_Domain, QString()};
  if (record.open(RunRecord::folderIn(QDir::currentPath()), header, options, patterns, &error)) {
    recording.emplace(platform, record);
  } else {
    warn(error + QStringLiteral("; the run goes on without its record"));
  }
  RunDriver driver(recording ? recording->platform() : platform, host, log, patterns);
  RecordedGo go;
  go.outcome = driver.cmd_GO_Click();
  go.counters = driver.lastCounters();
  go.domainFqdn = driver.DomainFqdn();
  record.close({{QStringLiteral("ended"), QLatin1String(outcomeName(go.outcome))},
                {QStringLiteral("usersProcessed"), go.counters.UsersProcessed},
                {QStringLiteral("errorsOccurred"), go.counters.ErrorsOccurred},
                {QStringLiteral("warningsOccurred"), go.counters.WarningsOccurred}});
  return go;
}

QString undoRecordPath(const QString& recordPath) {
  const QString stem = undoStem(recordPath);
  QString path = stem + QStringLiteral(".jsonl");
  for (int n = 2; QFileInfo::exists(path); ++n) path = stem + QStringLiteral("-%1.jsonl").arg(n);
  return path;
}

bool isUndone(const QString& recordPath) {
  return QFileInfo::exists(undoStem(recordPath) + QStringLiteral(".jsonl"));
}

RunOutcome undoWithRecord(Platform platform, RunHost& host, RunLog& log, const QString& recordPath,
                          const QString& backend, bool dryRun,
                          const std::function<void(const QString&)>& warn) {
  RunRecord record;
  RecordedRun recorded;
  QString error;
  if (!dryRun && readRunRecord(recordPath, &recorded, &error) &&
      !record.openAt(undoRecordPath(recordPath),
                     {{QStringLiteral("record"), QStringLiteral("undo")},
                      {QStringLiteral("undoes"), recordPath},
                      {QStringLiteral("start"), QDateTime::currentDateTime().toString(Qt::ISODate)},
                      {QStringLiteral("backend"), backend}},
                     &error)) {
    warn(error);
  }
  const RunOutcome outcome =
      UndoRun(platform, host, log, recordPath, record.isOpen() ? &record : nullptr);
  record.close({{QStringLiteral("ended"), QLatin1String(outcomeName(outcome))}});
  return outcome;
}

}  // namespace quill
