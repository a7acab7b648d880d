#pragma once

#include <QJsonObject>
#include <QString>
#include <vector>

#include "core/platform.h"
#include "engine/run_driver.h"

namespace quill {

class RunHost;
class RunLog;
class RunRecord;

// A run record read back: its first line and its changes in the order made.
struct RecordedRun {
  QJsonObject header;
  std::vector<QJsonObject> changes;
  QJsonObject end;  // empty when the run did not end (it was killed)
};

// Reads the run record at path. A last line cut short (the program died
// while writing it) is left out. false with a reason naming the line when the
// file is no run record or a line before the last is damaged.
bool readRunRecord(const QString& path, RecordedRun* run, QString* error);

// The newest run record in folder (never an undo's record); empty when there
// is none.
QString newestRunRecord(const QString& folder);

// Takes back the run of the record at recordPath on platform, newest change
// first: the shares it created (while they still point to the run's folder),
// then its folders (while they are empty), then the memberships it added, then
// the accounts, groups and OUs it created (each found by its identity wherever
// it was moved, and an OU or group only while it holds nothing the run did not
// create). Nothing the run did not create is removed or changed; what is gone
// already is a line saying so, so an undo may run again. Each step is a line of
// the run log, through host as a run's lines are; what was taken back goes to
// undoRecord (when given). The outcome counts as a run's: errors, warnings
// only (something kept), or success. EndedEarly with the reason shown through
// host when the record cannot be read.
RunOutcome UndoRun(Platform platform, RunHost& host, RunLog& log, const QString& recordPath,
                   RunRecord* undoRecord);

}  // namespace quill
