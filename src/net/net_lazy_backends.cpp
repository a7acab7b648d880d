#include "net/net_lazy_backends.h"

#include <functional>
#include <utility>

#include "core/forwarding_services.h"
#include "core/secret.h"
#include "net/net_backends.h"
#include "net/net_credentials.h"

namespace quill {

namespace {

// "DOMAIN\name" in the user box names the domain too, unless the domain box
// does.
ConnectAsCredentials splitDomainPrefix(ConnectAsCredentials given) {
  const qsizetype slash = given.user.indexOf(u'\\');
  if (slash < 0) return given;
  if (given.domain.isEmpty()) given.domain = given.user.left(slash);
  given.user = given.user.mid(slash + 1);
  return given;
}

class ConnectAsBackends;

// The three services the program sees. Each call goes through the owner,
// which connects on first use; what the real backends answer is passed on.
class DirectoryProxy : public ForwardingDirectory {
 public:
  explicit DirectoryProxy(ConnectAsBackends& owner) : m_owner(owner) {}

 protected:
  DirError forward(const Call& call) override;

 private:
  ConnectAsBackends& m_owner;
};

class FilesProxy : public ForwardingFiles {
 public:
  explicit FilesProxy(ConnectAsBackends& owner) : m_owner(owner) {}

 protected:
  DirError forward(const Call& call) override;

 private:
  ConnectAsBackends& m_owner;
};

class SharesProxy : public ForwardingShares {
 public:
  explicit SharesProxy(ConnectAsBackends& owner) : m_owner(owner) {}
  void DisconnectShareHost() override;

 protected:
  DirError forward(const Call& call) override;

 private:
  ConnectAsBackends& m_owner;
};

class ConnectAsBackends : public Backends {
 public:
  ConnectAsBackends(const NetSettings& settings, CredentialsProvider provider)
      : m_base(settings), m_provider(std::move(provider)) {
    // Whatever the caller put there, the credentials come from the user.
    m_base.user.clear();
    m_base.domain.clear();
    wipeSecret(m_base.password);
    m_base.useKerberos = false;
  }

  Platform platform() override { return Platform{&m_directory, &m_files, &m_shares}; }
  bool save(QString*) override { return true; }
  QString describe() const override {
    if (m_real) return m_real->describe();
    const QString dc = m_base.dcHost.isEmpty()
                           ? QStringLiteral("the domain controllers of the domain")
                           : QStringLiteral("domain controller %1").arg(m_base.dcHost);
    return QStringLiteral("%1 over %2, as the user given at the first connection")
        .arg(dc, m_base.startTls ? QStringLiteral("LDAP with StartTLS") : QStringLiteral("LDAPS"));
  }
  void setRunDomain(const QString& domain) override {
    m_runDomain = domain;
    if (m_real) m_real->setRunDomain(domain);
  }

  // Runs op on the real backends, connecting first when there are none. op
  // returns the failure of its attempt (number 0: success). The failure of
  // the whole call is returned: the user's cancel, a refused logon, or op's.
  DirError run(const std::function<DirError(Backends&)>& op) {
    bool offered = false;
    for (;;) {
      DirError failure;
      Backends* real = connect(&offered, &failure);
      if (real == nullptr) return failure;
      failure = op(*real);
      if (failure.number != kErrLogonFailure) return failure;
      forget();  // refused credentials are not kept
      if (offered || !offerAnotherUser(failure.number)) return failure;
      offered = true;
    }
  }

  // The real backends when they are open, without asking for anything.
  Backends* openedBackends() { return m_real.get(); }

 private:
  // The real backends; opens them with credentials from the user when there
  // are none. nullptr with *failure when the user cancelled, the backends
  // cannot be set up, or the domain refused the credentials (offering another
  // user once per call, *offered tells whether that happened).
  Backends* connect(bool* offered, DirError* failure) {
    while (!m_real) {
      std::optional<ConnectAsCredentials> given;
      if (m_provider.askCredentials) given = m_provider.askCredentials(previous());
      if (!given) {
        *failure = DirError{kErrLogonFailure, QString::fromLatin1(kNoCredentialsGiven)};
        return nullptr;
      }
      QString error;
      if (!open(splitDomainPrefix(std::move(*given)), &error)) {
        *failure = DirError{kErrGeneric, error};
        return nullptr;
      }
      const DirError refused = checkLogon();
      if (refused.number == 0) break;
      forget();
      if (*offered || !offerAnotherUser(refused.number)) {
        *failure = refused;
        return nullptr;
      }
      *offered = true;
    }
    return m_real.get();
  }

  bool open(ConnectAsCredentials given, QString* error) {
    // A core dump from now on would hold the password.
    preventCoreDumps();
    m_lastUser = given.user;
    m_lastDomain = given.domain;
    NetSettings settings = m_base;
    settings.user = given.user;
    settings.domain = given.domain;
    settings.password = unsharedCopy(given.password);
    wipeSecret(given.password);
    m_real = openNetworkBackends(settings, error);
    wipeSecret(settings.password);
    if (m_real) m_real->setRunDomain(m_runDomain);
    return m_real != nullptr;
  }

  // The domain's verdict on fresh credentials: a bind of the run domain's
  // root. Number 0 when it worked or failed for another reason (an
  // unreachable or unknown domain says nothing about the credentials).
  DirError checkLogon() {
    if (m_runDomain.trimmed().isEmpty()) return {};
    PendingError err;
    const std::unique_ptr<DirObject> root =
        m_real->platform().directory->Bind(QStringLiteral("LDAP://") + m_runDomain.trimmed(), err);
    if (root || (err.number() != kErrLogonFailure && err.number() != kErrAccessDenied)) return {};
    return err.error();
  }

  bool offerAnotherUser(uint32_t refusal) {
    if (!m_provider.askYesNo) return false;
    const char* question =
        refusal == kErrAccessDenied ? kAccessDeniedQuestion : kLogonFailedQuestion;
    return m_provider.askYesNo(QString::fromLatin1(question));
  }

  // Closes the real backends; each wipes its copy of the password.
  void forget() { m_real.reset(); }

  ConnectAsCredentials previous() const {
    return ConnectAsCredentials{m_lastUser, m_lastDomain.isEmpty() ? m_runDomain : m_lastDomain,
                                QString()};
  }

  NetSettings m_base;
  CredentialsProvider m_provider;
  QString m_runDomain;
  QString m_lastUser;
  QString m_lastDomain;
  std::unique_ptr<Backends> m_real;
  DirectoryProxy m_directory{*this};
  FilesProxy m_files{*this};
  SharesProxy m_shares{*this};
};

DirError DirectoryProxy::forward(const Call& call) {
  return m_owner.run([&](Backends& real) {
    PendingError attempt;
    call(*real.platform().directory, attempt);
    return attempt.error();
  });
}

DirError FilesProxy::forward(const Call& call) {
  return m_owner.run([&](Backends& real) {
    call(*real.platform().files);
    return DirError{};
  });
}

DirError SharesProxy::forward(const Call& call) {
  return m_owner.run([&](Backends& real) {
    call(*real.platform().shares);
    return DirError{};
  });
}

void SharesProxy::DisconnectShareHost() {
  // Nothing is connected before the backends are open; never ask for that.
  if (Backends* real = m_owner.openedBackends()) real->platform().shares->DisconnectShareHost();
}

}  // namespace

std::unique_ptr<Backends> openConnectAsBackends(const NetSettings& settings,
                                                CredentialsProvider provider) {
  return std::make_unique<ConnectAsBackends>(settings, std::move(provider));
}

}  // namespace quill
