#pragma once

#include <QString>
#include <map>
#include <memory>
#include <set>
#include <vector>

#include "core/directory_service.h"
#include "net/ldap_connection.h"
#include "net/net_settings.h"

namespace quill {

// The directory of a real domain over LDAP (libldap). It gives callers the
// same paths, results and error numbers as the sandbox's MemoryDirectory.
//
// "LDAP://host/DN" goes to host (the domain name as typed; settings.dcHost,
// when set, is the address of every connection instead); "LDAP://DN" goes to
// the domain named by the DN's DC= parts. One connection per server address,
// opened on first use and kept: LDAPS on 636, or LDAP on 389 with StartTLS,
// certificates verified unless LDAPTLS_REQCERT says otherwise. It binds with
// settings' user and password, or over Kerberos when no password is given.
// A failed connection is remembered: a refused logon for the object's
// lifetime (so a wrong password is not tried again and again), an
// unreachable server for a few seconds (so a run against a dead server fails
// fast instead of waiting out the timeout on every step).
//
// Every request is a round trip to the server, and a run over a slow network
// spends most of its time waiting for answers it already has. So the object
// remembers, for a few minutes, what the server told it or took from it: the
// objects it bound, listed or created (a Bind of one of them, or
// "distinguishedName" of one it created, needs no request) and the members
// it added or that the server said are in place (adding one of them again
// gives kErrAlreadyExists, the server's answer, at once). Nothing else is
// answered from memory: every add of an object and every account name goes
// to the server, whose answer stays the authority, and an answer that says
// an object is missing forgets everything. The identities of the objects it
// created are read in one search per container when the first is asked for.
class LdapDirectory : public DirectoryService {
 public:
  explicit LdapDirectory(const NetSettings& settings);
  ~LdapDirectory() override;
  LdapDirectory(const LdapDirectory&) = delete;
  LdapDirectory& operator=(const LdapDirectory&) = delete;

  std::unique_ptr<DirObject> Bind(const QString& path, PendingError& err) override;
  void SetInfo(DirObject& obj, PendingError& err) override;
  QString Get(const DirObject& obj, const QString& attribute, PendingError& err) override;
  std::vector<ChildObject> Children(const DirObject& container, PendingError& err) override;
  void Add(DirObject& group, const QString& memberPath, PendingError& err) override;
  bool AccountExists(const QString& domain, const QString& name) override;
  bool HasMember(const DirObject& group, const QString& memberDn, PendingError& err) override;
  QStringList Members(const DirObject& group, PendingError& err) override;
  bool AccountNameTaken(const QString& domain, const QString& name) override;
  QString ObjectGuid(const DirObject& obj, PendingError& err) override;
  std::unique_ptr<DirObject> BindGuid(const QString& domain, const QString& guid,
                                      PendingError& err) override;
  void DeleteObject(const DirObject& obj, PendingError& err) override;
  void RemoveMember(DirObject& group, const QString& memberPath, PendingError& err) override;

  // The server address used for host ("127.0.0.1" when dcHost says so).
  QString serverFor(const QString& host) const;
  // The requests sent so far on the connections open now.
  LdapConnection::Tally tally() const;

 private:
  struct Failure {
    DirError error;
    qint64 retryAtMs = 0;  // 0: never retried
  };

  // The open connection for the server of host (or, with no host, of the
  // domain of dn). nullptr with the error pending when it cannot be opened.
  LdapConnection* connection(const QString& host, const QString& dn, PendingError& err);
  // Forgets conn when the server stopped answering during the last call.
  void dropIfBroken(LdapConnection* conn);
  // The stored DN an ADSI dn stands for: the domain root for an empty dn.
  QString resolveDn(LdapConnection* conn, const QString& dn, PendingError& err);
  // The connection for an object the directory holds; nullptr with err set
  // (no such object for one not stored yet) when there is none.
  LdapConnection* storedConnection(const DirObject& obj, PendingError& err);
  // The connection for a change of group's members and the DN of the member
  // at memberPath (empty, with err set, when it cannot be found); nullptr
  // with err set when the change cannot be made at all.
  LdapConnection* memberChange(const DirObject& group, const QString& memberPath, QString* memberDn,
                               PendingError& err);
  // Adds obj with changes (and then sets its password and enabling, when
  // staged) and notes what the add made known.
  void createEntry(LdapConnection* conn, DirObject& obj, DirObject& changes, PendingError& err);
  void modifyEntry(LdapConnection* conn, DirObject& obj, DirObject& changes, PendingError& err);
  // Whether a subtree search of the domain of domain with filter finds an
  // entry; its first entry in *found when given. Failures are false.
  bool findInDomain(const QString& domain, const QString& filter, const QStringList& attributes,
                    LdapEntry* found);
  // Sets error as err's; an object the server says is missing makes
  // everything remembered doubtful, so it is all forgotten.
  void setError(PendingError& err, const DirError& error);
  void failMissing(PendingError& err);

  // What the server told this object about an object of the directory.
  struct Known {
    QString dn;  // as the server gives it
    QString objectClass;
    std::set<QString> members;  // normalized DNs the server took or said are members
    qint64 learnedAtMs = 0;
  };
  // The knowledge of dn, or nullptr when there is none or it is too old.
  Known* known(const QString& dn);
  void remember(const QString& dn, const QString& objectClass);
  // Reads the identities of the objects created here below parent that were
  // not asked for yet, in one search per hundred of them.
  void readWantedGuids(LdapConnection* conn, const QString& parent);

  NetSettings m_settings;  // the password is a copy of its own, wiped on destruction
  // The account the last add created and the userAccountControl it stored, so that enabling
  // it by the very next modify (how an account is completed) needs no read. Cleared by the
  // next add or modify, whatever its object.
  QString m_createdAccountDn;
  qint64 m_createdAccountControl = 0;
  std::map<QString, Known> m_known;    // by normalized DN
  std::map<QString, QString> m_guids;  // read, not yet asked for: objectGUID text by normalized DN
  std::map<QString, std::vector<QString>> m_wantedGuids;  // DNs created here, by normalized parent
  std::map<QString, std::unique_ptr<LdapConnection>> m_connections;  // by server URI
  std::map<QString, Failure> m_failures;                             // by server URI
};

}  // namespace quill
