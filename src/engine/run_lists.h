#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

namespace quill {

// A list of names handled in this run, in the order they were added. Names
// compare without regard to case in the Unicode sense ("Müller" and
// "MÜLLER" are one name). A folded-name set answers FindInList in constant
// time, so a run with thousands of groups does not scan them per person.
class RunList {
 public:
  void append(const QString& name);
  void clear();
  int count() const { return static_cast<int>(m_names.size()); }
  const QStringList& names() const { return m_names; }
  bool contains(const QString& name) const { return m_folded.contains(name.toCaseFolded()); }

 private:
  QStringList m_names;
  QSet<QString> m_folded;
};

// True when some entry of list equals name, compared without regard to case.
inline bool FindInList(const RunList& list, const QString& name) { return list.contains(name); }

// The names already handled in this run; emptied at the start of every run.
struct RunLists {
  RunList CreatedOUs;
  RunList CreatedGroups;
  RunList CreatedShares;
  void clear() {
    CreatedOUs.clear();
    CreatedGroups.clear();
    CreatedShares.clear();
  }
};

// The counters and flags of one run.
struct RunCounters {
  qint32 UsersProcessed = 0;
  bool ErrorsOccurred = false;
  bool WarningsOccurred = false;
  // Whether the current person's account does not exist at the end of the
  // account step; the group step adds no member while it is set.
  bool UserFailed = false;
};

}  // namespace quill
