#pragma once

#include <QString>

namespace quill {

class DirObject;
class RunContext;

// Whether the run can go on after the target OUs were prepared.
enum class TargetOUs : bool { Ready = false, Abort = true };

// Builds the OU skeleton under the domain root: OU=OU's with OU=Users,
// OU=Groups, OU=GPO's and OU=Computers. Abort only when the first OU is
// refused with access denied, after telling the user; every other failure is
// passed over.
TargetOUs CreateOUTree(RunContext& context);

// Fixes the containers that receive users and groups: the skeleton's (full
// tree) or the ones chosen in the window. Fills usersOuPath, groupsOuPath,
// groupsOuDn and usersOuDn of context. Abort when the skeleton could not be
// built.
TargetOUs PrepareTargetOUs(RunContext& context);

// The DN a target OU path names: "LDAP://x.y/OU=a,DC=x,DC=y" and a path picked
// on one server, "LDAP://dc1.x.y/OU=a,DC=x,DC=y", both give "OU=a,DC=x,DC=y";
// the domain root ("LDAP://x.y") gives the empty text. Text that is no
// "LDAP://" path loses as many leading characters as ldapPrefix has.
QString targetDn(const QString& path, const QString& ldapPrefix);

// Creates the OU of department name under parent, once per run. 0 when it
// was created now or exists already, 1 when it failed (ErrorsOccurred set).
int CreateDepartmentOU(RunContext& context, const DirObject& parent, const QString& name);

}  // namespace quill
