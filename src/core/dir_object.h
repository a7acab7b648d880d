#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace quill {

// One attribute value staged by Put and not yet stored.
struct StagedValue {
  QString attribute;
  QStringList values;
};

// A directory object as the caller holds it: either bound (it exists in the
// directory) or created (staged, stored by its first SetInfo). It is a plain
// value owned by the caller; the DirectoryService that produced it does the
// work. Objects never outlive the run that bound them.
class DirObject {
 public:
  QString host;         // server part of the path it was bound through; may be empty
  QString dn;           // distinguished name, RFC 4514 escaped
  QString objectClass;  // last value of objectClass (for a created object: the class given)
  bool isNew = false;   // created and not yet stored by SetInfo

  // Values staged by Put and the user properties, committed by SetInfo.
  std::vector<StagedValue> staged;
  std::optional<QString> password;      // SetPassword, applied at SetInfo
  std::optional<bool> accountDisabled;  // AccountDisabled, applied at SetInfo

  // Stages attribute := value, replacing a value staged earlier for it.
  void stage(const QString& attribute, const QStringList& values);
  // The first value staged for attribute and not yet stored, if any: what a
  // Get sees first, as in the directory client's property cache.
  std::optional<QString> stagedValue(const QString& attribute) const;
  // Moves everything staged into the returned object, so this one holds
  // nothing staged afterwards whether the SetInfo that uses it succeeds or not.
  DirObject takeStaged();
};

// A child of a container as Children lists it.
struct ChildObject {
  QString dn;
  QString name;         // relative name with its prefix, as in "OU=Sales"
  QString objectClass;  // last value of objectClass
};

}  // namespace quill
