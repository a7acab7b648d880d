#include "net/net_server_map.h"

namespace quill {

NetServerMap::NetServerMap(const NetSettings& settings)
    : m_dcHost(settings.dcHost), m_settingsDomain(settings.domain) {}

QString NetServerMap::hostFor(const QString& server) const {
  if (m_dcHost.isEmpty() || server.isEmpty()) return server;
  for (const QString& domain : {m_runDomain, m_settingsDomain}) {
    if (!domain.isEmpty() && server.compare(domain, Qt::CaseInsensitive) == 0) return m_dcHost;
  }
  return server;
}

}  // namespace quill
