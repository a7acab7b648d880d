#pragma once

#include <QString>
#include <map>
#include <memory>
#include <optional>
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
// spends most of its time waiting for answers it could have known. So the
// object remembers, for a few minutes, what it saw or did itself: the objects
// it bound or created (a Bind of one of them, or "distinguishedName" of one
// it created, needs no request), the members it added or found in place (an
// Add of one of them gives kErrAlreadyExists at once), the account names it
// asked about or wrote, and the identities of the objects it created (read
// in batches, one search per container, when they are first asked for).
// Only what is known to be there is remembered: everything else still goes
// to the server, whose answer stays the authority. A failure that says an
// object is missing forgets it all.
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
  void createEntry(LdapConnection* conn, DirObject& obj, DirObject& changes, PendingError& err);
  // Adds dn with values and notes what the add made known. false with the
  // error pending when the server refused it.
  bool sendAdd(LdapConnection* conn, const QString& dn, const QString& objectClass,
               std::vector<LdapChange>& values, PendingError& err);
  // Whether the add of the new account obj may wait for the SetInfo that
  // completes it (see m_held).
  bool mayHold(LdapConnection* conn, const DirObject& obj, const DirObject& changes);
  // Sends a held add as it was; called by every other operation first.
  void releaseHeld(PendingError& err);
  // The completing SetInfo of the held account: one add with everything.
  void completeHeld(LdapConnection* conn, DirObject& obj, DirObject& changes, PendingError& err);
  void modifyEntry(LdapConnection* conn, DirObject& obj, DirObject& changes, PendingError& err);
  // Whether a subtree search of the domain of domain with filter finds an
  // entry; its first entry in *found when given. Failures are false.
  bool findInDomain(const QString& domain, const QString& filter, const QStringList& attributes,
                    LdapEntry* found);

  // What this object knows of an object of the directory.
  struct Known {
    QString dn;  // as the server gives it
    QString objectClass;
    bool madeHere = false;      // created by this object: its children are the ones made here
    std::set<QString> members;  // normalized DNs known to be members
    qint64 learnedAtMs = 0;
  };
  // The knowledge of dn, or nullptr when there is none or it is too old.
  Known* known(const QString& dn);
  void remember(const QString& dn, const QString& objectClass);
  void forgetAll();
  // Reads the identities of the objects created here below parent that are
  // still wanted, in one search per hundred of them.
  void readWantedGuids(LdapConnection* conn, const QString& parent);

  NetSettings m_settings;  // the password is a copy of its own, wiped on destruction
  // The account the last add created and the userAccountControl it stored, so that enabling
  // it by the very next modify (how an account is completed) needs no read. Cleared by the
  // next add or modify, whatever its object.
  QString m_createdAccountDn;
  qint64 m_createdAccountControl = 0;
  // A new account whose add waits for the SetInfo that completes it, as long
  // as nothing else comes first: the run's account step stores a new account
  // and then, at once, its password, the enabling and the other attributes.
  // Once an account has been completed that way, the next one whose add the
  // server will surely take (mayHold) goes to the server as one add with
  // everything; when the server refuses that add, the two steps follow as
  // they would have.
  struct Held {
    QString dn;
    QString host;
    QString objectClass;
    std::vector<LdapChange> values;  // the add as the first SetInfo would have sent it
  };
  std::optional<Held> m_held;
  bool m_accountsCompleted = false;
  // The account names and UPNs of a domain (lower case), read once when an
  // add is first held and kept up to date by the adds made here.
  struct Names {
    std::set<QString> sam;
    std::set<QString> upn;
    qint64 readAtMs = 0;
    bool complete = false;
  };
  std::map<QString, Names> m_names;        // by server URI
  std::map<QString, Known> m_known;        // by normalized DN
  std::map<QString, bool> m_accountNames;  // AccountExists answers, by domain and name
  std::map<QString, QString> m_guids;      // objectGUID text by normalized DN
  std::map<QString, std::vector<QString>> m_wantedGuids;  // DNs created here, by normalized parent
  std::map<QString, std::unique_ptr<LdapConnection>> m_connections;  // by server URI
  std::map<QString, Failure> m_failures;                             // by server URI
};

}  // namespace quill
