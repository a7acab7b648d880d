#include "net/netapi_share_service.h"

#include <fcntl.h>
#include <unistd.h>

#include <QSysInfo>
#include <QtGlobal>
#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "core/names.h"
#include "net/net_probe.h"

extern "C" {
#include <netapi.h>
}

namespace quill {
namespace {

constexpr uint32_t kShareLevel = 2;
constexpr uint32_t kNamesLevel = 0;
constexpr uint32_t kUnlimitedUses = 0xFFFFFFFFu;
constexpr uint32_t kPreferAllEntries = 0xFFFFFFFFu;  // MAX_PREFERRED_LENGTH
constexpr int kSmbPort = 445;
constexpr int kNetbiosSessionPort = 139;

// A non-zero status for a call that never reached the server.
constexpr int kNotReached = kShareServerUnavailable;

// The library declares its status as an enum that names only success; its
// values are taken as the plain numbers they are at once.
uint32_t statusOf(NET_API_STATUS status) { return static_cast<uint32_t>(status); }

QString fromLibrary(const char* text) {
  return text == nullptr ? QString() : QString::fromUtf8(text);
}

// libnetapi prints some connection failures ("session setup failed: ...")
// straight to stdout, which in batch mode carries the run log. While a call
// runs, stdout goes to /dev/null; what was written before is flushed first so
// it still reaches the real stdout. The program is single-threaded.
class StdoutSilenced {
 public:
  StdoutSilenced() {
    std::fflush(stdout);
    m_saved = ::dup(STDOUT_FILENO);
    const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (m_saved >= 0 && null >= 0) ::dup2(null, STDOUT_FILENO);
    if (null >= 0) ::close(null);
  }
  ~StdoutSilenced() {
    std::fflush(stdout);
    if (m_saved >= 0) {
      ::dup2(m_saved, STDOUT_FILENO);
      ::close(m_saved);
    }
  }
  StdoutSilenced(const StdoutSilenced&) = delete;
  StdoutSilenced& operator=(const StdoutSilenced&) = delete;

