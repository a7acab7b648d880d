#pragma once

#include <QString>
#include <QStringList>
#include <vector>

namespace quill {

inline constexpr int kPreviewPictureCount = 27;

enum class PreviewIcon { Container, OrganizationalUnit, Group, User, Folder, SharedFolder, More };

// One line of a preview picture and what hangs below it.
struct PreviewNode {
  QString label;
  PreviewIcon icon = PreviewIcon::Container;
  std::vector<PreviewNode> children;
  bool collapsed = false;  // drawn folded, its children not shown
};

// The tree that preview picture number (0 to 26) shows, top-level nodes
// first; empty for a number out of range. Group names, department folders
// and the folder plan come from the same routines a run uses, with the
// sample departments Developers, Finance, HelpDesk, Marketing and Sales and
// the duties Manager and Team-leader. Qt Core only.
std::vector<PreviewNode> previewTree(int number);

// The folder root as the folder pictures label it.
QString previewRootLabel();

// Every folder path of a folder picture (16 to 26) below the root, levels
// joined by "\", in drawing order; intermediate levels included.
QStringList previewFolderPaths(int number);

}  // namespace quill
