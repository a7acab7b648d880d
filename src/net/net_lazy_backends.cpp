#include "net/net_lazy_backends.h"

#include <functional>
#include <utility>

#include "core/directory_service.h"
#include "core/secret.h"
#include "core/share_service.h"
#include "core/unc_file_system.h"
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
class DirectoryProxy : public DirectoryService {
 public:
  explicit DirectoryProxy(ConnectAsBackends& owner) : m_owner(owner) {}
  std::unique_ptr<DirObject> Bind(const QString& path, PendingError& err) override;
  void SetInfo(DirObject& obj, PendingError& err) override;
  QString Get(const DirObject& obj, const QString& attribute, PendingError& err) override;
  std::vector<ChildObject> Children(const DirObject& container, PendingError& err) override;
  void Add(DirObject& group, const QString& memberPath, PendingError& err) override;
  bool AccountExists(const QString& domain, const QString& name) override;

 private:
  ConnectAsBackends& m_owner;
};

class FilesProxy : public UncFileSystem {
 public:
  explicit FilesProxy(ConnectAsBackends& owner) : m_owner(owner) {}
  bool exists(const QString& uncPath) override;
  bool makeFolder(const QString& uncPath, QString* error) override;

 private:
  ConnectAsBackends& m_owner;
};

class SharesProxy : public ShareService {
 public:
  explicit SharesProxy(ConnectAsBackends& owner) : m_owner(owner) {}
  int ConnectShareHost(const QString& server, const QString& domain, const QString& user,
                       const QString& password) override;
  void DisconnectShareHost() override;
  int EnumShares(const QString& server, const QString& domain, const QString& user,
                 const QString& password, std::vector<ShareInfo>& shares) override;
  int CreateShare(const QString& server, const QString& localPath,
                  const QString& shareName) override;

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

// A directory call's failure as run() takes it: what the call left pending.
DirError failureOf(const PendingError& err) { return err.isSet() ? err.error() : DirError{}; }

std::unique_ptr<DirObject> DirectoryProxy::Bind(const QString& path, PendingError& err) {
  std::unique_ptr<DirObject> obj;
  const DirError failure = m_owner.run([&](Backends& real) {
    PendingError attempt;
    obj = real.platform().directory->Bind(path, attempt);
    return failureOf(attempt);
  });
  if (failure.number != 0) err.set(failure);
  return obj;
}

void DirectoryProxy::SetInfo(DirObject& obj, PendingError& err) {
  // SetInfo takes what is staged even when it fails; a second attempt needs
  // it back.
  const DirObject staged = obj;
  bool again = false;
  const DirError failure = m_owner.run([&](Backends& real) {
    if (std::exchange(again, true)) obj = staged;
    PendingError attempt;
    real.platform().directory->SetInfo(obj, attempt);
    return failureOf(attempt);
  });
  if (failure.number != 0) err.set(failure);
}

QString DirectoryProxy::Get(const DirObject& obj, const QString& attribute, PendingError& err) {
  QString value;
  const DirError failure = m_owner.run([&](Backends& real) {
    PendingError attempt;
    value = real.platform().directory->Get(obj, attribute, attempt);
    return failureOf(attempt);
  });
  if (failure.number != 0) err.set(failure);
  return value;
}

std::vector<ChildObject> DirectoryProxy::Children(const DirObject& container, PendingError& err) {
  std::vector<ChildObject> children;
  const DirError failure = m_owner.run([&](Backends& real) {
    PendingError attempt;
    children = real.platform().directory->Children(container, attempt);
    return failureOf(attempt);
  });
  if (failure.number != 0) err.set(failure);
  return children;
}

void DirectoryProxy::Add(DirObject& group, const QString& memberPath, PendingError& err) {
  const DirError failure = m_owner.run([&](Backends& real) {
    PendingError attempt;
    real.platform().directory->Add(group, memberPath, attempt);
    return failureOf(attempt);
  });
  if (failure.number != 0) err.set(failure);
}

bool DirectoryProxy::AccountExists(const QString& domain, const QString& name) {
  bool found = false;
  m_owner.run([&](Backends& real) {
    found = real.platform().directory->AccountExists(domain, name);
    return DirError{};
  });
  return found;
}

bool FilesProxy::exists(const QString& uncPath) {
  bool found = false;
  m_owner.run([&](Backends& real) {
    found = real.platform().files->exists(uncPath);
    return DirError{};
  });
  return found;
}

bool FilesProxy::makeFolder(const QString& uncPath, QString* error) {
  bool made = false;
  const DirError failure = m_owner.run([&](Backends& real) {
    made = real.platform().files->makeFolder(uncPath, error);
    return DirError{};
  });
  if (failure.number != 0 && error != nullptr) *error = failure.description;
  return made;
}

int SharesProxy::ConnectShareHost(const QString& server, const QString& domain, const QString& user,
                                  const QString& password) {
  int result = 1;
  m_owner.run([&](Backends& real) {
    result = real.platform().shares->ConnectShareHost(server, domain, user, password);
    return DirError{};
  });
  return result;
}

void SharesProxy::DisconnectShareHost() {
  // Nothing is connected before the backends are open; never ask for that.
  if (Backends* real = m_owner.openedBackends()) real->platform().shares->DisconnectShareHost();
}

int SharesProxy::EnumShares(const QString& server, const QString& domain, const QString& user,
                            const QString& password, std::vector<ShareInfo>& shares) {
  int result = 1;
  m_owner.run([&](Backends& real) {
    result = real.platform().shares->EnumShares(server, domain, user, password, shares);
    return DirError{};
  });
  return result;
}

int SharesProxy::CreateShare(const QString& server, const QString& localPath,
                             const QString& shareName) {
  int result = kShareAccessDenied;
  m_owner.run([&](Backends& real) {
    result = real.platform().shares->CreateShare(server, localPath, shareName);
    return DirError{};
  });
  return result;
}

}  // namespace

std::unique_ptr<Backends> openConnectAsBackends(const NetSettings& settings,
                                                CredentialsProvider provider) {
  return std::make_unique<ConnectAsBackends>(settings, std::move(provider));
}

}  // namespace quill
