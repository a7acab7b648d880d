#include "sandbox/memory_directory.h"

#include <QUuid>

#include "core/ads_path.h"
#include "core/directory_schema.h"
#include "core/dn.h"
#include "core/names.h"
#include "sandbox/entry_store.h"
#include "sandbox/ldif.h"
#include "sandbox/password_hash.h"
#include "sandbox/sandbox_changes.h"

namespace quill {

namespace {

// Schema spellings, so names staged in any letter case are stored alike.
// UTF-16 literals: every entry's attribute names and classes refer to them
// (literal()) instead of each entry holding its own copies of the same words.
// clang-format off
constexpr QStringView kKnownAttributes[] = {
    u"objectClass", u"cn", u"ou", u"dc", u"sAMAccountName", u"userPrincipalName", u"displayName",
    u"givenName", u"sn", u"description", u"telephoneNumber", u"mail", u"pwdLastSet",
    u"userAccountControl", u"groupType", u"member", u"userPassword", u"unicodePwd",
    u"distinguishedName", u"nTMixedDomain", u"minPwdLength", u"objectGUID", u"pwdProperties"};
// clang-format on

// A string over text of static storage (a literal): no copy, no allocation.
QString literal(QStringView text) { return QString::fromRawData(text.data(), text.size()); }

QString newGuid() { return QUuid::createUuid().toString(QUuid::WithBraces); }

// Attributes the directory maintains itself: the DN, the class, members
// (through Add) and passwords (through SetPassword, stored only hashed).
constexpr const char* kProtectedAttributes[] = {"distinguishedName", "objectClass", "member",
                                                "userPassword",      "unicodePwd",  "objectGUID"};

QString canonicalAttribute(const QString& name) {
  for (QStringView known : kKnownAttributes) {
    if (name.compare(known, Qt::CaseInsensitive) == 0) return literal(known);
  }
  return name;
}

bool isProtected(const QString& name) {
  for (const char* p : kProtectedAttributes) {
    if (name.compare(QLatin1StringView(p), Qt::CaseInsensitive) == 0) return true;
  }
  return false;
}

void fail(PendingError& err, uint32_t number, const QString& detail = {}) {
  QString text = defaultErrorDescription(number);
  if (!detail.isEmpty()) text += u' ' + detail;
  err.set(number, text);
}

bool hostServes(const QString& host, const QString& domain) {
  return host.compare(domain, Qt::CaseInsensitive) == 0 ||
         host.endsWith(u'.' + domain, Qt::CaseInsensitive);
}

void setPlanned(std::vector<DirAttribute>& plan, const QString& name, const QStringList& values) {
  for (DirAttribute& a : plan) {
    if (a.name == name) {
      a.values = values;
      return;
    }
  }
  plan.push_back(DirAttribute{name, values});
}

const DirAttribute* findPlanned(const std::vector<DirAttribute>& plan, const QString& name) {
  for (const DirAttribute& a : plan) {
    if (a.name == name) return &a;
  }
  return nullptr;
}

// Checks what changes holds against entry (whose first RDN is rdn) and turns
// it into replace operations. false with the error pending when refused; the
// entry is not touched either way.
bool planChanges(const EntryStore& store, const DirEntry& entry, const Rdn& rdn,
                 const DirObject& changes, std::vector<DirAttribute>& plan, PendingError& err) {
  if (!refuseEmptyValues(changes, err)) return false;
  for (const StagedValue& s : changes.staged) {
    const QString name = canonicalAttribute(s.attribute);
    if (isProtected(name)) {
      fail(err, kErrUnwillingToPerform, name + QStringLiteral(" cannot be written this way."));
      return false;
    }
    for (const RdnPart& part : rdn) {
      if (part.type.compare(name, Qt::CaseInsensitive) != 0) continue;
      if (s.values.size() != 1 ||
          normalizeRdn({{part.type, s.values[0]}}) != normalizeRdn({{part.type, part.value}})) {
        fail(err, kErrGeneric, QStringLiteral("%1 is the object's name.").arg(name));
        return false;
      }
    }
    setPlanned(plan, name, s.values);
  }

  const bool isUser = entry.hasClass(u"user");
  if ((changes.accountDisabled || changes.password) && !isUser) {
    fail(err, kErrUnwillingToPerform, QStringLiteral("The object is not a user account."));
    return false;
  }
  if (changes.accountDisabled) {
    const QString uacName = QStringLiteral("userAccountControl");
    const DirAttribute* planned = findPlanned(plan, uacName);
    bool ok = false;
    qint64 uac = (planned ? planned->values.front() : entry.first(uacName)).toLongLong(&ok);
    if (!ok) uac = kNewUserAccountControl;
    uac = accountControlAfter(uac, *changes.accountDisabled, changes.password.has_value());
    setPlanned(plan, uacName, {QString::number(uac)});
  }

  if (const DirAttribute* sam = findPlanned(plan, QStringLiteral("sAMAccountName"));
      sam && !isValidAccountName(sam->values.front())) {
    fail(err, kErrConstraintViolation,
         QStringLiteral("The sAMAccountName holds a character a domain refuses."));
    return false;
  }
  if (const DirAttribute* sam = findPlanned(plan, QStringLiteral("sAMAccountName"));
      sam && entry.isAccount()) {
    const DirEntry* holder = store.findAccount(sam->values.front());
    if (holder != nullptr && holder != &entry) {
      fail(err, kErrAlreadyExists);
      return false;
    }
  }

  if (changes.password) {
    const DirEntry* root = store.root();
    const int minLength = root ? root->first(u"minPwdLength").toInt() : 0;
    const bool complex =
        root && (root->first(u"pwdProperties").toLongLong() & kPasswordComplexFlag) != 0;
    const DirAttribute* sam = findPlanned(plan, QStringLiteral("sAMAccountName"));
    const QString problem =
        passwordPolicyProblem(*changes.password, minLength, complex,
                              sam ? sam->values.front() : entry.first(u"sAMAccountName"));
    if (!problem.isEmpty()) {
      fail(err, kErrUnwillingToPerform, problem);
      return false;
    }
    setPlanned(plan, QStringLiteral("userPassword"), {hashPassword(*changes.password)});
  }
  return true;
}

void applyPlan(EntryStore& store, DirEntry& entry, bool stored,
               const std::vector<DirAttribute>& plan) {
  for (const DirAttribute& a : plan) {
    if (stored && entry.isAccount() && a.name == u"sAMAccountName") {
      store.renameAccount(entry, entry.first(a.name), a.values.front());
    }
    entry.set(a.name, a.values);
  }
}

}  // namespace

MemoryDirectory::MemoryDirectory(const QString& domainFqdn)
    : m_domainFqdn(domainFqdn), m_store(std::make_unique<EntryStore>()) {
  QStringList parts;
  for (const QString& label : domainFqdn.split(u'.', Qt::SkipEmptyParts)) {
    parts.append(QStringLiteral("DC=") + escapeDnValue(label));
  }
  m_rootDn = parts.join(u',');
}

MemoryDirectory::~MemoryDirectory() = default;

void MemoryDirectory::addEntry(const QString& dn,
                               const std::vector<std::pair<QString, QStringList>>& attributes) {
  const std::optional<DnKeys> keys = dnKeys(dn);
  if (!keys || m_store->find(keys->ndn) != nullptr) return;
  DirEntry* parent = m_store->find(keys->parentNdn);
  if (parent == nullptr && m_store->root() != nullptr) return;
  auto entry = std::make_unique<DirEntry>();
  entry->dn = dn;
  entry->ndn = keys->ndn;
  for (const auto& [name, values] : attributes) entry->set(name, values);
  if (const QStringList* members = entry->find(u"member")) {
    for (const QString& m : *members) entry->memberKeys.insert(normalizeDn(m));
  }
  entry->set(QStringLiteral("objectGUID"), {newGuid()});
  m_store->insert(std::move(entry), parent);
}

void MemoryDirectory::addBaseEntries() {
  const QString root = m_rootDn;
  const QString users = QStringLiteral("CN=Users,") + root;
  const QString top = QStringLiteral("top");
  const QString group = QString::number(kNewGroupType);
  const QStringList userClasses = objectClassesForNew(QStringLiteral("user"));
  addEntry(root, {{"objectClass", objectClassesForNew(QStringLiteral("domainDNS"))},
                  {"dc", {m_domainFqdn.section(u'.', 0, 0)}},
                  {"nTMixedDomain", {"0"}}});
  addEntry(users, {{"objectClass", {top, "container"}}, {"cn", {"Users"}}});
  addEntry("CN=Computers," + root, {{"objectClass", {top, "container"}}, {"cn", {"Computers"}}});
  addEntry("CN=Builtin," + root, {{"objectClass", {top, "builtinDomain"}}, {"cn", {"Builtin"}}});
  addEntry("OU=Domain Controllers," + root,
           {{"objectClass", {top, "organizationalUnit"}}, {"ou", {"Domain Controllers"}}});
  addEntry("CN=Administrator," + users,
           {{"objectClass", userClasses},
            {"cn", {"Administrator"}},
            {"sAMAccountName", {"Administrator"}},
            {"userAccountControl", {QString::number(kEnabledUserAccountControl)}}});
  addEntry("CN=Guest," + users,
           {{"objectClass", userClasses},
            {"cn", {"Guest"}},
            {"sAMAccountName", {"Guest"}},
            {"userAccountControl", {QString::number(kNewUserAccountControl)}}});
  addEntry("CN=Domain Admins," + users, {{"objectClass", {top, "group"}},
                                         {"cn", {"Domain Admins"}},
                                         {"sAMAccountName", {"Domain Admins"}},
                                         {"groupType", {group}},
                                         {"member", {"CN=Administrator," + users}}});
  addEntry("CN=Domain Users," + users, {{"objectClass", {top, "group"}},
                                        {"cn", {"Domain Users"}},
                                        {"sAMAccountName", {"Domain Users"}},
                                        {"groupType", {group}}});
}

QByteArray MemoryDirectory::toLdif() const { return m_store->toLdif(); }

bool MemoryDirectory::fromLdif(const QByteArray& ldif, QString* error) {
  QString domain;
  QString reason;
  std::unique_ptr<EntryStore> store = EntryStore::fromLdif(ldif, &domain, &reason);
  if (!store) {
    if (error) *error = reason;
    return false;
  }
  m_store = std::move(store);
  m_domainFqdn = domain;
  m_rootDn = m_store->root()->dn;
  return true;
}

bool MemoryDirectory::contains(const QString& dn) const {
  return m_store->find(normalizeDn(dn)) != nullptr;
}

QStringList MemoryDirectory::values(const QString& dn, const QString& attribute) const {
  const DirEntry* e = m_store->find(normalizeDn(dn));
  const QStringList* v = e ? e->find(attribute) : nullptr;
  return v ? *v : QStringList();
}

QStringList MemoryDirectory::childDns(const QString& dn) const {
  QStringList result;
  if (const DirEntry* e = m_store->find(normalizeDn(dn))) {
    for (const DirEntry* child : e->children) result.append(child->dn);
  }
  return result;
}

int MemoryDirectory::entryCount() const { return m_store->size(); }

bool MemoryDirectory::checkPassword(const QString& dn, const QString& password) const {
  const DirEntry* e = m_store->find(normalizeDn(dn));
  const QStringList* stored = e ? e->find(u"userPassword") : nullptr;
  if (stored == nullptr) return false;
  for (const QString& value : *stored) {
    if (verifyPassword(value, password)) return true;
  }
  return false;
}

DirEntry* MemoryDirectory::resolve(const QString& path, PendingError& err) const {
  const AdsPath parsed = parseAdsPath(path);
  if (!parsed.valid) {
    fail(err, kErrInvalidDnSyntax);
    return nullptr;
  }
  if (!parsed.host.isEmpty() && !hostServes(parsed.host, m_domainFqdn)) {
    fail(err, kErrServerDown);
    return nullptr;
  }
  const QString key = normalizeDn(parsed.dn.isEmpty() ? m_rootDn : parsed.dn);
  if (key.isEmpty()) {
    fail(err, kErrInvalidDnSyntax);
    return nullptr;
  }
  DirEntry* e = m_store->find(key);
  if (e == nullptr) fail(err, kErrNoSuchObject);
  return e;
}

void MemoryDirectory::reported(const DirEntry& entry) {
  if (m_changes != nullptr) m_changes->entryStored(EntryStore::entryLdif(entry));
}

void MemoryDirectory::reportHeldChange() { reportHeldChangeUnless(nullptr); }

void MemoryDirectory::reportHeldChangeUnless(const DirObject* obj) {
  if (m_heldNdn.isEmpty()) return;
  if (obj != nullptr && !obj->isNew && normalizeDn(obj->dn) == m_heldNdn) return;
  if (const DirEntry* held = m_store->find(m_heldNdn)) reported(*held);
  m_heldNdn.clear();
}

bool MemoryDirectory::replayEntry(const QByteArray& ldifRecord, QString* error) {
  std::optional<std::vector<LdifRecord>> records = parseLdif(ldifRecord, error);
  if (!records || records->size() != 1) {
    if (records) *error = QStringLiteral("not one entry");
    return false;
  }
  return m_store->store(records->front(), EntryStore::Place::Replace, error);
}

bool MemoryDirectory::replayMember(const QString& groupDn, const QString& memberDn,
                                   QString* error) {
  DirEntry* g = m_store->find(normalizeDn(groupDn));
  if (g == nullptr || normalizeDn(memberDn).isEmpty()) {
    *error = QStringLiteral("member of a group that is not there: %1").arg(groupDn);
    return false;
  }
  m_store->addMember(*g, memberDn);
  return true;
}

void MemoryDirectory::replayDelete(const QString& dn) {
  DirEntry* e = m_store->find(normalizeDn(dn));
  if (e != nullptr && e->children.empty()) m_store->remove(e);
}

void MemoryDirectory::replayRemoveMember(const QString& groupDn, const QString& memberDn) {
  if (DirEntry* g = m_store->find(normalizeDn(groupDn)))
    m_store->removeMember(*g, normalizeDn(memberDn));
}

std::unique_ptr<DirObject> MemoryDirectory::Bind(const QString& path, PendingError& err) {
  reportHeldChange();
  const DirEntry* e = resolve(path, err);
  if (e == nullptr) return nullptr;
  auto obj = std::make_unique<DirObject>();
  obj->host = parseAdsPath(path).host;
  obj->dn = e->dn;
  obj->objectClass = e->objectClass();
  return obj;
}

void MemoryDirectory::SetInfo(DirObject& obj, PendingError& err) {
  reportHeldChangeUnless(&obj);
  DirObject changes = obj.takeStaged();
  if (m_readOnly) {
    fail(err, kErrAccessDenied);
    return;
  }
  if (obj.isNew) {
    createEntry(obj, changes, err);
  } else {
    modifyEntry(obj, changes, err);
  }
}

void MemoryDirectory::createEntry(DirObject& obj, DirObject& changes, PendingError& err) {
  const std::optional<DnKeys> keys = dnKeys(obj.dn);
  if (!keys) {
    fail(err, kErrInvalidDnSyntax);
    return;
  }
  DirEntry* parent = keys->parentNdn.isEmpty() ? nullptr : m_store->find(keys->parentNdn);
  if (parent == nullptr) {
    fail(err, kErrNoSuchObject);
    return;
  }
  if (m_store->find(keys->ndn) != nullptr) {
    fail(err, kErrAlreadyExists);
    return;
  }

  auto entry = std::make_unique<DirEntry>();
  entry->dn = keys->rdnText + u',' + parent->dn;
  entry->ndn = keys->ndn;
  entry->set(QStringLiteral("objectClass"), objectClassesForNew(obj.objectClass));
  // The sandbox's own objectGUID: an identity that stays through moves.
  entry->set(QStringLiteral("objectGUID"), {newGuid()});
  for (const RdnPart& part : keys->rdn) entry->add(canonicalAttribute(part.type), part.value);
  if (entry->hasClass(u"user")) {
    entry->set(QStringLiteral("userAccountControl"), {QString::number(kNewUserAccountControl)});
  } else if (entry->hasClass(u"group")) {
    entry->set(QStringLiteral("groupType"), {QString::number(kNewGroupType)});
  }

  std::vector<DirAttribute> plan;
  if (!planChanges(*m_store, *entry, keys->rdn, changes, plan, err)) return;
  applyPlan(*m_store, *entry, false, plan);
  const DirEntry* stored = m_store->insert(std::move(entry), parent);
  obj.dn = stored->dn;
  obj.objectClass = stored->objectClass();
  obj.isNew = false;
  if (stored->hasClass(u"user")) {
    m_heldNdn = stored->ndn;  // reported with the SetInfo that completes it
  } else {
    reported(*stored);
  }
}

void MemoryDirectory::modifyEntry(DirObject& obj, DirObject& changes, PendingError& err) {
  DirEntry* entry = m_store->find(normalizeDn(obj.dn));
  if (entry == nullptr) {
    fail(err, kErrNoSuchObject);
    return;
  }
  if (changes.staged.empty() && !changes.password && !changes.accountDisabled) return;
  const std::optional<DnKeys> keys = dnKeys(entry->dn);
  std::vector<DirAttribute> plan;
  if (!keys || !planChanges(*m_store, *entry, keys->rdn, changes, plan, err)) return;
  applyPlan(*m_store, *entry, true, plan);
  if (entry->ndn == m_heldNdn) m_heldNdn.clear();
  reported(*entry);
}

QString MemoryDirectory::Get(const DirObject& obj, const QString& attribute, PendingError& err) {
  reportHeldChangeUnless(&obj);
  if (std::optional<QString> staged = obj.stagedValue(attribute)) return *staged;
  if (obj.isNew) {
    fail(err, kErrPropertyNotFound);
    return {};
  }
  const DirEntry* e = m_store->find(normalizeDn(obj.dn));
  if (e == nullptr) {
    fail(err, kErrNoSuchObject);
    return {};
  }
  if (attribute.compare(u"distinguishedName", Qt::CaseInsensitive) == 0) return e->dn;
  const QStringList* values = e->find(attribute);
  if (values == nullptr || values->isEmpty()) {
    fail(err, kErrPropertyNotFound);
    return {};
  }
  return values->front();
}

std::vector<ChildObject> MemoryDirectory::Children(const DirObject& container, PendingError& err) {
  reportHeldChange();
  std::vector<ChildObject> result;
  const DirEntry* e = container.isNew ? nullptr : m_store->find(normalizeDn(container.dn));
  if (e == nullptr) {
    fail(err, kErrNoSuchObject);
    return result;
  }
  result.reserve(e->children.size());
  for (const DirEntry* child : e->children) {
    result.push_back(ChildObject{child->dn, firstRdnText(child->dn), child->objectClass()});
  }
  return result;
}

void MemoryDirectory::Add(DirObject& group, const QString& memberPath, PendingError& err) {
  reportHeldChange();
  if (m_readOnly) {
    fail(err, kErrAccessDenied);
    return;
  }
  DirEntry* g = group.isNew ? nullptr : m_store->find(normalizeDn(group.dn));
  if (g == nullptr) {
    fail(err, kErrNoSuchObject);
    return;
  }
  if (!g->hasClass(u"group")) {
    fail(err, kErrGeneric, QStringLiteral("The object is not a group."));
    return;
  }
  const DirEntry* member = resolve(memberPath, err);
  if (member == nullptr) return;
  if (g->memberKeys.contains(member->ndn)) {
    fail(err, kErrAlreadyExists);
    return;
  }
  const DirEntry* root = m_store->root();
  if (root && root->first(u"nTMixedDomain") == u"1" && g->isGlobalGroup() &&
      member->isGlobalGroup()) {
    fail(err, kErrUnwillingToPerform);
    return;
  }
  m_store->addMember(*g, member->dn);
  if (m_changes != nullptr) m_changes->memberAdded(g->dn, member->dn);
}

bool MemoryDirectory::HasMember(const DirObject& group, const QString& memberDn,
                                PendingError& err) {
  reportHeldChange();
  const DirEntry* g = group.isNew ? nullptr : m_store->find(normalizeDn(group.dn));
  if (g == nullptr) {
    fail(err, kErrNoSuchObject);
    return false;
  }
  return g->memberKeys.contains(normalizeDn(memberDn));
}

QStringList MemoryDirectory::Members(const DirObject& group, PendingError& err) {
  reportHeldChange();
  const DirEntry* g = group.isNew ? nullptr : m_store->find(normalizeDn(group.dn));
  if (g == nullptr) {
    fail(err, kErrNoSuchObject);
    return {};
  }
  const QStringList* members = g->find(u"member");
  return members ? *members : QStringList();
}

bool MemoryDirectory::AccountNameTaken(const QString& domain, const QString& name) {
  reportHeldChange();
  return !name.isEmpty() && domain.compare(m_domainFqdn, Qt::CaseInsensitive) == 0 &&
         m_store->findAccount(name) != nullptr;
}

QString MemoryDirectory::ObjectGuid(const DirObject& obj, PendingError& err) {
  reportHeldChangeUnless(&obj);
  const DirEntry* e = obj.isNew ? nullptr : m_store->find(normalizeDn(obj.dn));
  if (e == nullptr) {
    fail(err, kErrNoSuchObject);
    return {};
  }
  const QString guid = e->first(u"objectGUID");
  if (guid.isEmpty()) fail(err, kErrPropertyNotFound);
  return guid;
}

std::unique_ptr<DirObject> MemoryDirectory::BindGuid(const QString& domain, const QString& guid,
                                                     PendingError& err) {
  reportHeldChange();
  const DirEntry* e = domain.compare(m_domainFqdn, Qt::CaseInsensitive) == 0 && !guid.isEmpty()
                          ? m_store->findGuid(guid)
                          : nullptr;
  if (e == nullptr) {
    fail(err, kErrNoSuchObject);
    return nullptr;
  }
  auto obj = std::make_unique<DirObject>();
  obj->host = domain;
  obj->dn = e->dn;
  obj->objectClass = e->objectClass();
  return obj;
}

void MemoryDirectory::DeleteObject(const DirObject& obj, PendingError& err) {
  reportHeldChange();
  if (m_readOnly) {
    fail(err, kErrAccessDenied);
    return;
  }
  DirEntry* e = obj.isNew ? nullptr : m_store->find(normalizeDn(obj.dn));
  if (e == nullptr) {
    fail(err, kErrNoSuchObject);
    return;
  }
  if (!e->children.empty()) {
    fail(err, kErrNotLeaf);
    return;
  }
  const QString dn = e->dn;
  m_store->remove(e);
  if (m_changes != nullptr) m_changes->entryDeleted(dn);
}

void MemoryDirectory::RemoveMember(DirObject& group, const QString& memberPath, PendingError& err) {
  reportHeldChange();
  if (m_readOnly) {
    fail(err, kErrAccessDenied);
    return;
  }
  DirEntry* g = group.isNew ? nullptr : m_store->find(normalizeDn(group.dn));
  const AdsPath member = parseAdsPath(memberPath);
  if (g == nullptr || !member.valid) {
    fail(err, g == nullptr ? kErrNoSuchObject : kErrInvalidDnSyntax);
    return;
  }
  if (!m_store->removeMember(*g, normalizeDn(member.dn))) {
    fail(err, kErrNoAttributeOrValue);
    return;
  }
  if (m_changes != nullptr) m_changes->memberRemoved(g->dn, member.dn);
}

bool MemoryDirectory::AccountExists(const QString& domain, const QString& name) {
  reportHeldChange();
  if (name.isEmpty() || domain.compare(m_domainFqdn, Qt::CaseInsensitive) != 0) return false;
  return m_store->findAccount(name) != nullptr || m_store->findAccount(name + u'$') != nullptr;
}

}  // namespace quill
