#include "net/ldap_connection.h"

#include <ldap.h>
#include <sasl/sasl.h>
#include <sys/socket.h>
#include <sys/time.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <thread>

#include "core/secret.h"
#include "net/ldap_errors.h"
#include "net/ldap_values.h"

namespace quill {

namespace {

constexpr int kPageSize = 1000;

timeval timeoutOf(int seconds) { return timeval{seconds > 0 ? seconds : 10, 0}; }

int scopeCode(LdapScope scope) {
  switch (scope) {
    case LdapScope::Base:
      return LDAP_SCOPE_BASE;
    case LdapScope::OneLevel:
      return LDAP_SCOPE_ONELEVEL;
    case LdapScope::Subtree:
      break;
  }
  return LDAP_SCOPE_SUBTREE;
}

// LDAPTLS_REQCERT as libldap reads it; an unknown word keeps verification on.
int requireCertLevel() {
  const QByteArray value = qgetenv("LDAPTLS_REQCERT").trimmed().toLower();
  if (value == "never") return LDAP_OPT_X_TLS_NEVER;
  if (value == "allow") return LDAP_OPT_X_TLS_ALLOW;
  if (value == "try") return LDAP_OPT_X_TLS_TRY;
  if (value == "hard") return LDAP_OPT_X_TLS_HARD;
  return LDAP_OPT_X_TLS_DEMAND;
}

// Answers the SASL library's questions with its own defaults: GSSAPI takes
// everything it needs from the Kerberos credential cache.
int saslInteract(LDAP*, unsigned, void*, void* prompts) {
  for (auto* p = static_cast<sasl_interact_t*>(prompts); p->id != SASL_CB_LIST_END; ++p) {
    p->result = p->defresult != nullptr ? p->defresult : "";
    p->len = static_cast<unsigned>(std::strlen(static_cast<const char*>(p->result)));
  }
  return LDAP_SUCCESS;
}

// Cuts off a server that accepts a connection and then does not answer.
// libldap bounds the TCP connect by its network timeout, but with GnuTLS its
// TLS handshake retries a silent socket forever (spinning on EAGAIN). Once
// the socket is connected the watchdog gives the handshake and the bind
// `seconds`; then it shuts the socket down for reading, so the library's
// next read ends and the opening fails instead of hanging. (Writing stays
// possible, so closing the connection afterwards raises no SIGPIPE.)
class HandshakeWatchdog {
 public:
  explicit HandshakeWatchdog(int seconds) : m_seconds(seconds), m_thread([this] { watch(); }) {}
  ~HandshakeWatchdog() {
    {
      const std::lock_guard lock(m_mutex);
      m_done = true;
    }
    m_wake.notify_all();
    m_thread.join();
  }
  HandshakeWatchdog(const HandshakeWatchdog&) = delete;
  HandshakeWatchdog& operator=(const HandshakeWatchdog&) = delete;

  void connected(int fd) {
    {
      const std::lock_guard lock(m_mutex);
      m_fd = fd;
    }
    m_wake.notify_all();
  }
  bool fired() {
    const std::lock_guard lock(m_mutex);
    return m_fired;
  }

 private:
  void watch() {
    std::unique_lock lock(m_mutex);
    m_wake.wait(lock, [this] { return m_done || m_fd >= 0; });
    if (m_wake.wait_for(lock, std::chrono::seconds(m_seconds), [this] { return m_done; })) return;
    // The owner is still inside libldap and the socket is still open (it is
    // closed only after this thread has been joined).
    ::shutdown(m_fd, SHUT_RD);
    m_fired = true;
  }

