#include "engine/run_validation.h"

#include "core/path_exists.h"
#include "engine/folder_share.h"
#include "engine/run_context.h"

namespace quill {

int ValidateRunOptions(RunContext& context) {
  context.lists.clear();
  RunHost& host = context.host;

  const QString domain = context.options().txt_Domain;
  if (!PathExists(QStringLiteral("\\\\") + domain + QStringLiteral("\\sysvol"), context.files)) {
    host.inform(QStringLiteral("Unable to find \\\\") + domain +
                    QStringLiteral("\\sysvol.\nPlease verify the the domain name can be resolved "
                                   "and that you have proper permissions"),
                MsgIcon::Critical);
    return kValidationNoSysvol;
  }
  context.domain = deriveDomainStrings(domain);

  const RunOptions o = context.options();
  if (o.txt_Password[0] != o.txt_Password[1]) {
    host.inform(QStringLiteral("Passwords do not much. Please re-enter."), MsgIcon::Critical);
    return kValidationPasswordsDiffer;
  }

  if (!PathExists(o.txt_CSVFile, context.files)) {
    const QString message =
        QStringLiteral("Unable to find '") + o.txt_CSVFile + QStringLiteral("'. Abroting.");
    host.inform(message, MsgIcon::Critical);
    context.ReportLine(message);
    return kValidationNoUserList;
  }

  if (o.chk_PubDirDep || o.chk_PubDirSingle || o.chk_PrivDir) {
    const QString root = o.txt_DirRoot;
    if (root.isEmpty()) {
      host.inform(QStringLiteral("You must specify a root location for public folder tree."),
                  MsgIcon::Critical);
      return kValidationNoFolderRoot;
    }
    if (!root.startsWith(QLatin1String("\\\\"))) {
      host.inform(QStringLiteral("Root location for public folder tree must start with '\\\\'."),
                  MsgIcon::None);
      return kValidationRootNotUnc;
    }
    if (!PathExists(root, context.files)) {
      if (host.ask(root + QStringLiteral(" Does not exist. Create it?."), MsgButtons::YesNo,
                   MsgIcon::None) != MsgAnswer::Yes) {
        return kValidationFolderRootMissing;
      }
      QString path = root;
      if (MakePath(path, context.files) != 0) {
        host.inform(
            QStringLiteral("Unable to create directory. Please verify permissions and try again."),
            MsgIcon::Critical);
        return kValidationFolderRootMissing;
      }
    }
  }

  if (!o.chk_CreateFullTree) {
    const bool groupsMissing = o.txt_GroupsOU.isEmpty() && (o.chk_CreateDep || o.chk_CreateDuty);
    const bool usersMissing = o.chk_UsersOnSpecificOU && o.txt_UsersOU.isEmpty();
    const bool departmentsMissing = o.chk_CreateOUs && o.txt_DepartmentOU.isEmpty();
    if (groupsMissing || usersMissing || departmentsMissing) {
      host.inform(
          QStringLiteral("Some of the required text are empty. Please browse for the required OU."),
          MsgIcon::Critical);
      return kValidationOuPathEmpty;
    }
  }
  return kValidationOk;
}

}  // namespace quill
