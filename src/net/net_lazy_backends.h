#pragma once

#include <QString>
#include <memory>

#include "core/backends.h"
#include "net/credentials_provider.h"
#include "net/net_settings.h"

namespace quill {

// The question offered when the directory refuses a logon, and when it
// refuses the connection itself.
inline constexpr char kLogonFailedQuestion[] =
    "The user name or password is incorrect. Connect as another user?";
inline constexpr char kAccessDeniedQuestion[] = "Access is denied. Connect as another user?";
// The description of the logon failure an operation fails with when the user
// cancelled the "Connect as" dialog.
inline constexpr char kNoCredentialsGiven[] = "No credentials were given.";

// Network backends for a start without credentials: nothing is asked or
// contacted until the first directory, folder or share operation. That
// operation asks provider for a user, domain and password (kept in memory
// only, wiped when no longer used) and opens the real network backends with
// settings and them. Fresh credentials are checked at once by binding the
// domain root of the run domain (when one is set), so a wrong password shows
// up even when the first operation is a folder check that cannot tell a
// refused logon from a missing share.
//
// A cancelled dialog fails the operation with kErrLogonFailure and
// kNoCredentialsGiven; the next operation asks again. A refused logon (the
// check, or any directory call failing with kErrLogonFailure) drops the
// credentials and asks provider once whether to connect as another user: on
// Yes it asks for credentials again and runs the operation once more, on No
// the operation fails with the refusal. Either way no operation asks the
// question twice, and the next operation after a refusal asks for
// credentials again.
std::unique_ptr<Backends> openConnectAsBackends(const NetSettings& settings,
                                                CredentialsProvider provider);

}  // namespace quill
