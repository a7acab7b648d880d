#include "engine/folder_plan.h"

#include "core/path_exists.h"
#include "engine/folder_layout.h"
#include "engine/folder_share.h"
#include "engine/run_context.h"

namespace quill {

int BuildFolderPlan(RunContext& context) {
  const RunOptions o = context.options();
  const bool S = o.chk_PubDirSingle;
  const bool D = o.chk_PubDirDep;
  const bool P = o.chk_PrivDir;
  const bool central = o.opt_PrivateDirsLocation != kPrivateDirsPerDepartment;
  if (!S && !D && !P) return 0;

  QString root = o.txt_DirRoot;
  if (!PathExists(root, context.files)) {
    if (context.host.ask(
            QStringLiteral("Unable to find '") + root + QStringLiteral("'. Continue anyway?"),
            MsgButtons::YesNo, MsgIcon::None) == MsgAnswer::Yes) {
      return 0;
    }
    context.counters.ErrorsOccurred = true;
    return 1;
  }
  if (root.endsWith(QLatin1Char('\\'))) {
    root.chop(1);
    context.host.writeBackDirRoot(root);
  }

  const FolderPlanLayout layout = planFolders(S, D, P, central);
  const auto setRoot = [&root](const std::optional<QString>& relative, QString& target) {
    if (relative) target = root + *relative;
  };
  const auto make = [&](const PlannedFolder& folder) {
    if (CreateFolderAndShare(context, root + folder.path, folder.shareName, true) == 0) return true;
    context.counters.ErrorsOccurred = true;
    return false;
  };
  // Every run-wide folder but the last comes before the department roots; a
  // failed one ends the plan before anything else is made.
  const std::vector<PlannedFolder>& runWide = layout.runWide;
  for (size_t i = 0; i + 1 < runWide.size(); ++i) {
    if (!make(runWide[i])) return 1;
  }
  setRoot(layout.depPublicRoot, context.roots.DepPublicRoot);
  setRoot(layout.depPrivateRoot, context.roots.DepPrivateRoot);
  setRoot(layout.depPublicTreeRoot, context.roots.DepPublicTreeRoot);
  setRoot(layout.depPrivateTreeRoot, context.roots.DepPrivateTreeRoot);
  if (!runWide.empty() && !make(runWide.back())) return 1;
  return 0;
}

}  // namespace quill
