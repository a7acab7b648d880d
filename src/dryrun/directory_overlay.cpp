#include "dryrun/directory_overlay.h"

#include "core/ads_path.h"
#include "core/directory_schema.h"
#include "core/dn.h"
#include "core/names.h"

namespace quill {

namespace {

void fail(PendingError& err, uint32_t number, const QString& detail = {}) {
  QString text = defaultErrorDescription(number);
  if (!detail.isEmpty()) text += u' ' + detail;
  err.set(number, text);
}

// The DC= parts of dn: the domain's root DN and its DNS name.
QString rootDnOf(const QString& dn) {
  const std::optional<std::vector<Rdn>> rdns = parseDn(dn);
  if (!rdns) return {};
  std::vector<Rdn> root;
  for (const Rdn& rdn : *rdns) {
    if (rdn.size() == 1 && rdn.front().type.compare(u"DC", Qt::CaseInsensitive) == 0) {
      root.push_back(rdn);
    }
  }
  return formatDn(root);
}

QString domainOfDn(const QString& dn) {
  QStringList labels;
  for (const Rdn& rdn : parseDn(rootDnOf(dn)).value_or(std::vector<Rdn>{})) {
    labels << rdn.front().value;
  }
  return labels.join(u'.');
}

QString key(const QString& attribute) { return attribute.toLower(); }

}  // namespace

DirectoryOverlay::DirectoryOverlay(DirectoryService& real) : m_real(real) {}

DirectoryOverlay::Object* DirectoryOverlay::held(const QString& ndn) {
  auto it = m_objects.find(ndn);
  return it == m_objects.end() ? nullptr : &*it;
}

bool DirectoryOverlay::exists(const QString& host, const QString& dn, Object** object) {
  const QString ndn = normalizeDn(dn);
  if (object != nullptr) *object = nullptr;
  if (ndn.isEmpty() || m_deleted.contains(ndn)) return false;
  if (Object* o = held(ndn)) {
    if (object != nullptr) *object = o;
    return true;
  }
  auto known = m_realExists.constFind(ndn);
  if (known != m_realExists.constEnd()) return *known;
  PendingError ignored;
  const bool found = m_real.Bind(makeAdsPath(host, dn), ignored) != nullptr;
  m_realExists.insert(ndn, found);
  return found;
}

QString DirectoryOverlay::valueOf(const QString& host, const QString& dn,
                                  const QString& attribute) {
  Object* o = nullptr;
  if (!exists(host, dn, &o)) return {};
  if (o != nullptr) {
    const auto v = o->values.constFind(key(attribute));
    if (v != o->values.constEnd()) return v->value(0);
    if (o->made) return {};
  }
  PendingError ignored;
  std::unique_ptr<DirObject> real = m_real.Bind(makeAdsPath(host, dn), ignored);
  return real ? m_real.Get(*real, attribute, ignored) : QString();
}

QString DirectoryOverlay::rootValue(const QString& host, const QString& dn,
                                    const QString& attribute) {
  auto cached = m_rootValues.constFind(attribute);
  if (cached != m_rootValues.constEnd()) return *cached;
  const QString value = valueOf(host, rootDnOf(dn), attribute);
  m_rootValues.insert(attribute, value);
  return value;
}

bool DirectoryOverlay::isMember(const QString& host, const QString& groupDn,
                                const QString& memberDn) {
  const QString group = normalizeDn(groupDn);
  const QString member = normalizeDn(memberDn);
  if (m_removedMembers.value(group).contains(member)) return false;
  if (m_addedMembers.value(group).contains(member)) return true;
  Object* o = held(group);
  if (o != nullptr && o->made) return false;
  DirObject real;
  real.host = host;
  real.dn = groupDn;
  PendingError ignored;
  return m_real.HasMember(real, memberDn, ignored);
}

bool DirectoryOverlay::isGlobalGroup(const QString& host, const QString& dn) {
  Object* o = nullptr;
  if (!exists(host, dn, &o)) return false;
  QString objectClass = o != nullptr && o->made ? o->objectClass : QString();
  if (objectClass.isEmpty()) {
    PendingError ignored;
    if (std::unique_ptr<DirObject> real = m_real.Bind(makeAdsPath(host, dn), ignored)) {
      objectClass = real->objectClass;
    }
  }
  return objectClass.compare(u"group", Qt::CaseInsensitive) == 0 &&
         (valueOf(host, dn, QStringLiteral("groupType")).toLongLong() & 0x2) != 0;
}

bool DirectoryOverlay::accountNameTaken(const QString& domain, const QString& name) {
  return m_accountNames.contains(name.toCaseFolded()) || m_real.AccountNameTaken(domain, name);
}

void DirectoryOverlay::store(Object& object, const DirObject& changes) {
  for (const StagedValue& s : changes.staged) object.values.insert(key(s.attribute), s.values);
  if (changes.accountDisabled || changes.password) {
    const QString current = object.values.value(key(QStringLiteral("userAccountControl"))).value(0);
    qint64 uac = current.isEmpty() ? kNewUserAccountControl : current.toLongLong();
    uac = accountControlAfter(uac,
                              changes.accountDisabled.value_or((uac & kAccountDisabledFlag) != 0),
                              changes.password.has_value());
    object.values.insert(key(QStringLiteral("userAccountControl")), {QString::number(uac)});
  }
}

std::unique_ptr<DirObject> DirectoryOverlay::Bind(const QString& path, PendingError& err) {
  const AdsPath parsed = parseAdsPath(path);
  const QString ndn = normalizeDn(parsed.dn);
  if (!ndn.isEmpty() && m_deleted.contains(ndn)) {
    fail(err, kErrNoSuchObject);
    return nullptr;
  }
  if (Object* o = held(ndn); o != nullptr && o->made) {
    auto obj = std::make_unique<DirObject>();
    obj->host = parsed.host;
    obj->dn = o->dn;
    obj->objectClass = o->objectClass;
    return obj;
  }
  return m_real.Bind(path, err);
}

void DirectoryOverlay::SetInfo(DirObject& obj, PendingError& err) {
  const DirObject changes = obj.takeStaged();
  if (!refuseEmptyValues(changes, err)) return;
  const QString ndn = normalizeDn(obj.dn);
  Object* object = nullptr;
  const bool found = exists(obj.host, obj.dn, &object);
  const std::optional<QString> sam = changes.stagedValue(QStringLiteral("sAMAccountName"));
  if (obj.isNew) {
    if (!exists(obj.host, parentDn(obj.dn), nullptr)) return fail(err, kErrNoSuchObject);
    if (found) return fail(err, kErrAlreadyExists);
  } else if (!found) {
    return fail(err, kErrNoSuchObject);
  }
  if (sam && !isValidAccountName(*sam)) {
    return fail(err, kErrConstraintViolation,
                QStringLiteral("The sAMAccountName holds a character a domain refuses."));
  }
  if (sam && accountNameTaken(domainOfDn(obj.dn), *sam)) return fail(err, kErrAlreadyExists);
  if (changes.password) {
    const QString accountName =
        sam ? *sam : valueOf(obj.host, obj.dn, QStringLiteral("sAMAccountName"));
    const QString problem = passwordPolicyProblem(
        *changes.password, rootValue(obj.host, obj.dn, QStringLiteral("minPwdLength")).toInt(),
        (rootValue(obj.host, obj.dn, QStringLiteral("pwdProperties")).toLongLong() &
         kPasswordComplexFlag) != 0,
        accountName);
    if (!problem.isEmpty()) return fail(err, kErrUnwillingToPerform, problem);
  }

  if (obj.isNew) {
    Object made;
    made.dn = obj.dn;
    made.parentNdn = normalizeDn(parentDn(obj.dn));
    made.objectClass = obj.objectClass;
    made.made = true;
    made.values.insert(key(QStringLiteral("objectClass")), objectClassesForNew(obj.objectClass));
    const bool isUser = obj.objectClass.compare(u"user", Qt::CaseInsensitive) == 0;
    const bool isGroup = obj.objectClass.compare(u"group", Qt::CaseInsensitive) == 0;
    if (isUser) {
      made.values.insert(key(QStringLiteral("userAccountControl")),
                         {QString::number(kNewUserAccountControl)});
      ++m_tally.accounts;
    } else if (isGroup) {
      made.values.insert(key(QStringLiteral("groupType")), {QString::number(kNewGroupType)});
      ++m_tally.groups;
    } else if (obj.objectClass.compare(u"organizationalUnit", Qt::CaseInsensitive) == 0) {
      ++m_tally.ous;
    } else {
      ++m_tally.otherObjects;
    }
    object = &*m_objects.insert(ndn, std::move(made));
    obj.isNew = false;
  } else if (object == nullptr) {
    Object changed;
    changed.dn = obj.dn;
    changed.objectClass = obj.objectClass;
    object = &*m_objects.insert(ndn, std::move(changed));
  }
  store(*object, changes);
  if (sam) m_accountNames.insert(sam->toCaseFolded(), ndn);
}

QString DirectoryOverlay::Get(const DirObject& obj, const QString& attribute, PendingError& err) {
  if (std::optional<QString> staged = obj.stagedValue(attribute)) return *staged;
  if (obj.isNew) {
    fail(err, kErrPropertyNotFound);
    return {};
  }
  Object* o = nullptr;
  if (!exists(obj.host, obj.dn, &o)) {
    fail(err, kErrNoSuchObject);
    return {};
  }
  if (o != nullptr) {
    if (attribute.compare(u"distinguishedName", Qt::CaseInsensitive) == 0) return o->dn;
    const auto v = o->values.constFind(key(attribute));
    if (v != o->values.constEnd() && !v->isEmpty()) return v->front();
    if (o->made) {
      fail(err, kErrPropertyNotFound);
      return {};
    }
  }
  return m_real.Get(obj, attribute, err);
}

std::vector<ChildObject> DirectoryOverlay::Children(const DirObject& container, PendingError& err) {
  std::vector<ChildObject> children;
  Object* o = nullptr;
  if (container.isNew || !exists(container.host, container.dn, &o)) {
    fail(err, kErrNoSuchObject);
    return children;
  }
  if (o == nullptr || !o->made) {
    for (ChildObject& child : m_real.Children(container, err)) {
      if (!m_deleted.contains(normalizeDn(child.dn))) children.push_back(std::move(child));
    }
  }
  const QString ndn = normalizeDn(container.dn);
  for (const Object& made : m_objects) {
    if (made.made && made.parentNdn == ndn) {
      children.push_back(ChildObject{made.dn, firstRdnText(made.dn), made.objectClass});
    }
  }
  return children;
}

void DirectoryOverlay::Add(DirObject& group, const QString& memberPath, PendingError& err) {
  const AdsPath member = parseAdsPath(memberPath);
  if (group.isNew || !exists(group.host, group.dn, nullptr)) return fail(err, kErrNoSuchObject);
  if (!member.valid) return fail(err, kErrInvalidDnSyntax);
  const QString memberHost = member.host.isEmpty() ? group.host : member.host;
  if (!exists(memberHost, member.dn, nullptr)) return fail(err, kErrNoSuchObject);
  if (isMember(group.host, group.dn, member.dn)) return fail(err, kErrAlreadyExists);
  if (rootValue(group.host, group.dn, QStringLiteral("nTMixedDomain")) == u"1" &&
      isGlobalGroup(group.host, group.dn) && isGlobalGroup(memberHost, member.dn)) {
    return fail(err, kErrUnwillingToPerform);
  }
  const QString groupNdn = normalizeDn(group.dn);
  const QString memberNdn = normalizeDn(member.dn);
  m_removedMembers[groupNdn].remove(memberNdn);
  m_addedMembers[groupNdn].insert(memberNdn);
  ++m_tally.memberships;
}

bool DirectoryOverlay::AccountExists(const QString& domain, const QString& name) {
  if (name.isEmpty()) return false;
  return m_accountNames.contains(name.toCaseFolded()) ||
         m_accountNames.contains((name + u'$').toCaseFolded()) ||
         m_real.AccountExists(domain, name);
}

bool DirectoryOverlay::HasMember(const DirObject& group, const QString& memberDn,
                                 PendingError& err) {
  if (group.isNew || !exists(group.host, group.dn, nullptr)) {
    fail(err, kErrNoSuchObject);
    return false;
  }
  return isMember(group.host, group.dn, memberDn);
}

QStringList DirectoryOverlay::Members(const DirObject& group, PendingError& err) {
  Object* o = nullptr;
  if (group.isNew || !exists(group.host, group.dn, &o)) {
    fail(err, kErrNoSuchObject);
    return {};
  }
  const QString groupNdn = normalizeDn(group.dn);
  QStringList members;
  QSet<QString> seen;
  if (o == nullptr || !o->made) {
    for (const QString& dn : m_real.Members(group, err)) {
      const QString ndn = normalizeDn(dn);
      if (!m_removedMembers.value(groupNdn).contains(ndn)) {
        members << dn;
        seen.insert(ndn);
      }
    }
  }
  for (const QString& ndn : m_addedMembers.value(groupNdn)) {
    if (!seen.contains(ndn)) members << ndn;
  }
  return members;
}

bool DirectoryOverlay::AccountNameTaken(const QString& domain, const QString& name) {
  return !name.isEmpty() && accountNameTaken(domain, name);
}

QString DirectoryOverlay::ObjectGuid(const DirObject& obj, PendingError& err) {
  Object* o = nullptr;
  if (obj.isNew || !exists(obj.host, obj.dn, &o)) {
    fail(err, kErrNoSuchObject);
    return {};
  }
  if (o != nullptr && o->made) {
    fail(err, kErrPropertyNotFound);  // an object that does not exist has no identity yet
    return {};
  }
  return m_real.ObjectGuid(obj, err);
}

std::unique_ptr<DirObject> DirectoryOverlay::BindGuid(const QString& domain, const QString& guid,
                                                      PendingError& err) {
  std::unique_ptr<DirObject> obj = m_real.BindGuid(domain, guid, err);
  if (obj && m_deleted.contains(normalizeDn(obj->dn))) {
    fail(err, kErrNoSuchObject);
    return nullptr;
  }
  return obj;
}

void DirectoryOverlay::DeleteObject(const DirObject& obj, PendingError& err) {
  Object* o = nullptr;
  if (obj.isNew || !exists(obj.host, obj.dn, &o)) return fail(err, kErrNoSuchObject);
  PendingError ignored;
  if (!Children(obj, ignored).empty()) return fail(err, kErrNotLeaf);
  const QString ndn = normalizeDn(obj.dn);
  if (o != nullptr && o->made) {
    const QString sam = o->values.value(key(QStringLiteral("sAMAccountName"))).value(0);
    if (!sam.isEmpty()) m_accountNames.remove(sam.toCaseFolded());
  } else {
    m_deleted.insert(ndn);  // the server's object, hidden from now on
  }
  m_objects.remove(ndn);
  ++m_tally.deleted;
}

void DirectoryOverlay::RemoveMember(DirObject& group, const QString& memberPath,
                                    PendingError& err) {
  const AdsPath member = parseAdsPath(memberPath);
  if (group.isNew || !exists(group.host, group.dn, nullptr)) return fail(err, kErrNoSuchObject);
  if (!member.valid) return fail(err, kErrInvalidDnSyntax);
  if (!isMember(group.host, group.dn, member.dn)) return fail(err, kErrNoAttributeOrValue);
  const QString groupNdn = normalizeDn(group.dn);
  const QString memberNdn = normalizeDn(member.dn);
  m_addedMembers[groupNdn].remove(memberNdn);
  m_removedMembers[groupNdn].insert(memberNdn);
  ++m_tally.membershipsRemoved;
}

}  // namespace quill
