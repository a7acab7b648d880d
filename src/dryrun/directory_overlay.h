#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <optional>

#include "core/directory_service.h"

namespace quill {

// A view of a real directory that keeps every change in memory: reads go to
// the real directory and then to what this view has "written"; nothing is
// ever written to the real one. It refuses what Active Directory (and the
// sandbox) refuse for the outcome of a run: a name taken in its container, a
// sAMAccountName taken in the domain (asked of the real directory with an
// escaped filter) or holding a character a domain refuses, a child without its
// parent, an empty value, a member added twice, a global group nested in a
// global group in a mixed-mode domain, and a password the domain's policy
// (minPwdLength, the complexity bit of pwdProperties) refuses.
class DirectoryOverlay : public DirectoryService {
 public:
  explicit DirectoryOverlay(DirectoryService& real);

  // What this view was asked to change.
  struct Tally {
    int ous = 0, accounts = 0, groups = 0, otherObjects = 0, memberships = 0;
    int deleted = 0, membershipsRemoved = 0;
  };
  const Tally& tally() const { return m_tally; }

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
  // An object this view made, or a real one it changed.
  struct Object {
    QString dn;
    QString parentNdn;
    QString objectClass;
    QHash<QString, QStringList> values;  // by lower-case attribute name
    bool made = false;                   // false: a real object with changes
  };

  // The object of ndn as this view sees it: nullopt when there is none.
  // *object is set when this view holds it.
  bool exists(const QString& host, const QString& dn, Object** object);
  Object* held(const QString& ndn);
  // The first value of attribute of the object at dn, as this view sees it.
  QString valueOf(const QString& host, const QString& dn, const QString& attribute);
  bool isMember(const QString& host, const QString& groupDn, const QString& memberDn);
  bool isGlobalGroup(const QString& host, const QString& dn);
  // The domain root's value of attribute (read once).
  QString rootValue(const QString& host, const QString& dn, const QString& attribute);
  bool accountNameTaken(const QString& domain, const QString& name);
  void store(Object& object, const DirObject& changes);

  DirectoryService& m_real;
  QHash<QString, Object> m_objects;                // by normalized DN
  QSet<QString> m_deleted;                         // real objects this view deleted
  QHash<QString, QSet<QString>> m_addedMembers;    // group ndn -> member ndns
  QHash<QString, QSet<QString>> m_removedMembers;  // group ndn -> member ndns
  QHash<QString, QString> m_accountNames;          // case-folded sAMAccountName -> ndn
  QHash<QString, bool> m_realExists;               // by normalized DN, as asked once
  QHash<QString, QString> m_rootValues;            // by attribute name
  Tally m_tally;
};

}  // namespace quill
