#pragma once

#include <QString>
#include <memory>

#include "core/backends.h"
#include "net/credentials_provider.h"

namespace quill {

struct CommandLine;

// The backends a command line names: the sandbox of --sandbox, else the
// network with --dc, --starttls and the credentials of --credentials or of the
// cached Kerberos ticket. nullptr with a reason in *error when they cannot be
// opened (no credentials at all included). Never asks anything. For a dry
// run the sandbox is opened only to be read.
std::unique_ptr<Backends> openBatchBackends(const CommandLine& commandLine, QString* error);

// As openBatchBackends, except that a network start without a credentials file
// or ticket opens backends that ask provider for credentials when they first
// need them ("Connect as").
std::unique_ptr<Backends> openWindowBackends(const CommandLine& commandLine,
                                             CredentialsProvider provider, QString* error);

}  // namespace quill
