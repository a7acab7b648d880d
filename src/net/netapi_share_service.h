#pragma once

#include <QString>
#include <vector>

#include "core/share_service.h"
#include "net/net_server_map.h"
#include "net/net_settings.h"

struct libnetapi_ctx;  // libnetapi's context, opaque here

namespace quill {

// A server's share table over its management interface (SRVSVC) through
// libnetapi. The library keeps one context per process: create one object
// per program and do not keep two alive at once (see SmbFileSystem about
// living beside it). Calls without explicit
// credentials use settings (a Kerberos ticket when settings.useKerberos, else
// user, domain and password); with no credentials at all nothing is sent and
// every call fails. The library has no timeout of its own: before it talks
// to a server, that server must accept a connection on an SMB port within
// settings.timeoutSeconds.
class NetApiShareService : public ShareService {
 public:
  explicit NetApiShareService(const NetSettings& settings);
  ~NetApiShareService() override;
  NetApiShareService(const NetApiShareService&) = delete;
  NetApiShareService& operator=(const NetApiShareService&) = delete;

  // The domain of the run: its name is then sent to settings.dcHost.
  void setDomain(const QString& domain) { m_servers.setDomain(domain); }

  // False with a reason when libnetapi could not be set up; every call then
  // fails (ConnectShareHost with 1, CreateShare with a non-zero code).
  bool isReady(QString* reason) const;

  int ConnectShareHost(const QString& server, const QString& domain, const QString& user,
                       const QString& password) override;
  void DisconnectShareHost() override;
  int EnumShares(const QString& server, const QString& domain, const QString& user,
                 const QString& password, std::vector<ShareInfo>& shares) override;
  // NetShareAdd level 2: a disk share with no remark, no user limit, no
  // password. 0 when created; otherwise the server's status, or without
  // asking it kShareInvalidName (not a share name SMB allows),
  // kShareInvalidParameter (empty path or a control character in it),
  // kShareServerUnavailable (no server name, or it does not answer) or
  // kShareAccessDenied (no credentials at all).
  int CreateShare(const QString& server, const QString& localPath,
                  const QString& shareName) override;
  int DeleteShare(const QString& server, const QString& shareName) override;

 private:
  // server, or this computer's name ("computername", else the host name) for
  // an empty one; empty when there is no name at all.
  static QString serverName(const QString& server);
  // The name to address: serverName, with a name of the domain sent to the DC.
  QString hostFor(const QString& server) const;
  // Hands explicit credentials (when domain and user are both given) or the
  // settings to the library; false when there is nothing to authenticate with.
  bool applyCredentials(const QString& domain, const QString& user, const QString& password);
  // False when host accepts no connection on 445 or 139 within the timeout.
  bool hostAnswers(const QString& host) const;

  // Shares added and deleted, written to stderr at the end when
  // QUILL_LDAP_STATS is set (to show that a dry run changed nothing).
  bool m_tallyOn = false;
  int m_added = 0;
  int m_deleted = 0;
  libnetapi_ctx* m_context = nullptr;
  QString m_problem;
  NetSettings m_settings;
  NetServerMap m_servers;
  bool m_connected = false;
  QString m_connectedServer;  // serverName of the connected server
};

}  // namespace quill
