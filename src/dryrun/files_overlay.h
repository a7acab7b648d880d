#pragma once

#include <QHash>
#include <QSet>
#include <QString>

#include "core/unc_file_system.h"

namespace quill {

// A view of real file servers that keeps every folder made or removed in
// memory: a folder exists when this view made it, or when it is on the real
// server and this view did not remove it. A folder is made only where its
// parent exists and it does not, with a name the folder rules accept.
class FilesOverlay : public UncFileSystem {
 public:
  explicit FilesOverlay(UncFileSystem& real);

  int foldersMade() const { return m_madeCount; }
  int foldersRemoved() const { return m_removedCount; }

  bool exists(const QString& uncPath) override;
  bool makeFolder(const QString& uncPath, QString* error) override;
  std::optional<QStringList> folderEntries(const QString& uncPath) override;
  Removal removeFolder(const QString& uncPath, QString* error) override;

 private:
  // uncPath as one key: separators reduced, no trailing one, case folded.
  static QString keyOf(const QString& uncPath);
  static QString parentOf(const QString& uncPath);

  UncFileSystem& m_real;
  QHash<QString, QString> m_made;  // key -> path as made
  QSet<QString> m_removed;
  int m_madeCount = 0;
  int m_removedCount = 0;
};

}  // namespace quill
