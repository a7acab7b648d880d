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

QString passwordPolicyProblem(const QString& password, int minLength, bool complex,
                              const QString& accountName) {
  if (password.size() < minLength) {
    return QStringLiteral(
               "0000052D: The password does not meet the domain's password policy "
               "(at least %1 characters).")
        .arg(minLength);
  }
  if (!complex) return QString();
  bool upper = false, lower = false, digit = false, other = false;
  for (const QChar c : password) {
    upper = upper || c.isUpper();
    lower = lower || c.isLower();
    digit = digit || c.isDigit();
    other = other || !c.isLetterOrNumber();
  }
  const bool holdsName =
      accountName.size() > 2 && password.contains(accountName, Qt::CaseInsensitive);
  if (int(upper) + int(lower) + int(digit) + int(other) < 3 || holdsName) {
    return QStringLiteral(
        "0000052D: The password does not meet the domain's password policy "
        "(not complex enough).");
  }
  return QString();
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
