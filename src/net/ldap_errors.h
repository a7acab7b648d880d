#pragma once

#include <QString>
#include <cstdint>

#include "core/dir_error.h"

namespace quill {

// The error number callers compare for an LDAP result code, as the Windows
// directory client maps them (68 -> kErrAlreadyExists, 50 -> kErrAccessDenied,
// ...). The client-side codes for a server that cannot be reached or stopped
// answering (server down, connect error, timeout) give kErrServerDown; any
// code without a number of its own gives kErrGeneric.
uint32_t errorNumberForLdapResult(int resultCode);

// The DirError for a failed LDAP operation: the mapped number and a
// description made of the library's text for the code, the code itself and
// the server's diagnostic message when it sent one, e.g.
// "Already exists (LDAP 68): 00002071: ...".
DirError ldapDirError(int resultCode, const QString& resultText, const QString& diagnostic);

}  // namespace quill