  const int m_seconds;
  std::mutex m_mutex;
  std::condition_variable m_wake;
  int m_fd = -1;
  bool m_done = false;
  bool m_fired = false;
  std::thread m_thread;  // last: starts once the members above exist
};

int onConnected(LDAP*, Sockbuf* sb, LDAPURLDesc*, sockaddr*, ldap_conncb* callback) {
  if (auto* watchdog = static_cast<HandshakeWatchdog*>(callback->lc_arg)) {
    int fd = -1;
    if (ber_sockbuf_ctrl(sb, LBER_SB_OPT_GET_FD, &fd) == 1 && fd >= 0) watchdog->connected(fd);
  }
  return 0;
}

void onClosed(LDAP*, Sockbuf*, ldap_conncb*) {}

// The C arrays of an add or modify request, pointing into changes.
class ModRequest {
 public:
  explicit ModRequest(const std::vector<LdapChange>& changes, bool isAdd) {
    const size_t n = changes.size();
    m_names.reserve(n);
    m_values.resize(n);
    m_valuePtrs.resize(n);
    m_mods.resize(n);
    for (size_t i = 0; i < n; ++i) {
      const LdapChange& c = changes[i];
      m_names.push_back(c.attribute.toUtf8());
      for (const QByteArray& v : c.values) {
        m_values[i].push_back(
            berval{static_cast<ber_len_t>(v.size()), const_cast<char*>(v.constData())});
      }
      for (berval& bv : m_values[i]) m_valuePtrs[i].push_back(&bv);
      m_valuePtrs[i].push_back(nullptr);
      int op = LDAP_MOD_REPLACE;
      if (isAdd || c.op == LdapChange::Op::Add) op = LDAP_MOD_ADD;
      if (!isAdd && c.op == LdapChange::Op::Delete) op = LDAP_MOD_DELETE;
      m_mods[i].mod_op = op | LDAP_MOD_BVALUES;
      m_mods[i].mod_type = m_names[i].data();
      m_mods[i].mod_bvalues = m_valuePtrs[i].data();
    }
    for (LDAPMod& m : m_mods) m_modPtrs.push_back(&m);
    m_modPtrs.push_back(nullptr);
  }
  LDAPMod** mods() { return m_modPtrs.data(); }

 private:
  std::vector<QByteArray> m_names;
  std::vector<std::vector<berval>> m_values;
  std::vector<std::vector<berval*>> m_valuePtrs;
  std::vector<LDAPMod> m_mods;
  std::vector<LDAPMod*> m_modPtrs;
};

void wipeSecrets(std::vector<LdapChange>& changes) {
  for (LdapChange& c : changes) {
    if (!c.isSecret) continue;
    for (QByteArray& v : c.values) wipeSecret(v);
  }
}

using Clock = std::chrono::steady_clock;

// Counts one operation that started at started and ended with rc; returns its time.
qint64 tallyOne(LdapConnection::Tally& tally, int& count, qint64& us, Clock::time_point started,
                int rc) {
  const qint64 took =
      std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - started).count();
  ++count;
  us += took;
  if (rc != LDAP_SUCCESS) {
    ++tally.failures;
    tally.failedUs += took;
  }
  return took;
}

bool hasSecret(const std::vector<LdapChange>& changes) {
  for (const LdapChange& c : changes) {
    if (c.isSecret) return true;
  }
  return false;
}

void readEntries(LDAP* ld, LDAPMessage* result, std::vector<LdapEntry>& entries) {
  for (LDAPMessage* e = ldap_first_entry(ld, result); e != nullptr; e = ldap_next_entry(ld, e)) {
    LdapEntry entry;
    if (char* dn = ldap_get_dn(ld, e)) {
      entry.dn = QString::fromUtf8(dn);
      ldap_memfree(dn);
    }
    BerElement* ber = nullptr;
    for (char* a = ldap_first_attribute(ld, e, &ber); a != nullptr;
         a = ldap_next_attribute(ld, e, ber)) {
      QList<QByteArray>& values = entry.attributes[QString::fromUtf8(a).toLower()];
      if (berval** bv = ldap_get_values_len(ld, e, a)) {
        for (berval** v = bv; *v != nullptr; ++v) {
          values.append(QByteArray((*v)->bv_val, static_cast<qsizetype>((*v)->bv_len)));
        }
        ldap_value_free_len(bv);
      }
      ldap_memfree(a);
    }
    if (ber != nullptr) ber_free(ber, 0);
    entries.push_back(std::move(entry));
  }
}

}  // namespace

QList<QByteArray> LdapEntry::values(const QString& attribute) const {
  return attributes.value(attribute.toLower());
}

QString LdapEntry::first(const QString& attribute) const {
  const QList<QByteArray> v = values(attribute);
  return v.isEmpty() ? QString() : QString::fromUtf8(v.front());
}

QString LdapEntry::last(const QString& attribute) const {
  const QList<QByteArray> v = values(attribute);
  return v.isEmpty() ? QString() : QString::fromUtf8(v.back());
}

