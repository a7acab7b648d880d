#pragma once

#include <QString>
#include <QStringList>
#include <memory>

#include "core/platform.h"
#include "sandbox/journal.h"

namespace quill {

class JournalSink;
class MemoryDirectory;
class SandboxFileSystem;
class SandboxShareService;

// The embedded sandbox: a directory, file servers and share tables kept in one
// folder, so Quillstead runs with no server at all.
//   DIR/directory.ldif   the directory
//   DIR/shares.tsv       server TAB share TAB local path, one share a line
//   DIR/journal          every change since those two were last written
//   DIR/lock             locked while a program has the sandbox open
//   DIR/servers/<server>/<drive>/<path>   each server's disks
//   DIR/Users_list.csv   a sample user list, written on creation
// Every change is in the journal before the run reports it, so a kill at any
// moment loses nothing the log shows; the next start replays it. The files
// are written whole (never left half-written), readable by their owner only,
// and end with a line that counts their records: a damaged file stops the
// program instead of loading halfway.
class Sandbox {
 public:
  ~Sandbox();

  // Opens the sandbox in dir, creating dir and its first content when dir
  // does not exist or is empty. An existing sandbox is loaded unchanged, with
  // the changes of its journal. Returns nullptr with a reason (naming the
  // file and the line when one is damaged) in *error on failure.
  // ReadOnly (for a dry run): the sandbox must exist; nothing is created,
  // repaired, written or folded in, and other readers may share it.
  enum class Access { ReadWrite, ReadOnly };
  static std::unique_ptr<Sandbox> open(const QString& dir, QString* error,
                                       Access access = Access::ReadWrite);

  // Writes the directory and share table back and empties the journal; a
  // file whose content is unchanged is not rewritten. Returns false with a
  // reason in *error on failure.
  bool save(QString* error);

  Platform platform();
  MemoryDirectory& directory() { return *m_directory; }
  SandboxFileSystem& files() { return *m_files; }
  SandboxShareService& shares() { return *m_shares; }
  const QString& dir() const { return m_dir; }
  // What the opening found worth saying without stopping (a file of an
  // earlier version).
  const QStringList& warnings() const { return m_warnings; }

  // The domain a new sandbox holds, and its file server.
  static QString defaultDomain() { return QStringLiteral("example.test"); }
  static QString defaultFileServer() { return QStringLiteral("files"); }

 private:
  Sandbox();
  bool createContent(QString* error);  // a new sandbox's first files
  bool loadContent(QString* error);
  bool replayJournal(QString* error);
  bool replay(const Journal::Record& record, QString* error);
  static QString describe(const Journal::Record& record);
  static QString legacyWarning(const QString& path);

  QString m_dir;
  std::unique_ptr<MemoryDirectory> m_directory;
  std::unique_ptr<SandboxFileSystem> m_files;
  std::unique_ptr<SandboxShareService> m_shares;
  std::unique_ptr<Journal> m_journal;
  std::unique_ptr<JournalSink> m_sink;
  QStringList m_warnings;
  int m_lock = -1;  // held for the sandbox's lifetime
  bool m_readOnly = false;
};

}  // namespace quill
