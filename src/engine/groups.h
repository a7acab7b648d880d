#pragma once

#include <QString>
#include <cstdint>

namespace quill {

class DirObject;
class RunContext;
struct RunOptions;
class UserRecord;

// Result codes of AddMemberToGroup.
inline constexpr int kGroupDone = 0;
inline constexpr int kGroupAddFailed = 1;
inline constexpr int kGroupUnavailable = 2;

// Makes sure the group groupName exists in container (creating it on its
// first use in the run) and adds the object at memberPath to it, unless the
// current person's account failed. Reports its own failures. When
// refusal is given, it receives the error number of a refused add (0 when
// none), so the driver can tell a refused nesting apart.
int AddMemberToGroup(RunContext& context, const QString& groupName, const DirObject& container,
                     const QString& groupPath, const QString& memberPath,
                     uint32_t* refusal = nullptr);

// The group of the person by the two group options: department, duty, or
// department + "_" + duty when both are wanted. Empty when neither is.
QString personGroupName(const RunOptions& options, const UserRecord& person);

// "LDAP://" + domain + "/CN=" + escaped name + "," + groupsDn.
QString groupPath(const QString& domainFqdn, const QString& name, const QString& groupsDn);

}  // namespace quill
