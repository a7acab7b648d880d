#pragma once

#include <QString>

namespace quill {

class DirObject;
class RunContext;
class UserRecord;

// Result codes of CreateUserAccount.
inline constexpr int kUserCreated = 0;
inline constexpr int kUserCreateFailed = 1;
inline constexpr int kUserExistsOrIncomplete = 2;
inline constexpr int kUserDnEmpty = 3;

// Creates the account of person named loginName in container, sets its
// attributes and password, enables it and returns its DN in userDn (codes 0
// and 3). Reports and flags its own failures.
int CreateUserAccount(RunContext& context, const UserRecord& person, const DirObject& container,
                      const QString& loginName, QString& userDn);

}  // namespace quill
