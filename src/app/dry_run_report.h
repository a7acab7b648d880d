#pragma once

#include <QString>
#include <QStringList>

#include "dryrun/dry_run.h"

namespace quill {

// What a dry run would do, from its log lines and its overlays' counts: the
// last line of a batch dry run and the window's report.
class DryRunReport {
 public:
  // Every log line of the run, in order.
  void takeLine(const QString& line);

  // The persons whose login name would fall back to another pattern, and
  // the warning and error lines.
  const QStringList& fallBacks() const { return m_fallBacks; }
  const QStringList& warnings() const { return m_warnings; }
  const QStringList& errors() const { return m_errors; }

  // "Dry run: nothing was changed. It would create ..." in one line.
  QString summary(const DryRun::Counts& counts) const;
  // The summary, then the fall-back names, warnings and errors, then what a
  // dry run cannot see; as text to keep.
  QString text(const DryRun::Counts& counts) const;

  // What a dry run cannot know about the real run.
  static QString limits();

 private:
  QStringList m_fallBacks;
  QStringList m_warnings;
  QStringList m_errors;
};

}  // namespace quill
