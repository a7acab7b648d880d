#include "engine/groups.h"

#include "core/dn.h"
#include "engine/run_context.h"

namespace quill {

int AddMemberToGroup(RunContext& context, const QString& groupName, const DirObject& container,
                     const QString& groupPath, const QString& memberPath, uint32_t* refusal) {
  if (refusal) *refusal = 0;
  DirectoryService& dir = context.directory;
  PendingError err;
  std::unique_ptr<DirObject> group;

  if (FindInList(context.lists.CreatedGroups, groupName)) {
    group = dir.Bind(groupPath, err);
  } else {
    context.ReportLine(QStringLiteral("Creating group '") + groupName + QStringLiteral("' in '") +
                       DirectoryService::Name(container) + QStringLiteral("'..."));
    group = dir.Create(container, QStringLiteral("group"),
                       QStringLiteral("CN=") + escapeDnValue(groupName), err);
    if (group) {
      dir.Put(*group, QStringLiteral("samAccountName"), groupName);
      dir.SetInfo(*group, err);
    }
    if (err.isSet()) {
      // Most often the group exists from an earlier run: use it as it is.
      err.clear();
      group = dir.Bind(groupPath, err);
      if (!group) {
        context.ReportLine(QStringLiteral("Error creating group '") + groupName +
                           QStringLiteral("' in '") + DirectoryService::Name(container) +
                           QStringLiteral("'..."));
        context.counters.ErrorsOccurred = true;
        return kGroupUnavailable;
      }
      err.clear();
    }
  }

  const QString bare =
      QStringLiteral("ldap://") + context.domain.DomainFqdn.toLower() + QLatin1Char('/');
  if (group && !context.counters.UserFailed && memberPath.toLower() != bare) {
    context.ReportLine(QStringLiteral("Adding '") + memberPath + QStringLiteral("' to '") +
                       groupPath + QStringLiteral("'..."));
    dir.Add(*group, memberPath, err);
    dir.SetInfo(*group, err);
  }

  if (!err.isSet()) {
    context.lists.CreatedGroups.append(groupName);
    return kGroupDone;
  }
  if (err.number() == kErrAlreadyExists) return kGroupDone;
  context.ReportLine(QStringLiteral("Error Adding '") + memberPath + QStringLiteral("' to '") +
                     groupPath + QStringLiteral("'. Cause: ") + err.description());
  // A membership that is missing is an error of the run: the summary must not
  // call a run with this line in its log successful.
  context.counters.ErrorsOccurred = true;
  if (refusal) *refusal = err.number();
  return kGroupAddFailed;
}

QString personGroupName(const RunOptions& options, const UserRecord& person) {
  if (options.chk_CreateDep && options.chk_CreateDuty) {
    return person.department() + QLatin1Char('_') + person.duty();
  }
  if (options.chk_CreateDep) return person.department();
  if (options.chk_CreateDuty) return person.duty();
  return QString();
}

QString groupPath(const QString& domainFqdn, const QString& name, const QString& groupsDn) {
  return QStringLiteral("LDAP://") + domainFqdn + QStringLiteral("/CN=") + escapeDnValue(name) +
         QLatin1Char(',') + groupsDn;
}

}  // namespace quill
