#pragma once

#include <QString>
#include <optional>
#include <vector>

namespace quill {

// One folder of a run and the name it is shared under. The path is relative
// to the folder root: it is appended to the root as it stands ("\All\x").
struct PlannedFolder {
  QString path;
  QString shareName;
  bool operator==(const PlannedFolder&) const = default;
};

// Where the folders of a run go for one combination of the folder options,
// before any root is known. The run's folder plan and the folder preview both
// read it, so the preview shows exactly what a run builds.
struct FolderPlanLayout {
  // The folders that serve all users, in the order they are made. All but
  // the last are made before the department roots are set, the last after.
  std::vector<PlannedFolder> runWide;
  // The department folder roots, each appended to the root ("" is the root
  // itself, "\All" the folder All under it); nullopt: not wanted.
  std::optional<QString> depPublicRoot;
  std::optional<QString> depPrivateRoot;
  std::optional<QString> depPublicTreeRoot;
  std::optional<QString> depPrivateTreeRoot;
};

// The layout for single public folder S, public folder per department D and
// private folders P, with central (true) or per-department private folders.
// All three false: nothing at all.
FolderPlanLayout planFolders(bool S, bool D, bool P, bool central);

// The four department folder roots of a run, absolute; empty: not wanted.
struct DepartmentRoots {
  QString DepPublicRoot;
  QString DepPrivateRoot;
  QString DepPublicTreeRoot;
  QString DepPrivateTreeRoot;
};

// The folders one department gets under roots, absolute, in the order the
// run makes them.
std::vector<PlannedFolder> departmentFolders(const DepartmentRoots& roots,
                                             const QString& department);

}  // namespace quill
