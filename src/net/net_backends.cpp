#include "net/net_backends.h"

#include <signal.h>

#include "net/ldap_directory.h"
#include "net/netapi_share_service.h"
#include "net/smb_file_system.h"

namespace quill {

namespace {

class NetworkBackends : public Backends {
 public:
  explicit NetworkBackends(const NetSettings& settings)
      : m_directory(settings),
        m_files(settings),
        m_shares(settings),
        m_description(describeSettings(settings)) {}

  bool isReady(QString* reason) const {
    return m_files.isReady(reason) && m_shares.isReady(reason);
  }

  Platform platform() override { return Platform{&m_directory, &m_files, &m_shares}; }
  // Everything the network backends do is stored on the servers at once.
  bool save(QString*) override { return true; }
  QString describe() const override { return m_description; }
  void setRunDomain(const QString& domain) override {
    m_files.setDomain(domain);
    m_shares.setDomain(domain);
  }

 private:
  static QString describeSettings(const NetSettings& settings) {
    const QString dc = settings.dcHost.isEmpty()
                           ? QStringLiteral("the domain controllers of the domain")
                           : QStringLiteral("domain controller %1").arg(settings.dcHost);
    const QString transport =
        settings.startTls ? QStringLiteral("LDAP with StartTLS") : QStringLiteral("LDAPS");
    QString identity;
    if (!settings.password.isEmpty()) {
      identity =
          settings.domain.isEmpty() ? settings.user : settings.domain + u'\\' + settings.user;
    } else {
      identity = QStringLiteral("the Kerberos ticket of %1").arg(settings.user);
      if (!settings.domain.isEmpty()) identity += u'@' + settings.domain;
    }
    return QStringLiteral("%1 over %2, as %3").arg(dc, transport, identity);
  }

  LdapDirectory m_directory;
  SmbFileSystem m_files;
  NetApiShareService m_shares;
  QString m_description;
};

}  // namespace

std::unique_ptr<Backends> openNetworkBackends(const NetSettings& settings, QString* error) {
  // The client libraries write to their sockets with plain write(): a server
  // that closes a connection would otherwise end the program with SIGPIPE
  // instead of failing the one operation.
  ::signal(SIGPIPE, SIG_IGN);
  auto backends = std::make_unique<NetworkBackends>(settings);
  if (!backends->isReady(error)) return nullptr;
  return backends;
}

}  // namespace quill
