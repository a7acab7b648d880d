#pragma once

#include <QString>
#include <QStringList>

#include "core/dir_error.h"
#include "core/dir_object.h"

namespace quill {

// What both directory backends write for the objects a run creates, so the
// sandbox and a real domain hold the same values.

// userAccountControl bits and values.
inline constexpr qint64 kAccountDisabledFlag = 0x2;
inline constexpr qint64 kPasswordNotRequiredFlag = 0x20;
// A new user: a normal account, disabled, no password needed yet.
inline constexpr qint64 kNewUserAccountControl = 546;
// A normal account that is enabled and needs its password.
inline constexpr qint64 kEnabledUserAccountControl = 512;
// groupType of a new group: a global security group.
inline constexpr qint64 kNewGroupType = -2147483646;

// The objectClass values an object of objectClass is created with
// ("user" -> top, person, organizationalPerson, user).
QStringList objectClassesForNew(const QString& objectClass);

// userAccountControl with the disabled bit set or cleared.
qint64 withAccountDisabled(qint64 userAccountControl, bool disabled);

// userAccountControl after a change that sets disabled and perhaps a
// password: an account that has its password no longer carries "password not
// required" (an enabled account that needs no password is a hole), so a new
// account completed by the run ends as 512.
qint64 accountControlAfter(qint64 userAccountControl, bool disabled, bool passwordSet);

// The bit of a domain root's pwdProperties that asks for complex passwords.
inline constexpr qint64 kPasswordComplexFlag = 0x1;

// Why password breaks a domain's policy: shorter than minLength characters,
// or (complex) not holding three of upper case letters, lower case letters,
// digits and other characters, or holding the account name. Empty when it
// keeps the policy.
QString passwordPolicyProblem(const QString& password, int minLength, bool complex,
                              const QString& accountName);

// A directory holds no empty value. false with kErrConstraintViolation pending
// when changes stages an attribute without a value or with an empty one.
bool refuseEmptyValues(const DirObject& changes, PendingError& err);

}  // namespace quill
