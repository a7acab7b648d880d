#pragma once

#include <QString>
#include <QStringList>
#include <memory>

#include "core/platform.h"

namespace quill {

// The backends of one program start: the sandbox's or the network's. Owned by
// main() for the program's lifetime.
class Backends {
 public:
  virtual ~Backends() = default;
  virtual Platform platform() = 0;
  // Writes back whatever the backends keep locally (the sandbox's files).
  // false with a reason in *error when that failed.
  virtual bool save(QString* error) = 0;
  // A line for the user saying where the run goes ("sandbox /x", "dc1.x.y").
  virtual QString describe() const = 0;
  // The domain typed for the run: its own name (\\example.test\sysvol)
  // is served by the domain controller the backends were given, if any.
  virtual void setRunDomain(const QString& domain) { (void)domain; }
  // What opening the backends found worth telling the user without stopping.
  virtual QStringList warnings() const { return {}; }
};

}  // namespace quill
