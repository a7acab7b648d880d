#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

#include "core/dir_error.h"
#include "net/net_settings.h"

struct ldap;         // libldap's connection handle, kept out of this header
struct ldap_conncb;  // libldap's connection callbacks

namespace quill {

// One entry of a search result. Attribute names are kept in lower case.
struct LdapEntry {
  QString dn;
  QMap<QString, QList<QByteArray>> attributes;

  QList<QByteArray> values(const QString& attribute) const;
  // The first and the last value as UTF-8 text; empty when there is none.
  QString first(const QString& attribute) const;
  QString last(const QString& attribute) const;
};

// One change of an add or modify operation. A secret value (unicodePwd) is
// wiped once the operation has been sent.
struct LdapChange {
  enum class Op { Add, Replace, Delete };
  Op op = Op::Replace;
  QString attribute;
  QList<QByteArray> values;
  bool isSecret = false;
};

enum class LdapScope { Base, OneLevel, Subtree };

// An authenticated LDAPv3 connection to one domain controller: TLS (LDAPS, or
// StartTLS) with certificate verification, referrals off, timeouts on every
// operation. Failures come back as DirErrors with the numbers callers
// compare. Not copyable; owned by the LdapDirectory that opened it.
class LdapConnection {
 public:
  ~LdapConnection();
  LdapConnection(const LdapConnection&) = delete;
  LdapConnection& operator=(const LdapConnection&) = delete;

  // Connects to uri (see ldapServerUri), sets up TLS as configured by
  // LDAPTLS_CACERT and LDAPTLS_REQCERT (verification on when unset) and
  // binds: a simple bind with settings' user and password when a password
  // is given (only once TLS is in place), else SASL GSSAPI with the cached
  // Kerberos ticket. The TLS handshake and the bind get settings'
  // timeout once the server accepted the connection: a server that accepts
  // and then says nothing is cut off. Returns nullptr with *error set on
  // failure.
  static std::unique_ptr<LdapConnection> open(const QString& uri, const NetSettings& settings,
                                              DirError* error);

  // Searches base with filter for attributes (all of them when empty). With
  // paged, the result is fetched in pages of 1000 entries, so a container
  // larger than the server's size limit lists fully. false with *error set
  // on failure; entries then holds what arrived before it.
  bool search(const QString& base, LdapScope scope, const QString& filter,
              const QStringList& attributes, std::vector<LdapEntry>& entries, DirError* error,
              bool paged = false);

  // Adds the entry dn with the values of changes (their Op is ignored), or
  // applies changes to dn in order as one operation. Secret values are wiped
  // afterwards, whatever the outcome. false with *error set on failure.
  bool add(const QString& dn, std::vector<LdapChange>& changes, DirError* error);
  bool modify(const QString& dn, std::vector<LdapChange>& changes, DirError* error);
  // Deletes the entry dn. false with *error set on failure.
  bool remove(const QString& dn, DirError* error);

  // True when the connection is encrypted (TLS in place).
  bool isEncrypted() const;

  // The DN of the domain the server holds (rootDSE defaultNamingContext),
  // read once. Empty with *error set on failure.
  QString defaultNamingContext(DirError* error);

  // True once the server stopped answering (down, unreachable, timed out);
  // the owner should then drop the connection and open a new one later.
  bool isBroken() const { return m_broken; }

  const QString& uri() const { return m_uri; }

  // Operations sent on this connection and the time spent waiting for their
  // answers (for measuring round trips). With QUILL_LDAP_STATS set in the
  // environment the destructor writes the counts, never a value, to stderr.
  struct Tally {
    int searches = 0, adds = 0, modifies = 0, passwordModifies = 0, deletes = 0, failures = 0;
    qint64 searchUs = 0, addUs = 0, modifyUs = 0, passwordUs = 0, deleteUs = 0, failedUs = 0;
  };
  const Tally& tally() const { return m_tally; }

 private:
  LdapConnection() = default;
  // The DirError for result code rc, with the server's diagnostic message;
  // marks the connection broken for the codes of a lost server.
  DirError errorFor(int rc);
  bool setUpTls(DirError* error);
  bool bindSimple(const NetSettings& settings, DirError* error);
  bool bindKerberos(DirError* error);
  void clearDiagnostic();

  struct ldap* m_ld = nullptr;
  // Registered with libldap for the handle's whole life; it points at the
  // watchdog of the opening only while open() runs.
  std::unique_ptr<ldap_conncb> m_connectCallback;
  QString m_uri;
  int m_timeoutSeconds = 10;
  bool m_broken = false;
  QString m_defaultNamingContext;
  bool m_tallyOn = false;
  Tally m_tally;
};

}  // namespace quill
