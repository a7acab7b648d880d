#include "engine/ou_tree.h"

#include "core/ads_path.h"
#include "core/dn.h"
#include "engine/run_context.h"

namespace quill {

namespace {

const QLatin1String kOrganizationalUnit("organizationalUnit");

// Creates and commits one OU under parent; the pending error tells the outcome.
std::unique_ptr<DirObject> createOu(RunContext& context, const DirObject& parent,
                                    const QString& rdn, PendingError& err) {
  std::unique_ptr<DirObject> ou = context.directory.Create(parent, kOrganizationalUnit, rdn, err);
  if (ou) context.directory.SetInfo(*ou, err);
  return ou;
}

}  // namespace

TargetOUs CreateOUTree(RunContext& context) {
  PendingError err;
  DirectoryService& dir = context.directory;
  std::unique_ptr<DirObject> root =
      dir.Bind(QStringLiteral("LDAP://") + context.domain.DomainFqdn, err);
  std::unique_ptr<DirObject> top;
  if (root) top = createOu(context, *root, QStringLiteral("OU=OU's"), err);
  if (err.number() == kErrAccessDenied) {
    context.host.inform(QStringLiteral("Error. Access denied."), MsgIcon::Critical);
    return TargetOUs::Abort;
  }
  // The children are made by DN, so they land under an OU=OU's left from an
  // earlier run just as under a new one; each that exists stays unchanged.
  if (!top) return TargetOUs::Ready;
  for (const char* name : {"OU=Users", "OU=Groups", "OU=GPO's", "OU=Computers"}) {
    PendingError ignored;
    createOu(context, *top, QString::fromLatin1(name), ignored);
  }
  return TargetOUs::Ready;
}

TargetOUs PrepareTargetOUs(RunContext& context) {
  const RunOptions o = context.options();
  const DomainStrings& d = context.domain;
  if (o.chk_CreateFullTree) {
    if (CreateOUTree(context) == TargetOUs::Abort) {
      context.host.inform(QStringLiteral("Unable to create ou tree. Aborting."), MsgIcon::None);
      context.counters.ErrorsOccurred = true;
      return TargetOUs::Abort;
    }
    context.usersOuPath = d.LdapPrefix + QStringLiteral("OU=Users,OU=OU's") + d.DomainDnSuffix;
    context.groupsOuPath = d.LdapPrefix + QStringLiteral("OU=Groups,OU=OU's") + d.DomainDnSuffix;
  } else {
    context.usersOuPath = o.txt_UsersOU;
    context.groupsOuPath = o.txt_GroupsOU;
  }
  context.groupsOuDn = targetDn(context.groupsOuPath, d.LdapPrefix);
  context.usersOuDn = targetDn(context.usersOuPath, d.LdapPrefix);
  return TargetOUs::Ready;
}

QString targetDn(const QString& path, const QString& ldapPrefix) {
  const AdsPath parsed = parseAdsPath(path);
  if (parsed.valid) return parsed.dn;
  return path.size() >= ldapPrefix.size() ? path.mid(ldapPrefix.size()) : QString();
}

int CreateDepartmentOU(RunContext& context, const DirObject& parent, const QString& name) {
  PendingError err;
  if (FindInList(context.lists.CreatedOUs, name)) return 0;
  context.ReportLine(QStringLiteral("Creating OU: '") + name + QStringLiteral("' in '") +
                     DirectoryService::Name(parent) + QStringLiteral("'..."));
  createOu(context, parent, QStringLiteral("OU=") + escapeDnValue(name), err);
  if (!err.isSet()) {
    context.lists.CreatedOUs.append(name);
    return 0;
  }
  if (err.number() == kErrAlreadyExists) return 0;
  context.counters.ErrorsOccurred = true;
  return 1;
}

}  // namespace quill
