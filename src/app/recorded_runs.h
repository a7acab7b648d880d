#pragma once

#include <QString>
#include <functional>

#include "core/platform.h"
#include "engine/run_driver.h"
#include "engine/run_lists.h"

namespace quill {

class RunHost;
class RunLog;
struct UserNamePatterns;

// How a run or an undo ended, as its record's last line says it.
const char* outcomeName(RunOutcome outcome);

// What one real run gave: how it ended, its counters and the domain it derived.
struct RecordedGo {
  RunOutcome outcome = RunOutcome::EndedEarly;
  RunCounters counters;
  QString domainFqdn;
};

// One real run (GO in the window or in batch mode) that leaves its record in
// quillstead-runs/ beside the log (the current folder): every change is
// written before its log line, the last line says how the run ended. backend
// is what the record's first line names as where the run went. When the
// record cannot be opened, warn hears why and the run goes on without it.
RecordedGo runWithRecord(Platform platform, RunHost& host, RunLog& log,
                         const UserNamePatterns& patterns, const QString& backend,
                         const std::function<void(const QString&)>& warn);

// The record an undo of recordPath writes: beside it, ".undo" before
// ".jsonl" (a number after it when that is taken).
QString undoRecordPath(const QString& recordPath);
// Whether the run of recordPath has been undone (its undo left a record).
bool isUndone(const QString& recordPath);

// Takes back the run of recordPath (UndoRun). Unless dryRun, the undo writes
// its own record (undoRecordPath); when that cannot be opened warn hears why
// and the undo goes on without it.
RunOutcome undoWithRecord(Platform platform, RunHost& host, RunLog& log, const QString& recordPath,
                          const QString& backend, bool dryRun,
                          const std::function<void(const QString&)>& warn);

}  // namespace quill
