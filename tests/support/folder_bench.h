#pragma once

#include <QDir>
#include <QDirIterator>
#include <QSet>
#include <stdexcept>

#include "core/user_name_pattern.h"
#include "engine/run_context.h"
#include "engine/run_log.h"
#include "sandbox/memory_directory.h"
#include "sandbox/sandbox.h"
#include "sandbox/sandbox_file_system.h"
#include "sandbox/sandbox_share_service.h"
#include "support/scripted_host.h"

namespace quill::test {

// The sandbox's folders seen through a recorder: it keeps every folder made,
// refuses the folders listed in refuse, and can collapse runs of "\" inside a
// UNC path as Windows path normalization does.
class RecordingFiles : public UncFileSystem {
 public:
  explicit RecordingFiles(UncFileSystem& inner) : m_inner(inner) {}

  bool exists(const QString& path) override { return m_inner.exists(normalize(path)); }
  bool makeFolder(const QString& path, QString* error) override {
    made.append(path);
    if (refuse.contains(path)) return false;
    return m_inner.makeFolder(normalize(path), error);
  }

  QStringList made;
  QSet<QString> refuse;
  bool collapseSeparators = false;

 private:
  QString normalize(const QString& path) const {
    if (!collapseSeparators || !path.startsWith(QLatin1String("\\\\"))) return path;
    QString rest = path.mid(2);
    while (rest.contains(QLatin1String("\\\\"))) rest.replace(QLatin1String("\\\\"), "\\");
    return QStringLiteral("\\\\") + rest;
  }

  UncFileSystem& m_inner;
};

// A new sandbox in dir and a run context over it, for calling the folder
// routines one at a time. The root share is \\files\data (D:\shares\data).
class FolderBench {
 public:
  explicit FolderBench(const QString& dir)
      : sandbox(openSandbox(dir)),
        files(sandbox->files()),
        ctx(host, sandbox->directory(), files, sandbox->shares(), log, patterns) {
    host.runOptions().txt_DirRoot = QStringLiteral("\\\\files\\data");
  }

  // Shares made after the new sandbox's own three, as "name=local path".
  QStringList newShares() const {
    QStringList result;
    const std::vector<SandboxShare>& all = sandbox->shares().shares();
    for (size_t i = kBaseShares; i < all.size(); ++i) {
      result << all[i].name + QLatin1Char('=') + all[i].localPath;
    }
    return result;
  }
  // The folder on the sandbox's disk for tail below \\files\data ("\All").
  QString dataFolder(const QString& tail = QString()) const {
    QString t = tail;
    return sandbox->dir() + QStringLiteral("/servers/files/D/shares/data") +
           t.replace(QLatin1Char('\\'), QLatin1Char('/'));
  }
  // Every file and folder below the sandbox's servers folder.
  QStringList serverTree() const {
    QStringList paths;
    QDirIterator it(sandbox->dir() + QStringLiteral("/servers"),
                    QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) paths << it.next();
    paths.sort();
    return paths;
  }

  static constexpr size_t kBaseShares = 3;

  std::unique_ptr<Sandbox> sandbox;
  RecordingFiles files;
  ScriptedHost host;
  RunLog log;
  UserNamePatterns patterns;
  RunContext ctx;

 private:
  static std::unique_ptr<Sandbox> openSandbox(const QString& dir) {
    QString error;
    std::unique_ptr<Sandbox> sandbox = Sandbox::open(dir, &error);
    if (!sandbox) throw std::runtime_error(error.toStdString());
    return sandbox;
  }
};

}  // namespace quill::test
