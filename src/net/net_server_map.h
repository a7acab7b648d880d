#pragma once

#include <QString>

#include "net/net_settings.h"

namespace quill {

// Where a server name of a UNC path or a share call is reached. In AD the
// domain's own name ("\\example.test\sysvol") is served by its domain
// controllers; when the DC's address is given (--dc HOST) that name goes
// there, since it may not resolve on this machine.
class NetServerMap {
 public:
  explicit NetServerMap(const NetSettings& settings);

  // The domain of the run ("example.test"); its name maps to the DC as well as
  // the credentials' domain does.
  void setDomain(const QString& domain) { m_runDomain = domain; }

  // settings.dcHost when it is set and server equals the run's domain or the
  // credentials' domain (without regard to case); otherwise server unchanged.
  QString hostFor(const QString& server) const;

 private:
  QString m_dcHost;
  QString m_settingsDomain;
  QString m_runDomain;
};

}  // namespace quill
