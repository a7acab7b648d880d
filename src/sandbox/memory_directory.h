#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <memory>
#include <utility>
#include <vector>

#include "core/directory_service.h"

namespace quill {

class EntryStore;
class SandboxChanges;
struct DirEntry;

// The sandbox's directory: one domain kept in memory, loaded from and saved
// to an LDIF file. It enforces what Active Directory enforces and a run relies
// on: a unique relative name within a container, a unique sAMAccountName in
// the domain (users, groups, computers), no child under a missing parent, a
// member added twice (kErrAlreadyExists), an empty attribute value refused at
// SetInfo. A domain root with nTMixedDomain 1 refuses to nest a global group
// in a global group (kErrUnwillingToPerform), as a mixed-mode domain does.
// Passwords are kept only as salted SHA-512 hashes in userPassword.
class MemoryDirectory : public DirectoryService {
 public:
  // An empty directory serving domainFqdn ("example.test"); its root DN is
  // derived from it ("DC=example,DC=test") but not created.
  explicit MemoryDirectory(const QString& domainFqdn);
  ~MemoryDirectory() override;

  // Adds the base entries of a new domain: the domainDNS root, CN=Users,
  // CN=Computers, CN=Builtin, OU=Domain Controllers, Administrator, Guest,
  // Domain Admins and Domain Users.
  void addBaseEntries();

  // The LDIF text of the whole directory, parents before children.
  QByteArray toLdif() const;
  // Replaces the content with the LDIF text ldif; the domain is taken from
  // its first entry (a domainDNS). false with a reason naming the line on
  // failure; the content is then unchanged.
  bool fromLdif(const QByteArray& ldif, QString* error);

  // A directory that refuses every change with kErrAccessDenied, as a bind
  // without write rights does.
  void setReadOnly(bool readOnly) { m_readOnly = readOnly; }

  // Who hears of every change from now on (the sandbox's journal); nullptr
  // for nobody. A new user account is reported with the SetInfo that
  // completes it, so a death between the two leaves no half-made account; the
  // next call of any other kind reports it as it stands.
  void setChangeListener(SandboxChanges* listener) { m_changes = listener; }
  // Reports a change still held back (before the directory is written).
  void reportHeldChange();

  // A change read back from the journal: an entry as a whole (created or
  // replaced), or a member added (nothing when it is there already). false
  // with a reason when it does not fit the directory.
  bool replayEntry(const QByteArray& ldifRecord, QString* error);
  bool replayMember(const QString& groupDn, const QString& memberDn, QString* error);
  // A delete or a member removal read back from the journal; nothing when it
  // was done already.
  void replayDelete(const QString& dn);
  void replayRemoveMember(const QString& groupDn, const QString& memberDn);

  QString domainFqdn() const { return m_domainFqdn; }
  QString rootDn() const { return m_rootDn; }

  // Inspection, for the sandbox and tests: whether dn exists, and the values
  // of one attribute (empty when either is missing).
  bool contains(const QString& dn) const;
  QStringList values(const QString& dn, const QString& attribute) const;
  // DNs of the direct children of dn, in creation order.
  QStringList childDns(const QString& dn) const;
  int entryCount() const;
  // True when password matches the stored hash of the entry dn.
  bool checkPassword(const QString& dn, const QString& password) const;

  // DirectoryService
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

 private:
  // The stored entry a path names, or nullptr with the error pending.
  DirEntry* resolve(const QString& path, PendingError& err) const;
  void createEntry(DirObject& obj, DirObject& changes, PendingError& err);
  void modifyEntry(DirObject& obj, DirObject& changes, PendingError& err);
  // Adds an entry without the checks of SetInfo (base entries).
  void addEntry(const QString& dn, const std::vector<std::pair<QString, QStringList>>& attributes);

  QString m_domainFqdn;
  QString m_rootDn;
  // The held-back report: reported unless obj is the entry it is about.
  void reportHeldChangeUnless(const DirObject* obj);
  void reported(const DirEntry& entry);

  bool m_readOnly = false;
  std::unique_ptr<EntryStore> m_store;
  SandboxChanges* m_changes = nullptr;
  QString m_heldNdn;  // a new user account not reported yet
};

}  // namespace quill