 private:
  int m_saved = -1;
};

}  // namespace

NetApiShareService::NetApiShareService(const NetSettings& settings)
    : m_tallyOn(qEnvironmentVariableIsSet("QUILL_LDAP_STATS")),
      m_settings(settings),
      m_servers(settings) {
  const uint32_t status = statusOf(libnetapi_init(&m_context));
  if (status != 0 || m_context == nullptr) {
    m_context = nullptr;
    m_problem =
        QStringLiteral("the share management library could not be set up (status %1)").arg(status);
    return;
  }
  libnetapi_set_debuglevel(m_context, "0");
}

NetApiShareService::~NetApiShareService() {
  if (m_tallyOn) {
    std::fprintf(stderr, "quillstead: share operations: %d added, %d deleted\n", m_added,
                 m_deleted);
  }
  if (m_context != nullptr) libnetapi_free(m_context);
  m_settings.password.fill(u'\0');
}

bool NetApiShareService::isReady(QString* reason) const {
  if (m_context != nullptr) return true;
  if (reason != nullptr) *reason = m_problem;
  return false;
}

QString NetApiShareService::serverName(const QString& server) {
  QString name = server;
  if (name.isEmpty()) name = qEnvironmentVariable("computername");
  if (name.isEmpty()) name = QSysInfo::machineHostName();
  return name;
}

QString NetApiShareService::hostFor(const QString& server) const {
  return m_servers.hostFor(serverName(server));
}

bool NetApiShareService::applyCredentials(const QString& domain, const QString& user,
                                          const QString& password) {
  const bool explicitAccount = !domain.isEmpty() && !user.isEmpty();
  if (explicitAccount) {
    libnetapi_set_username(m_context, user.toUtf8().constData());
    libnetapi_set_password(m_context, password.toUtf8().constData());
    libnetapi_set_workgroup(m_context, domain.toUtf8().constData());
    return true;
  }
  if (m_settings.useKerberos) {
    // The library can switch Kerberos on but not off again; a process that
    // uses a ticket keeps using it.
    if (!m_settings.user.isEmpty()) {
      libnetapi_set_username(m_context, m_settings.user.toUtf8().constData());
    }
    if (!m_settings.domain.isEmpty()) {
      libnetapi_set_workgroup(m_context, m_settings.domain.toUtf8().constData());
    }
    libnetapi_set_use_kerberos(m_context);
    return true;
  }
  if (m_settings.user.isEmpty()) return false;
  libnetapi_set_username(m_context, m_settings.user.toUtf8().constData());
  libnetapi_set_password(m_context, m_settings.password.toUtf8().constData());
  if (!m_settings.domain.isEmpty()) {
    libnetapi_set_workgroup(m_context, m_settings.domain.toUtf8().constData());
  }
  return true;
}

bool NetApiShareService::hostAnswers(const QString& host) const {
  const int timeoutMs = std::max(1, m_settings.timeoutSeconds) * 1000;
  return tcpHostAnswers(host, {kSmbPort, kNetbiosSessionPort}, timeoutMs);
}

int NetApiShareService::ConnectShareHost(const QString& server, const QString& domain,
                                         const QString& user, const QString& password) {
  DisconnectShareHost();
  const QString host = hostFor(server);
  if (host.isEmpty()) return kShareHostNoServer;
  if (m_context == nullptr || !applyCredentials(domain, user, password)) return kShareHostFailed;
  if (!hostAnswers(host)) return kShareHostFailed;
  // The share names (level 0) prove the server's share table answers as
  // this account. (NetServerGetInfo is answered locally for this machine's
  // own addresses, without ever asking the server.)
  uint8_t* buffer = nullptr;
  uint32_t read = 0;
  uint32_t total = 0;
  uint32_t resume = 0;
  StdoutSilenced quiet;
  const uint32_t status = statusOf(NetShareEnum(host.toUtf8().constData(), kNamesLevel, &buffer,
                                                kPreferAllEntries, &read, &total, &resume));
  if (buffer != nullptr) NetApiBufferFree(buffer);
  if (status != 0 && status != ERROR_MORE_DATA) return kShareHostFailed;
  m_connected = true;
  m_connectedServer = serverName(server);
  return kShareHostConnected;
}

void NetApiShareService::DisconnectShareHost() {
  m_connected = false;
  m_connectedServer.clear();
}

int NetApiShareService::EnumShares(const QString& server, const QString& domain,
                                   const QString& user, const QString& password,
                                   std::vector<ShareInfo>& shares) {
  const bool reuse = m_connected && (server.isEmpty() ||
                                     server.compare(m_connectedServer, Qt::CaseInsensitive) == 0);
  const QString target = reuse ? m_connectedServer : server;
  if (!reuse) {
    if (const int result = ConnectShareHost(server, domain, user, password);
        result != kShareHostConnected) {
      return result;
    }
  }
  const QByteArray host = hostFor(target).toUtf8();
  uint32_t resume = 0;
  uint32_t status = 0;
  StdoutSilenced quiet;
  do {
    uint8_t* buffer = nullptr;
    uint32_t read = 0;
    uint32_t total = 0;
    status = statusOf(NetShareEnum(host.constData(), kShareLevel, &buffer, kPreferAllEntries, &read,
                                   &total, &resume));
    if ((status == 0 || status == ERROR_MORE_DATA) && buffer != nullptr) {
      const auto* rows = reinterpret_cast<const SHARE_INFO_2*>(buffer);
      for (uint32_t i = 0; i < read; ++i) {
        shares.push_back(ShareInfo{fromLibrary(rows[i].shi2_netname), TypeText(rows[i].shi2_type),
                                   fromLibrary(rows[i].shi2_remark),
                                   fromLibrary(rows[i].shi2_path)});
      }
    }
    if (buffer != nullptr) NetApiBufferFree(buffer);
    if (read == 0) break;  // no progress: never loop on a server that sends nothing
  } while (status == ERROR_MORE_DATA);
  if (!reuse) DisconnectShareHost();
  return 0;
}

int NetApiShareService::CreateShare(const QString& server, const QString& localPath,
                                    const QString& shareName) {
  const QString path = reduceDoubledSeparators(localPath);
  if (!isValidShareName(shareName)) return kShareInvalidName;
  if (path.isEmpty() || hasControlCharacter(path)) return kShareInvalidParameter;
  const QString host = hostFor(server);
  if (host.isEmpty() || m_context == nullptr) return kNotReached;
  if (!applyCredentials(QString(), QString(), QString())) return kShareAccessDenied;
  if (!hostAnswers(host)) return kNotReached;

  const QByteArray name = shareName.toUtf8();
  const QByteArray windowsPath = path.toUtf8();
  SHARE_INFO_2 info{};
  info.shi2_netname = name.constData();
  info.shi2_type = kShareTypeDisk;
  info.shi2_remark = "";
  info.shi2_permissions = 0;
  info.shi2_max_uses = kUnlimitedUses;
  info.shi2_current_uses = 0;
  info.shi2_path = windowsPath.constData();
  info.shi2_passwd = nullptr;
  uint32_t badParameter = 0;
  StdoutSilenced quiet;
  ++m_added;
  const uint32_t status = statusOf(NetShareAdd(host.toUtf8().constData(), kShareLevel,
                                               reinterpret_cast<uint8_t*>(&info), &badParameter));
  return static_cast<int>(status);
}

int NetApiShareService::DeleteShare(const QString& server, const QString& shareName) {
  if (!isValidShareName(shareName)) return kShareInvalidName;
  const QString host = hostFor(server);
  if (host.isEmpty() || m_context == nullptr) return kNotReached;
  if (!applyCredentials(QString(), QString(), QString())) return kShareAccessDenied;
  if (!hostAnswers(host)) return kNotReached;
  StdoutSilenced quiet;
  ++m_deleted;
  const uint32_t status =
      statusOf(NetShareDel(host.toUtf8().constData(), shareName.toUtf8().constData(), 0));
  return static_cast<int>(status);
}

}  // namespace quill
