#pragma once

#include <QString>
#include <map>
#include <memory>

#include "core/directory_service.h"
#include "net/net_settings.h"

namespace quill {

class LdapConnection;
struct LdapEntry;

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
  void modifyEntry(LdapConnection* conn, DirObject& obj, DirObject& changes, PendingError& err);
  // Whether a subtree search of the domain of domain with filter finds an
  // entry; its first entry in *found when given. Failures are false.
  bool findInDomain(const QString& domain, const QString& filter, const QStringList& attributes,
                    LdapEntry* found);

  NetSettings m_settings;  // the password is a copy of its own, wiped on destruction
  // The account the last add created and the userAccountControl it stored, so that enabling
  // it by the very next modify (how an account is completed) needs no read. Cleared by the
  // next add or modify, whatever its object.
  QString m_createdAccountDn;
  qint64 m_createdAccountControl = 0;
  std::map<QString, std::unique_ptr<LdapConnection>> m_connections;  // by server URI
  std::map<QString, Failure> m_failures;                             // by server URI
};

}  // namespace quill
