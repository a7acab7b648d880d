#pragma once

#include <QJsonObject>
#include <QString>
#include <functional>
#include <memory>

#include "core/forwarding_services.h"
#include "core/platform.h"
#include "core/run_options.h"
#include "core/user_name_pattern.h"

namespace quill {

// The machine-readable record of one run: a JSON Lines file in the folder
// quillstead-runs beside the run log, named after the run's start
// ("2026-12-06T19-30-05.jsonl", "-2" before ".jsonl" when that is taken), mode
// 0600. The first line describes the run, then one line per change in the
// order made, each handed to the system before the run writes its next log
// line, and a last line says how the run ended. A run that was killed leaves
// a record complete up to its last change.
class RunRecord {
 public:
  RunRecord() = default;
  ~RunRecord();
  RunRecord(const RunRecord&) = delete;
  RunRecord& operator=(const RunRecord&) = delete;

  // What the first line says besides the options: the kind ("run" or
  // "undo"), the backend, the domain, and for an undo the record it takes back.
  struct Header {
    QString kind = QStringLiteral("run");
    QString backend;
    QString domain;
    QString undoes;
  };
  // Opens a new record in folder (created when missing) and writes its first
  // line. false with a reason in *error.
  bool open(const QString& folder, const Header& header, const RunOptions& options,
            const UserNamePatterns& patterns, QString* error);
  // The same, with path as the file's whole name (an undo's record).
  bool openAt(const QString& path, const QJsonObject& firstLine, QString* error);
  bool isOpen() const { return m_fd >= 0; }
  const QString& path() const { return m_path; }

  // One line, written at once. The kinds a run writes: "created" (dn, class),
  // "guid" (dn, guid: the identity of an object the run created, which stays
  // with it through renames), "member" (group, member), "folder" (path),
  // "share" (server, name, path); an undo writes what it took back.
  void write(const QJsonObject& line);
  // The last line: how the run ended. Closes the record, after what was set
  // to run before the close (see setBeforeClose).
  void close(const QJsonObject& end);
  // Something to run once before the record closes; empty for nothing.
  void setBeforeClose(std::function<void()> beforeClose) { m_beforeClose = std::move(beforeClose); }

  // The folder of records beside the log in folder.
  static QString folderIn(const QString& logFolder);
  // The fields of the options a record keeps: every one but the passwords.
  static QJsonObject describe(const RunOptions& options, const UserNamePatterns& patterns);

 private:
  int m_fd = -1;
  QString m_path;
  std::function<void()> m_beforeClose;
};

// The three services of a run with every change they make written to a
// record: wraps a platform and passes everything on. The identities of the
// objects the run created are asked for in batches (every few hundred
// objects, and when the record closes), so that a directory over the network
// can read many of them in one request instead of one each; a run that is
// killed leaves its last batch without them (the undo then finds those
// objects by their DNs).
class RecordingPlatform {
 public:
  RecordingPlatform(Platform real, RunRecord& record);
  ~RecordingPlatform();
  Platform platform();

 private:
  class Directory;
  class Files;
  class Shares;
  Platform m_real;
  RunRecord& m_record;
  std::unique_ptr<Directory> m_directory;
  std::unique_ptr<Files> m_files;
  std::unique_ptr<Shares> m_shares;
};

}  // namespace quill
