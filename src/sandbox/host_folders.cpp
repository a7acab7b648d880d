#include "sandbox/host_folders.h"

#include <QDir>
#include <QFileInfo>

namespace quill {

HostFolders::HostFolders(QString root) : m_root(std::move(root)) {}

HostFolders::Listing& HostFolders::listing(const QString& folder) {
  auto it = m_listings.find(folder);
  if (it != m_listings.end()) return *it;
  Listing entries;
  const QFileInfoList infos = QDir(folder).entryInfoList(QDir::AllEntries | QDir::Hidden |
                                                         QDir::System | QDir::NoDotAndDotDot);
  for (const QFileInfo& info : infos) {
    entries.insert(info.fileName().toCaseFolded(), Entry{info.fileName(), info.isSymLink()});
  }
  return *m_listings.insert(folder, std::move(entries));
}

bool HostFolders::resolve(const QStringList& levels, QString* hostPath, QString* reason) {
  if (QFileInfo(m_root).isSymLink()) {
    *reason = QStringLiteral("'%1' is a symbolic link; the sandbox never follows one").arg(m_root);
    return false;
  }
  QString path = m_root;
  bool exists = true;  // below a level that does not exist, nothing does
  for (const QString& level : levels) {
    QString name = level;
    const QFileInfo exact(path + u'/' + level);  // the exact spelling wins
    if (exact.isSymLink()) {
      *reason = QStringLiteral("'%1' is a symbolic link; the sandbox never follows one")
                    .arg(exact.filePath());
      return false;
    }
    if (exists && !exact.exists()) {
      const Listing& entries = listing(path);
      const auto found = entries.constFind(level.toCaseFolded());
      if (found == entries.constEnd()) {
        exists = false;
      } else if (found->isLink) {
        *reason = QStringLiteral("'%1/%2' is a symbolic link; the sandbox never follows one")
                      .arg(path, found->name);
        return false;
      } else {
        name = found->name;
      }
    }
    path += u'/' + name;
  }
  *hostPath = path;
  return true;
}

bool HostFolders::makeFolder(const QString& hostPath, QString* reason) {
  if (!QDir().mkdir(hostPath)) {
    *reason = QStringLiteral("the server's disk refused it");
    return false;
  }
  const QFileInfo made(hostPath);
  auto parent = m_listings.find(made.path());
  if (parent != m_listings.end()) {
    parent->insert(made.fileName().toCaseFolded(), Entry{made.fileName(), false});
  }
  return true;
}

bool HostFolders::removeFolder(const QString& hostPath, QString* reason) {
  if (!QDir().rmdir(hostPath)) {
    *reason = QStringLiteral("the server's disk refused it");
    return false;
  }
  const QFileInfo removed(hostPath);
  auto parent = m_listings.find(removed.path());
  if (parent != m_listings.end()) parent->remove(removed.fileName().toCaseFolded());
  m_listings.remove(hostPath);
  return true;
}

}  // namespace quill
