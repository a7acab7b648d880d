#pragma once

#include <QString>
#include <memory>

#include "app/backends.h"
#include "app/net_settings.h"

namespace quill {

struct CommandLine;

// The connection settings of a program start from its command line: --dc,
// --starttls, and the credentials of --credentials FILE or of the cached
// Kerberos ticket. false with a reason in *error when there are none.
bool networkSettings(const CommandLine& commandLine, NetSettings* settings, QString* error);

// The network backends: the directory over LDAP, folders over SMB and the
// share tables over SRVSVC, all with settings. nullptr with a reason in
// *error when a client library cannot be set up. Nothing is contacted yet.
std::unique_ptr<Backends> openNetworkBackends(const NetSettings& settings, QString* error);

// networkSettings, then openNetworkBackends.
std::unique_ptr<Backends> openNetworkBackends(const CommandLine& commandLine, QString* error);

}  // namespace quill