LdapConnection::~LdapConnection() {
  if (m_ld != nullptr) ldap_unbind_ext_s(m_ld, nullptr, nullptr);
  if (m_tallyOn) {
    const Tally& t = m_tally;
    const auto ms = [](qint64 us) { return static_cast<long long>(us / 1000); };
    std::fprintf(stderr,
                 "quillstead: LDAP operations: %d searches (%lld ms), %d adds (%lld ms), "
                 "%d modifies (%lld ms), of which %d with a password (%lld ms), "
                 "%d deletes (%lld ms); %d failed (%lld ms)\n",
                 t.searches, ms(t.searchUs), t.adds, ms(t.addUs), t.modifies, ms(t.modifyUs),
                 t.passwordModifies, ms(t.passwordUs), t.deletes, ms(t.deleteUs), t.failures,
                 ms(t.failedUs));
  }
}

std::unique_ptr<LdapConnection> LdapConnection::open(const QString& uri,
                                                     const NetSettings& settings, DirError* error) {
  std::unique_ptr<LdapConnection> c(new LdapConnection);
  c->m_uri = uri;
  c->m_timeoutSeconds = settings.timeoutSeconds;
  c->m_tallyOn = qEnvironmentVariableIsSet("QUILL_LDAP_STATS");
  const int rc = ldap_initialize(&c->m_ld, uri.toUtf8().constData());
  if (rc != LDAP_SUCCESS || c->m_ld == nullptr) {
    *error = ldapDirError(rc, QString::fromUtf8(ldap_err2string(rc)), uri);
    return nullptr;
  }
  const int version = LDAP_VERSION3;
  const timeval timeout = timeoutOf(settings.timeoutSeconds);
  ldap_set_option(c->m_ld, LDAP_OPT_PROTOCOL_VERSION, &version);
  ldap_set_option(c->m_ld, LDAP_OPT_REFERRALS, LDAP_OPT_OFF);
  ldap_set_option(c->m_ld, LDAP_OPT_NETWORK_TIMEOUT, &timeout);
  ldap_set_option(c->m_ld, LDAP_OPT_TIMEOUT, &timeout);

  // The callback is detached from the watchdog before the watchdog goes,
  // whichever way open() returns.
  HandshakeWatchdog watchdog(static_cast<int>(timeout.tv_sec));
  c->m_connectCallback =
      std::make_unique<ldap_conncb>(ldap_conncb{onConnected, onClosed, &watchdog});
  ldap_set_option(c->m_ld, LDAP_OPT_CONNECT_CB, c->m_connectCallback.get());
  struct Detach {
    ldap_conncb* callback;
    ~Detach() { callback->lc_arg = nullptr; }
  } detach{c->m_connectCallback.get()};
  const auto silent = [&](DirError* e) {
    if (watchdog.fired()) {
      *e = DirError{
          kErrServerDown,
          QStringLiteral("%1 did not answer within %2 seconds.").arg(uri).arg(timeout.tv_sec)};
    }
  };

  if (!c->setUpTls(error)) {
    silent(error);
    return nullptr;
  }
  // A password is never sent, nor a Kerberos exchange made, before the
  // connection is known to be encrypted.
  if (!c->isEncrypted()) {
    *error = DirError{kErrServerDown,
                      QStringLiteral("The connection to %1 is not encrypted; no credentials were "
                                     "sent.")
                          .arg(uri)};
    return nullptr;
  }
  const bool bound =
      settings.password.isEmpty() ? c->bindKerberos(error) : c->bindSimple(settings, error);
  if (!bound) {
    silent(error);
    return nullptr;
  }
  return c;
}

