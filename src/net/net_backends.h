#pragma once

#include <QString>
#include <memory>

#include "core/backends.h"
#include "net/net_settings.h"

namespace quill {

// The network backends: the directory over LDAP, folders over SMB and the
// share tables over SRVSVC, all with settings. nullptr with a reason in
// *error when a client library cannot be set up. Nothing is contacted yet.
std::unique_ptr<Backends> openNetworkBackends(const NetSettings& settings, QString* error);

}  // namespace quill
