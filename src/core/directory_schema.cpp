#include "core/directory_schema.h"

namespace quill {

QStringList objectClassesForNew(const QString& objectClass) {
  const auto is = [&](QStringView name) {
    return objectClass.compare(name, Qt::CaseInsensitive) == 0;
  };
  // Literals: every entry of the sandbox refers to the same few strings.
  const QString top = QStringLiteral("top");
  const QString person = QStringLiteral("person");
  const QString organizationalPerson = QStringLiteral("organizationalPerson");
  const QString user = QStringLiteral("user");
  if (is(u"user")) return {top, person, organizationalPerson, user};
  if (is(u"computer")) return {top, person, organizationalPerson, user, QStringLiteral("computer")};
  if (is(u"organizationalUnit")) return {top, QStringLiteral("organizationalUnit")};
  if (is(u"group")) return {top, QStringLiteral("group")};
  if (is(u"container")) return {top, QStringLiteral("container")};
  if (is(u"domainDNS")) return {top, QStringLiteral("domain"), QStringLiteral("domainDNS")};
  return {top, objectClass};
}

qint64 withAccountDisabled(qint64 userAccountControl, bool disabled) {
  return disabled ? (userAccountControl | kAccountDisabledFlag)
                  : (userAccountControl & ~kAccountDisabledFlag);
}

qint64 accountControlAfter(qint64 userAccountControl, bool disabled, bool passwordSet) {
  const qint64 uac = withAccountDisabled(userAccountControl, disabled);
  return passwordSet ? (uac & ~kPasswordNotRequiredFlag) : uac;
}

bool refuseEmptyValues(const DirObject& changes, PendingError& err) {
  for (const StagedValue& s : changes.staged) {
    if (s.values.isEmpty() || s.values.contains(QString())) {
      err.set(kErrConstraintViolation,
              defaultErrorDescription(kErrConstraintViolation) +
                  QStringLiteral(" The value of %1 is empty.").arg(s.attribute));
      return false;
    }
  }
  return true;
}

}  // namespace quill
