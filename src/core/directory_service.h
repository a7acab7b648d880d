#pragma once

#include <QString>
#include <memory>
#include <vector>

#include "core/dir_error.h"
#include "core/dir_object.h"

namespace quill {

// The only road to the directory. Paths are ADSI style:
//   "LDAP://host"            the root object of the domain served by host
//   "LDAP://host/DN"         the object DN
//   "LDAP://DN"              the object DN on the default server
// Every operation that can fail takes the caller's PendingError: a failure
// replaces it with an error number and description, a success leaves it.
// No operation throws.
class DirectoryService {
 public:
  virtual ~DirectoryService() = default;

  // Binds the object at path. Returns it, or nullptr with the error pending.
  virtual std::unique_ptr<DirObject> Bind(const QString& path, PendingError& err) = 0;

  // Stages a new object of objectClass named rdn ("OU=x", "CN=x", value
  // escaped) under container. Nothing is stored until SetInfo. Returns
  // nullptr with the error pending when rdn is not a valid relative name.
  std::unique_ptr<DirObject> Create(const DirObject& container, const QString& objectClass,
                                    const QString& rdn, PendingError& err);

  // Stages attribute := value on obj (Put); SetInfo stores it.
  void Put(DirObject& obj, const QString& attribute, const QString& value);
  // Stages an integer attribute (pwdLastSet 0).
  void PutInteger(DirObject& obj, const QString& attribute, qint64 value);

  // User properties, staged and stored by the next SetInfo.
  void SetFullName(DirObject& obj, const QString& value);     // displayName
  void SetFirstName(DirObject& obj, const QString& value);    // givenName
  void SetLastName(DirObject& obj, const QString& value);     // sn
  void SetAccountDisabled(DirObject& obj, bool disabled);     // bit 0x2 of userAccountControl
  void SetPassword(DirObject& obj, const QString& password);  // unicodePwd

  // Stores what is staged. The first SetInfo of a created object creates it
  // (with everything staged so far); later ones modify it. On success the
  // staged values are cleared; on failure they are cleared too, so a
  // following SetInfo does not repeat a refused change.
  virtual void SetInfo(DirObject& obj, PendingError& err) = 0;

  // Reads one attribute of a stored object as text (the first value;
  // "distinguishedName" gives the DN). Empty with the error pending on failure.
  virtual QString Get(const DirObject& obj, const QString& attribute, PendingError& err) = 0;

  // Relative name with its prefix as in "OU=Sales" (escaped as in the DN).
  static QString Name(const DirObject& obj);
  // Last value of objectClass.
  static QString Class(const DirObject& obj) { return obj.objectClass; }
  // Full path of the parent: "LDAP://host/parentDN" ("LDAP://parentDN" without host).
  static QString Parent(const DirObject& obj);

  // Every child of container, in the directory's order.
  virtual std::vector<ChildObject> Children(const DirObject& container, PendingError& err) = 0;

  // Adds the object at memberPath (an "LDAP://" path) to group at once. A
  // member already in the group gives kErrAlreadyExists.
  virtual void Add(DirObject& group, const QString& memberPath, PendingError& err) = 0;

  // True when a user, group or computer named name exists in domain (a
  // computer matches name + "$"). Never leaves an error: any failure is false.
  virtual bool AccountExists(const QString& domain, const QString& name) = 0;

  // What a dry run and an undo need beyond the run itself.

  // True when the stored group holds memberDn. false with the error pending
  // when the group cannot be read.
  virtual bool HasMember(const DirObject& group, const QString& memberDn, PendingError& err) = 0;
  // The DNs of every member of the stored group. Empty with the error
  // pending when the group cannot be read.
  virtual QStringList Members(const DirObject& group, PendingError& err) = 0;
  // True when a user, group or computer of domain has exactly the
  // sAMAccountName name (without regard to case, and without AccountExists'
  // computer "$"). Never leaves an error: any failure is false.
  virtual bool AccountNameTaken(const QString& domain, const QString& name) = 0;
  // The identity of a stored object that stays with it through moves and
  // renames (its objectGUID, "{8-4-4-4-12}" in hex). Empty with the error
  // pending on failure.
  virtual QString ObjectGuid(const DirObject& obj, PendingError& err) = 0;
  // The object of domain whose identity is guid, wherever it is now; nullptr
  // with kErrNoSuchObject pending when there is none.
  virtual std::unique_ptr<DirObject> BindGuid(const QString& domain, const QString& guid,
                                              PendingError& err) = 0;
  // Deletes the stored object obj at once; one that still has children gives
  // kErrNotLeaf. A deleted object leaves every group it was a member of.
  virtual void DeleteObject(const DirObject& obj, PendingError& err) = 0;
  // Removes the object at memberPath from group at once; one that is not a
  // member gives kErrNoAttributeOrValue.
  virtual void RemoveMember(DirObject& group, const QString& memberPath, PendingError& err) = 0;
};

}  // namespace quill
