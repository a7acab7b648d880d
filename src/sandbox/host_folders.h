#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

namespace quill {

// The sandbox's server disks on the local file system, as a Windows server
// sees them: each name is matched without regard to case, through an index of
// each folder listed once (not a listing per lookup, so a run with thousands
// of department folders costs what it makes), and no symbolic link is ever
// followed, whether it leads to a folder inside the sandbox or out of it.
class HostFolders {
 public:
  // root is DIR/servers.
  explicit HostFolders(QString root);

  // root + "/" + levels, each level spelled as it is on disk when a folder or
  // file of that name exists (its own spelling when none does). false with a
  // reason when a level that exists is a symbolic link, or root itself is one.
  bool resolve(const QStringList& levels, QString* hostPath, QString* reason);

  // Makes the folder hostPath (its parent must exist and was reached through
  // resolve) and keeps the index up to date. false with a reason on failure.
  bool makeFolder(const QString& hostPath, QString* reason);
  // Removes the empty folder hostPath (reached through resolve) and keeps the
  // index up to date. false with a reason on failure.
  bool removeFolder(const QString& hostPath, QString* reason);

  const QString& root() const { return m_root; }

 private:
  struct Entry {
    QString name;  // as on disk
    bool isLink = false;
  };
  using Listing = QHash<QString, Entry>;  // by case-folded name

  // The index of folder, listed on first use.
  Listing& listing(const QString& folder);

  QString m_root;
  QHash<QString, Listing> m_listings;  // by host path of the folder
};

}  // namespace quill
