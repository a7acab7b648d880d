#include "sandbox/sandbox_file_system.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include "core/names.h"

namespace quill {

SandboxFileSystem::SandboxFileSystem(SandboxShareService& shares) : m_shares(shares) {}

bool SandboxFileSystem::resolve(const QString& uncPath, QString* hostPath, int* depth,
                                QString* reason) {
  if (!uncPath.startsWith(QStringLiteral("\\\\"))) {
    *reason = QStringLiteral("not a path of the form \\\\server\\share");
    return false;
  }
  QStringList parts = uncPath.mid(2).split(u'\\');
  if (parts.size() < 2 || parts.at(0).isEmpty() || parts.at(1).isEmpty()) {
    *reason = QStringLiteral("not a path of the form \\\\server\\share");
    return false;
  }
  const SandboxShare* share = m_shares.findShare(parts.at(0), parts.at(1));
  if (share == nullptr) {
    *reason = QStringLiteral("the server '%1' has no share '%2'").arg(parts.at(0), parts.at(1));
    return false;
  }
  // A doubled or trailing separator names the same folder as a single one.
  QStringList folders = parts.mid(2);
  folders.removeAll(QString());
  for (const QString& folder : folders) {
    // Checked here, not only on the local path, so that a "/" or a ".." of
    // the UNC path can never become a step on the local disk.
    const QString problem = folderNameProblem(folder);
    if (!problem.isEmpty()) {
      *reason = problem;
      return false;
    }
  }
  QString localPath = share->localPath;
  if (!folders.isEmpty()) {
    if (!localPath.endsWith(u'\\')) localPath += u'\\';
    localPath += folders.join(u'\\');
  }
  *hostPath = m_shares.hostPathFor(share->server, localPath, reason);
  if (hostPath->isEmpty()) return false;
  *depth = static_cast<int>(folders.size());
  return true;
}

QString SandboxFileSystem::hostPathFor(const QString& uncPath) {
  QString hostPath;
  QString reason;
  int depth = 0;
  return resolve(uncPath, &hostPath, &depth, &reason) ? hostPath : QString();
}

bool SandboxFileSystem::exists(const QString& uncPath) {
  const QString hostPath = hostPathFor(uncPath);
  return !hostPath.isEmpty() && QFileInfo::exists(hostPath);
}

bool SandboxFileSystem::makeFolder(const QString& uncPath, QString* error) {
  auto fail = [&](const QString& reason) {
    if (error) *error = QStringLiteral("Cannot create '%1': %2").arg(uncPath, reason);
    return false;
  };
  QString hostPath;
  QString reason;
  int depth = 0;
  if (!resolve(uncPath, &hostPath, &depth, &reason)) return fail(reason);
  if (depth == 0) return fail(QStringLiteral("it is the root of a share"));
  const QFileInfo info(hostPath);
  if (info.exists()) return fail(QStringLiteral("it already exists"));
  if (!QFileInfo(info.absolutePath()).isDir()) {
    return fail(QStringLiteral("the folder above it does not exist"));
  }
  if (!m_shares.disks().makeFolder(hostPath, &reason)) return fail(reason);
  return true;
}

std::optional<QStringList> SandboxFileSystem::folderEntries(const QString& uncPath) {
  const QString hostPath = hostPathFor(uncPath);
  if (hostPath.isEmpty() || !QFileInfo(hostPath).isDir()) return std::nullopt;
  return QDir(hostPath).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                  QDir::NoDotAndDotDot);
}

UncFileSystem::Removal SandboxFileSystem::removeFolder(const QString& uncPath, QString* error) {
  auto fail = [&](const QString& reason) {
    if (error) *error = QStringLiteral("Cannot remove '%1': %2").arg(uncPath, reason);
    return Removal::Failed;
  };
  QString hostPath;
  QString reason;
  int depth = 0;
  if (!resolve(uncPath, &hostPath, &depth, &reason)) return fail(reason);
  if (depth == 0) return fail(QStringLiteral("it is the root of a share"));
  const QFileInfo info(hostPath);
  if (!info.exists()) return Removal::Missing;
  if (!info.isDir()) return fail(QStringLiteral("it is not a folder"));
  if (!QDir(hostPath).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System |
                              QDir::NoDotAndDotDot)) {
    return Removal::NotEmpty;
  }
  if (!m_shares.disks().removeFolder(hostPath, &reason)) return fail(reason);
  return Removal::Removed;
}

}  // namespace quill