bool LdapConnection::setUpTls(DirError* error) {
  // libldap only reads LDAPTLS_* itself when LDAPNOINIT is unset; reading
  // them here applies them either way. The handle's TLS context is rebuilt
  // afterwards so these settings, and not the global ones, are used.
  const int requireCert = requireCertLevel();
  ldap_set_option(m_ld, LDAP_OPT_X_TLS_REQUIRE_CERT, &requireCert);
  const QByteArray caFile = qgetenv("LDAPTLS_CACERT");
  if (!caFile.isEmpty()) ldap_set_option(m_ld, LDAP_OPT_X_TLS_CACERTFILE, caFile.constData());
  const int isServer = 0;
  int rc = ldap_set_option(m_ld, LDAP_OPT_X_TLS_NEWCTX, &isServer);
  if (rc != LDAP_OPT_SUCCESS) {
    *error = DirError{kErrGeneric, QStringLiteral("TLS could not be set up for %1 (CA file %2).")
                                       .arg(m_uri, QString::fromLocal8Bit(caFile))};
    return false;
  }
  clearDiagnostic();
  if (m_uri.startsWith(QLatin1String("ldaps://"))) {
    rc = ldap_connect(m_ld);
  } else {
    rc = ldap_start_tls_s(m_ld, nullptr, nullptr);
  }
  if (rc != LDAP_SUCCESS) {
    *error = errorFor(rc);
    error->description = m_uri + QStringLiteral(": ") + error->description;
    return false;
  }
  return true;
}

bool LdapConnection::bindSimple(const NetSettings& settings, DirError* error) {
  const QByteArray name = simpleBindName(settings.user, settings.domain).toUtf8();
  QByteArray password = settings.password.toUtf8();
  berval credentials{static_cast<ber_len_t>(password.size()), password.data()};
  clearDiagnostic();
  const int rc = ldap_sasl_bind_s(m_ld, name.constData(), LDAP_SASL_SIMPLE, &credentials, nullptr,
                                  nullptr, nullptr);
  wipeSecret(password);
  if (rc != LDAP_SUCCESS) {
    *error = errorFor(rc);
    return false;
  }
  return true;
}

bool LdapConnection::bindKerberos(DirError* error) {
  // Ask for the service ticket of the name as given (no reverse look-up of
  // the address) and, inside TLS, without a SASL security layer: domain
  // controllers refuse sealing on top of TLS.
  ldap_set_option(m_ld, LDAP_OPT_X_SASL_NOCANON, LDAP_OPT_ON);
  ldap_set_option(m_ld, LDAP_OPT_X_SASL_SECPROPS, "maxssf=0");
  clearDiagnostic();
  const int rc = ldap_sasl_interactive_bind_s(m_ld, nullptr, "GSSAPI", nullptr, nullptr,
                                              LDAP_SASL_QUIET, saslInteract, nullptr);
  if (rc != LDAP_SUCCESS) {
    *error = errorFor(rc);
    error->description = QStringLiteral("Kerberos (GSSAPI) bind: ") + error->description;
    return false;
  }
  return true;
}

void LdapConnection::clearDiagnostic() {
  ldap_set_option(m_ld, LDAP_OPT_DIAGNOSTIC_MESSAGE, nullptr);
}

DirError LdapConnection::errorFor(int rc) {
  char* diagnostic = nullptr;
  ldap_get_option(m_ld, LDAP_OPT_DIAGNOSTIC_MESSAGE, &diagnostic);
  const QString detail = diagnostic != nullptr ? QString::fromUtf8(diagnostic) : QString();
  ldap_memfree(diagnostic);
  if (errorNumberForLdapResult(rc) == kErrServerDown) m_broken = true;
  return ldapDirError(rc, QString::fromUtf8(ldap_err2string(rc)), detail);
}

bool LdapConnection::isEncrypted() const { return m_ld != nullptr && ldap_tls_inplace(m_ld) != 0; }

