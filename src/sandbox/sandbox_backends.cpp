#include "sandbox/sandbox_backends.h"

#include "sandbox/sandbox.h"

namespace quill {

namespace {

class SandboxBackends : public Backends {
 public:
  explicit SandboxBackends(std::unique_ptr<Sandbox> sandbox) : m_sandbox(std::move(sandbox)) {}
  Platform platform() override { return m_sandbox->platform(); }
  bool save(QString* error) override { return m_sandbox->save(error); }
  QString describe() const override { return QStringLiteral("sandbox %1").arg(m_sandbox->dir()); }
  QStringList warnings() const override { return m_sandbox->warnings(); }

 private:
  std::unique_ptr<Sandbox> m_sandbox;
};

}  // namespace

std::unique_ptr<Backends> openSandboxBackends(const QString& dir, QString* error, bool readOnly) {
  std::unique_ptr<Sandbox> sandbox =
      Sandbox::open(dir, error, readOnly ? Sandbox::Access::ReadOnly : Sandbox::Access::ReadWrite);
  if (!sandbox) return nullptr;
  return std::make_unique<SandboxBackends>(std::move(sandbox));
}

}  // namespace quill
