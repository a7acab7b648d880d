#include "core/directory_service.h"

#include "core/ads_path.h"
#include "core/dn.h"

namespace quill {

std::unique_ptr<DirObject> DirectoryService::Create(const DirObject& container,
                                                    const QString& objectClass, const QString& rdn,
                                                    PendingError& err) {
  const std::optional<std::vector<Rdn>> parsed = parseDn(rdn);
  bool valid = parsed && parsed->size() == 1 && !objectClass.isEmpty();
  // A directory has no object with an empty name; refuse it as a malformed name.
  if (valid) {
    for (const RdnPart& part : parsed->front()) valid = valid && !part.value.isEmpty();
  }
  if (!valid) {
    err.set(kErrInvalidDnSyntax, defaultErrorDescription(kErrInvalidDnSyntax));
    return nullptr;
  }
  auto obj = std::make_unique<DirObject>();
  obj->host = container.host;
  const QString name = firstRdnText(rdn);
  obj->dn = container.dn.isEmpty() ? name : name + u',' + container.dn;
  obj->objectClass = objectClass;
  obj->isNew = true;
  return obj;
}

void DirectoryService::Put(DirObject& obj, const QString& attribute, const QString& value) {
  obj.stage(attribute, {value});
}

void DirectoryService::PutInteger(DirObject& obj, const QString& attribute, qint64 value) {
  obj.stage(attribute, {QString::number(value)});
}

void DirectoryService::SetFullName(DirObject& obj, const QString& value) {
  obj.stage(QStringLiteral("displayName"), {value});
}

void DirectoryService::SetFirstName(DirObject& obj, const QString& value) {
  obj.stage(QStringLiteral("givenName"), {value});
}

void DirectoryService::SetLastName(DirObject& obj, const QString& value) {
  obj.stage(QStringLiteral("sn"), {value});
}

void DirectoryService::SetAccountDisabled(DirObject& obj, bool disabled) {
  obj.accountDisabled = disabled;
}

void DirectoryService::SetPassword(DirObject& obj, const QString& password) {
  obj.password = password;
}

QString DirectoryService::Name(const DirObject& obj) { return firstRdnText(obj.dn); }

QString DirectoryService::Parent(const DirObject& obj) {
  return makeAdsPath(obj.host, parentDn(obj.dn));
}

}  // namespace quill