bool LdapConnection::search(const QString& base, LdapScope scope, const QString& filter,
                            const QStringList& attributes, std::vector<LdapEntry>& entries,
                            DirError* error, bool paged) {
  const QByteArray baseText = base.toUtf8();
  const QByteArray filterText = filter.toUtf8();
  std::vector<QByteArray> names;
  std::vector<char*> attrs;
  for (const QString& a : attributes) names.push_back(a.toUtf8());
  for (QByteArray& n : names) attrs.push_back(n.data());
  attrs.push_back(nullptr);
  timeval timeout = timeoutOf(m_timeoutSeconds);

  berval cookie{0, nullptr};
  bool ok = true;
  do {
    LDAPControl* page = nullptr;
    if (paged && ldap_create_page_control(m_ld, kPageSize, &cookie, 0, &page) != LDAP_SUCCESS) {
      *error = DirError{kErrGeneric, QStringLiteral("The paged search could not be set up.")};
      ok = false;
      break;
    }
    LDAPControl* controls[] = {page, nullptr};
    LDAPMessage* result = nullptr;
    clearDiagnostic();
    const Clock::time_point started = Clock::now();
    const int rc =
        ldap_search_ext_s(m_ld, baseText.constData(), scopeCode(scope), filterText.constData(),
                          attributes.isEmpty() ? nullptr : attrs.data(), 0,
                          paged ? controls : nullptr, nullptr, &timeout, LDAP_NO_LIMIT, &result);
    tallyOne(m_tally, m_tally.searches, m_tally.searchUs, started, rc);
    if (page != nullptr) ldap_control_free(page);
    ber_memfree(cookie.bv_val);
    cookie = berval{0, nullptr};
    if (rc != LDAP_SUCCESS) {
      *error = errorFor(rc);
      if (result != nullptr) ldap_msgfree(result);
      ok = false;
      break;
    }
    readEntries(m_ld, result, entries);
    if (paged) {
      LDAPControl** returned = nullptr;
      int resultCode = LDAP_SUCCESS;
      ldap_parse_result(m_ld, result, &resultCode, nullptr, nullptr, nullptr, &returned, 0);
      if (LDAPControl* response = ldap_control_find(LDAP_CONTROL_PAGEDRESULTS, returned, nullptr)) {
        ber_int_t estimate = 0;
        ldap_parse_pageresponse_control(m_ld, response, &estimate, &cookie);
      }
      ldap_controls_free(returned);
    }
    ldap_msgfree(result);
  } while (cookie.bv_len > 0);
  ber_memfree(cookie.bv_val);
  return ok;
}

bool LdapConnection::add(const QString& dn, std::vector<LdapChange>& changes, DirError* error) {
  const QByteArray dnText = dn.toUtf8();
  int rc = LDAP_SUCCESS;
  {
    ModRequest request(changes, true);
    clearDiagnostic();
    const Clock::time_point started = Clock::now();
    rc = ldap_add_ext_s(m_ld, dnText.constData(), request.mods(), nullptr, nullptr);
    tallyOne(m_tally, m_tally.adds, m_tally.addUs, started, rc);
  }
  wipeSecrets(changes);
  if (rc != LDAP_SUCCESS) {
    *error = errorFor(rc);
    return false;
  }
  return true;
}

bool LdapConnection::modify(const QString& dn, std::vector<LdapChange>& changes, DirError* error) {
  const QByteArray dnText = dn.toUtf8();
  int rc = LDAP_SUCCESS;
  {
    ModRequest request(changes, false);
    clearDiagnostic();
    const Clock::time_point started = Clock::now();
    rc = ldap_modify_ext_s(m_ld, dnText.constData(), request.mods(), nullptr, nullptr);
    const qint64 took = tallyOne(m_tally, m_tally.modifies, m_tally.modifyUs, started, rc);
    if (hasSecret(changes)) {
      ++m_tally.passwordModifies;
      m_tally.passwordUs += took;
    }
  }
  wipeSecrets(changes);
  if (rc != LDAP_SUCCESS) {
    *error = errorFor(rc);
    return false;
  }
  return true;
}

bool LdapConnection::remove(const QString& dn, DirError* error) {
  clearDiagnostic();
  const Clock::time_point started = Clock::now();
  const int rc = ldap_delete_ext_s(m_ld, dn.toUtf8().constData(), nullptr, nullptr);
  tallyOne(m_tally, m_tally.deletes, m_tally.deleteUs, started, rc);
  if (rc != LDAP_SUCCESS) {
    *error = errorFor(rc);
    return false;
  }
  return true;
}

QString LdapConnection::defaultNamingContext(DirError* error) {
  if (!m_defaultNamingContext.isEmpty()) return m_defaultNamingContext;
  std::vector<LdapEntry> entries;
  if (!search(QString(), LdapScope::Base, QStringLiteral("(objectClass=*)"),
              {QStringLiteral("defaultNamingContext")}, entries, error)) {
    return {};
  }
  if (!entries.empty())
    m_defaultNamingContext = entries.front().first(QStringLiteral("defaultNamingContext"));
  if (m_defaultNamingContext.isEmpty()) {
    *error = DirError{kErrNoSuchObject,
                      QStringLiteral("The server %1 names no default naming context.").arg(m_uri)};
  }
  return m_defaultNamingContext;
}

}  // namespace quill
