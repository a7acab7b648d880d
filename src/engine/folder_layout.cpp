#include "engine/folder_layout.h"

namespace quill {

FolderPlanLayout planFolders(bool S, bool D, bool P, bool central) {
  const QString pub = QStringLiteral("_Public");
  const QString priv = QStringLiteral("_Private");
  const QString all = QStringLiteral("All");
  const QString underAll = QStringLiteral("\\All");
  // The last folder of every row: R\All + suffix alone, R\All\All + suffix
  // as soon as two kinds of tree are wanted.
  const auto single = [&](const QString& suffix) {
    return PlannedFolder{underAll + suffix, all + suffix};
  };
  const auto shared = [&](const QString& suffix) {
    return PlannedFolder{underAll + underAll + suffix, all + suffix};
  };

  FolderPlanLayout layout;
  if (!S && !D && !P) return layout;
  if (S && !D && !P) {
    layout.runWide = {single(pub)};
  } else if (!S && D && !P) {
    layout.depPublicRoot = QString();
  } else if (S && D && !P) {
    layout.runWide = {shared(pub)};
    layout.depPublicRoot = underAll;
  } else if (!S && !D && central) {
    layout.runWide = {single(priv)};
  } else if (!S && !D) {
    layout.depPrivateRoot = QString();
  } else if (S && !D && central) {
    layout.runWide = {shared(pub), shared(priv)};
  } else if (S && !D) {
    layout.runWide = {shared(pub)};
    layout.depPrivateRoot = underAll;
  } else if (S && central) {
    layout.runWide = {shared(priv), shared(pub)};
    layout.depPublicRoot = underAll;
  } else if (S) {
    layout.runWide = {shared(pub)};
    layout.depPublicTreeRoot = underAll;
    layout.depPrivateTreeRoot = underAll;
  } else if (central) {
    layout.runWide = {shared(priv)};
    layout.depPublicRoot = underAll;
  } else {
    layout.depPublicTreeRoot = underAll;
    layout.depPrivateTreeRoot = underAll;
  }
  return layout;
}

std::vector<PlannedFolder> departmentFolders(const DepartmentRoots& roots,
                                             const QString& department) {
  const QString pub = department + QStringLiteral("_Public");
  const QString priv = department + QStringLiteral("_Private");
  const QString sep = QStringLiteral("\\");
  std::vector<PlannedFolder> folders;
  if (!roots.DepPublicRoot.isEmpty()) folders.push_back({roots.DepPublicRoot + sep + pub, pub});
  if (!roots.DepPrivateRoot.isEmpty()) {
    folders.push_back({roots.DepPrivateRoot + sep + priv, priv});
  }
  if (!roots.DepPublicTreeRoot.isEmpty()) {
    folders.push_back({roots.DepPublicTreeRoot + sep + department + sep + pub, pub});
  }
  if (!roots.DepPrivateTreeRoot.isEmpty()) {
    folders.push_back({roots.DepPrivateTreeRoot + sep + department + sep + priv, priv});
  }
  return folders;
}

}  // namespace quill
