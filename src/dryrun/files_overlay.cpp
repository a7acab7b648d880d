#include "dryrun/files_overlay.h"

#include <QStringList>

#include "core/names.h"

namespace quill {

FilesOverlay::FilesOverlay(UncFileSystem& real) : m_real(real) {}

QString FilesOverlay::keyOf(const QString& uncPath) {
  QStringList levels = uncPath.mid(2).split(u'\\', Qt::SkipEmptyParts);
  return (QStringLiteral("\\\\") + levels.join(u'\\')).toCaseFolded();
}

QString FilesOverlay::parentOf(const QString& uncPath) {
  const QString key = keyOf(uncPath);
  return key.left(key.lastIndexOf(u'\\'));
}

bool FilesOverlay::exists(const QString& uncPath) {
  const QString key = keyOf(uncPath);
  if (m_made.contains(key)) return true;
  if (m_removed.contains(key)) return false;
  return m_real.exists(uncPath);
}

bool FilesOverlay::makeFolder(const QString& uncPath, QString* error) {
  const auto fail = [&](const QString& reason) {
    if (error != nullptr) *error = QStringLiteral("Cannot create '%1': %2").arg(uncPath, reason);
    return false;
  };
  const QStringList levels = uncPath.mid(2).split(u'\\', Qt::SkipEmptyParts);
  if (!uncPath.startsWith(QStringLiteral("\\\\")) || levels.size() < 3) {
    return fail(QStringLiteral("it is not a folder below a share"));
  }
  for (const QString& level : levels) {
    const QString problem = folderNameProblem(level);
    if (!problem.isEmpty()) return fail(problem);
  }
  if (exists(uncPath)) return fail(QStringLiteral("it already exists"));
  if (!exists(QStringLiteral("\\\\") + levels.mid(0, levels.size() - 1).join(u'\\'))) {
    return fail(QStringLiteral("the folder above it does not exist"));
  }
  const QString key = keyOf(uncPath);
  m_removed.remove(key);
  m_made.insert(key, uncPath);
  ++m_madeCount;
  return true;
}

std::optional<QStringList> FilesOverlay::folderEntries(const QString& uncPath) {
  const QString key = keyOf(uncPath);
  if (!exists(uncPath)) return std::nullopt;
  QStringList entries;
  if (!m_made.contains(key)) {
    const std::optional<QStringList> real = m_real.folderEntries(uncPath);
    if (!real) return std::nullopt;
    for (const QString& name : *real) {
      if (!m_removed.contains(key + u'\\' + name.toCaseFolded())) entries << name;
    }
  }
  for (auto it = m_made.constBegin(); it != m_made.constEnd(); ++it) {
    if (it.key().startsWith(key + u'\\') && !it.key().mid(key.size() + 1).contains(u'\\')) {
      entries << it.value().section(u'\\', -1);
    }
  }
  return entries;
}

UncFileSystem::Removal FilesOverlay::removeFolder(const QString& uncPath, QString* error) {
  (void)error;
  if (!exists(uncPath)) return Removal::Missing;
  const std::optional<QStringList> entries = folderEntries(uncPath);
  if (!entries || !entries->isEmpty()) return Removal::NotEmpty;
  const QString key = keyOf(uncPath);
  if (!m_made.remove(key)) m_removed.insert(key);
  ++m_removedCount;
  return Removal::Removed;
}

}  // namespace quill
