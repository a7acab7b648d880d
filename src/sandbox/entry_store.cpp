#include "sandbox/entry_store.h"

#include "sandbox/ldif.h"

namespace quill {

namespace {

QString accountKey(const QString& name) { return name.toCaseFolded(); }

constexpr QStringView kObjectClass = u"objectClass";
constexpr QStringView kSamAccountName = u"sAMAccountName";
constexpr QStringView kMember = u"member";
constexpr QStringView kObjectGuid = u"objectGUID";

// The DC= values of a domain root DN joined by ".", or empty when the DN has
// other parts.
QString domainOfRoot(const QString& dn) {
  const std::optional<std::vector<Rdn>> rdns = parseDn(dn);
  if (!rdns || rdns->empty()) return {};
  QStringList labels;
  for (const Rdn& rdn : *rdns) {
    if (rdn.size() != 1 || rdn[0].type.compare(u"dc", Qt::CaseInsensitive) != 0 ||
        rdn[0].value.isEmpty()) {
      return {};
    }
    labels.append(rdn[0].value);
  }
  return labels.join(u'.');
}

}  // namespace

const QStringList* DirEntry::find(QStringView name) const {
  for (const DirAttribute& a : attributes) {
    if (a.name.compare(name, Qt::CaseInsensitive) == 0) return &a.values;
  }
  return nullptr;
}

QString DirEntry::first(QStringView name) const {
  const QStringList* values = find(name);
  return values && !values->isEmpty() ? values->front() : QString();
}

void DirEntry::set(const QString& name, const QStringList& values) {
  for (DirAttribute& a : attributes) {
    if (a.name.compare(name, Qt::CaseInsensitive) == 0) {
      a.values = values;
      return;
    }
  }
  attributes.push_back(DirAttribute{name, values});
}

void DirEntry::add(const QString& name, const QString& value) {
  for (DirAttribute& a : attributes) {
    if (a.name.compare(name, Qt::CaseInsensitive) == 0) {
      a.values.append(value);
      return;
    }
  }
  attributes.push_back(DirAttribute{name, {value}});
}

QString DirEntry::objectClass() const {
  const QStringList* values = find(kObjectClass);
  return values && !values->isEmpty() ? values->back() : QString();
}

bool DirEntry::hasClass(QStringView objectClass) const {
  const QStringList* values = find(kObjectClass);
  return values && values->contains(objectClass, Qt::CaseInsensitive);
}

bool DirEntry::isAccount() const {
  return hasClass(u"user") || hasClass(u"group") || hasClass(u"computer");
}

bool DirEntry::isGlobalGroup() const {
  return hasClass(u"group") && (first(u"groupType").toLongLong() & 0x2) != 0;
}

std::optional<DnKeys> dnKeys(const QString& dn) {
  const std::optional<std::vector<Rdn>> rdns = parseDn(dn);
  if (!rdns || rdns->empty()) return std::nullopt;
  DnKeys keys;
  for (size_t i = 0; i < rdns->size(); ++i) {
    const QString part = normalizeRdn((*rdns)[i]);
    if (i > 0) keys.ndn += u',';
    keys.ndn += part;
    if (i == 1) {
      keys.parentNdn = part;
    } else if (i > 1) {
      keys.parentNdn += u',' + part;
    }
  }
  keys.rdnText = firstRdnText(dn);
  keys.rdn = rdns->front();
  return keys;
}

DirEntry* EntryStore::findAccount(const QString& name) const {
  return m_accounts.value(accountKey(name), nullptr);
}

DirEntry* EntryStore::insert(std::unique_ptr<DirEntry> entry, DirEntry* parent) {
  DirEntry* e = entry.get();
  e->parent = parent;
  if (parent != nullptr) {
    parent->children.push_back(e);
  } else {
    m_root = e;
  }
  m_byDn.insert(e->ndn, e);
  const QString sam = e->first(kSamAccountName);
  if (e->isAccount() && !sam.isEmpty()) m_accounts.insert(accountKey(sam), e);
  const QString guid = e->first(kObjectGuid);
  if (!guid.isEmpty()) m_byGuid.insert(guid.toLower(), e);
  if (!e->memberKeys.isEmpty()) m_groups.insert(e);
  e->slot = m_entries.size();
  m_entries.push_back(std::move(entry));
  return e;
}

bool EntryStore::addMember(DirEntry& group, const QString& memberDn) {
  const QString key = normalizeDn(memberDn);
  if (key.isEmpty() || group.memberKeys.contains(key)) return false;
  group.add(QStringLiteral("member"), memberDn);
  group.memberKeys.insert(key);
  m_groups.insert(&group);
  return true;
}

bool EntryStore::removeMember(DirEntry& group, const QString& memberNdn) {
  if (!group.memberKeys.remove(memberNdn)) return false;
  for (DirAttribute& a : group.attributes) {
    if (a.name.compare(kMember, Qt::CaseInsensitive) != 0) continue;
    a.values.removeIf([&](const QString& dn) { return normalizeDn(dn) == memberNdn; });
    if (a.values.isEmpty()) {
      group.attributes.erase(group.attributes.begin() + (&a - group.attributes.data()));
    }
    break;
  }
  return true;
}

void EntryStore::remove(DirEntry* entry) {
  if (DirEntry* parent = entry->parent) {
    std::erase(parent->children, entry);
  } else {
    m_root = nullptr;
  }
  for (DirEntry* group : m_groups) removeMember(*group, entry->ndn);
  m_groups.remove(entry);
  m_byDn.remove(entry->ndn);
  const QString sam = entry->first(kSamAccountName);
  if (!sam.isEmpty() && m_accounts.value(accountKey(sam)) == entry)
    m_accounts.remove(accountKey(sam));
  const QString guid = entry->first(kObjectGuid);
  if (!guid.isEmpty()) m_byGuid.remove(guid.toLower());
  // The last entry takes the removed one's slot.
  const size_t slot = entry->slot;
  std::swap(m_entries[slot], m_entries.back());
  m_entries[slot]->slot = slot;
  m_entries.pop_back();
}

void EntryStore::renameAccount(DirEntry& entry, const QString& oldName, const QString& newName) {
  if (!oldName.isEmpty() && m_accounts.value(accountKey(oldName)) == &entry) {
    m_accounts.remove(accountKey(oldName));
  }
  if (!newName.isEmpty()) m_accounts.insert(accountKey(newName), &entry);
}

bool EntryStore::store(const LdifRecord& record, Place place, QString* error) {
  auto fail = [&](const QString& what) {
    *error = QStringLiteral("line %1: %2").arg(record.line).arg(what);
    return false;
  };
  const std::optional<DnKeys> keys = dnKeys(record.dn);
  if (!keys) return fail(QStringLiteral("malformed DN"));
  DirEntry* existing = find(keys->ndn);
  if (existing != nullptr && place != Place::Replace)
    return fail(QStringLiteral("duplicate entry"));

  auto entry = std::make_unique<DirEntry>();
  DirEntry* parent = nullptr;
  if (place == Place::Root) {
    // Not QString::trimmed(): that would cut an escaped blank ("DC=a\ ")
    // and leave a DN that no longer parses.
    entry->dn = dnText(record.dn);
  } else if (existing != nullptr) {
    entry->dn = existing->dn;
  } else {
    parent = find(keys->parentNdn);
    if (parent == nullptr) return fail(QStringLiteral("the parent entry is missing"));
    entry->dn = keys->rdnText + u',' + parent->dn;
  }
  entry->ndn = keys->ndn;

  for (const LdifAttribute& a : record.attributes) {
    if (a.value.isEmpty()) return fail(a.name + QStringLiteral(" has an empty value"));
    if (a.name.compare(u"unicodePwd", Qt::CaseInsensitive) == 0) {
      return fail(QStringLiteral("clear-text passwords are not kept"));
    }
    if (a.name.compare(kMember, Qt::CaseInsensitive) == 0) {
      const QString key = normalizeDn(a.value);
      if (key.isEmpty()) return fail(QStringLiteral("malformed member DN"));
      if (entry->memberKeys.contains(key)) return fail(QStringLiteral("duplicate member"));
      entry->memberKeys.insert(key);
    }
    entry->add(a.name, a.value);
  }
  if (entry->objectClass().isEmpty()) return fail(QStringLiteral("no objectClass"));
  const QString sam = entry->first(kSamAccountName);
  const DirEntry* holder = entry->isAccount() && !sam.isEmpty() ? findAccount(sam) : nullptr;
  if (holder != nullptr && holder != existing) {
    return fail(QStringLiteral("duplicate sAMAccountName"));
  }

  if (existing != nullptr) {
    // Changed in place, so every pointer to it stays valid.
    if (existing->isAccount())
      renameAccount(*existing, existing->first(kSamAccountName), QString());
    m_byGuid.remove(existing->first(kObjectGuid).toLower());
    existing->attributes = std::move(entry->attributes);
    existing->memberKeys = std::move(entry->memberKeys);
    if (existing->isAccount() && !sam.isEmpty()) renameAccount(*existing, QString(), sam);
    const QString guid = existing->first(kObjectGuid);
    if (!guid.isEmpty()) m_byGuid.insert(guid.toLower(), existing);
    if (!existing->memberKeys.isEmpty()) m_groups.insert(existing);
    return true;
  }
  insert(std::move(entry), parent);
  return true;
}

QByteArray EntryStore::entryLdif(const DirEntry& entry) {
  QByteArray out;
  appendLdifLine(out, QStringLiteral("dn"), entry.dn);
  for (const DirAttribute& a : entry.attributes) {
    for (const QString& v : a.values) appendLdifLine(out, a.name, v);
  }
  return out;
}

QByteArray EntryStore::toLdif() const {
  QByteArray out;
  out.reserve(static_cast<qsizetype>(m_entries.size()) * 320 + 64);
  out += "version: 1\n";
  if (m_root == nullptr) return out;
  // Depth first, parents before children, without recursion: a deep tree
  // read from a file must not exhaust the stack.
  std::vector<const DirEntry*> stack{m_root};
  while (!stack.empty()) {
    const DirEntry* e = stack.back();
    stack.pop_back();
    out += '\n';
    out += entryLdif(*e);
    for (auto it = e->children.rbegin(); it != e->children.rend(); ++it) stack.push_back(*it);
  }
  return out;
}

std::unique_ptr<EntryStore> EntryStore::fromLdif(const QByteArray& ldif, QString* domain,
                                                 QString* error) {
  const std::optional<std::vector<LdifRecord>> records = parseLdif(ldif, error);
  if (!records) return nullptr;
  if (records->empty()) {
    *error = QStringLiteral("the file holds no entries");
    return nullptr;
  }
  auto store = std::make_unique<EntryStore>();
  for (const LdifRecord& record : *records) {
    const bool first = store->root() == nullptr;
    if (first) {
      *domain = domainOfRoot(record.dn);
      if (domain->isEmpty()) {
        *error = QStringLiteral("line %1: the first entry is no domain").arg(record.line);
        return nullptr;
      }
    }
    if (!store->store(record, first ? EntryStore::Place::Root : EntryStore::Place::New, error)) {
      return nullptr;
    }
  }
  return store;
}

}  // namespace quill
