#include "app/backend_choice.h"

#include "app/command_line.h"
#include "core/secret.h"
#include "net/net_backends.h"
#include "net/net_credentials.h"
#include "net/net_lazy_backends.h"
#include "sandbox/sandbox_backends.h"

namespace quill {

namespace {

std::unique_ptr<Backends> openCredentialedBackends(const CommandLine& commandLine, QString* error) {
  NetCredentials credentials;
  if (!resolveCredentials(commandLine.credentialsFile, &credentials, error)) return nullptr;
  NetSettings settings;
  settings.dcHost = commandLine.dcHost;
  settings.startTls = commandLine.startTls;
  settings.user = credentials.user;
  settings.domain = credentials.domain;
  settings.password = std::move(credentials.password);
  settings.useKerberos = credentials.useKerberos;
  std::unique_ptr<Backends> backends = openNetworkBackends(settings, error);
  // The backends hold copies of their own; this one is no longer needed.
  wipeSecret(settings.password);
  return backends;
}

}  // namespace

std::unique_ptr<Backends> openBatchBackends(const CommandLine& commandLine, QString* error) {
  if (commandLine.useSandbox()) {
    return openSandboxBackends(commandLine.sandboxDir, error, commandLine.dryRun);
  }
  return openCredentialedBackends(commandLine, error);
}

std::unique_ptr<Backends> openWindowBackends(const CommandLine& commandLine,
                                             CredentialsProvider provider, QString* error) {
  if (commandLine.useSandbox()) return openSandboxBackends(commandLine.sandboxDir, error);
  // A credentials file that cannot be used is the user's mistake to see, not
  // a reason to ask for other credentials.
  if (!commandLine.credentialsFile.isEmpty() || hasKerberosTicket()) {
    return openCredentialedBackends(commandLine, error);
  }
  NetSettings settings;
  settings.dcHost = commandLine.dcHost;
  settings.startTls = commandLine.startTls;
  return openConnectAsBackends(settings, std::move(provider));
}

}  // namespace quill
