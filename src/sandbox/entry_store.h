#pragma once

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

#include "core/dn.h"
#include "sandbox/ldif.h"

namespace quill {

// One attribute of a stored entry with its values in the order they were set.
struct DirAttribute {
  QString name;
  QStringList values;
};

// A stored directory entry. Entries are owned by their EntryStore and never
// move, so parent and child pointers stay valid for the store's lifetime.
struct DirEntry {
  QString dn;   // as stored: the entry's own RDN text + "," + the parent's dn
  QString ndn;  // normalizeDn(dn), the key of the entry
  DirEntry* parent = nullptr;
  std::vector<DirEntry*> children;       // in creation (or load) order
  std::vector<DirAttribute> attributes;  // names compared without regard to case
  QSet<QString> memberKeys;              // normalized DNs of the "member" values
  size_t slot = 0;                       // where the store keeps it

  const QStringList* find(QStringView name) const;
  // The first value of name, or empty.
  QString first(QStringView name) const;
  // Replaces the values of name (adds the attribute when missing).
  void set(const QString& name, const QStringList& values);
  // Appends one value to name.
  void add(const QString& name, const QString& value);

  QString objectClass() const;  // last value of objectClass
  bool hasClass(QStringView objectClass) const;
  // Users, groups and computers share one sAMAccountName namespace.
  bool isAccount() const;
  // A group whose groupType has the global-scope bit 0x2.
  bool isGlobalGroup() const;
};

// The keys of a DN: parsed once and normalized RDN by RDN.
struct DnKeys {
  QString ndn;
  QString parentNdn;  // empty for a one-RDN DN
  QString rdnText;    // the first RDN as written
  Rdn rdn;            // the first RDN, parsed
};
// nullopt for a DN that does not parse or is empty.
std::optional<DnKeys> dnKeys(const QString& dn);

// All entries of one directory, with the indexes that keep every lookup
// O(1) on average: by normalized DN and by sAMAccountName (case-folded).
class EntryStore {
 public:
  DirEntry* find(const QString& ndn) const { return m_byDn.value(ndn, nullptr); }
  DirEntry* root() const { return m_root; }
  // The user, group or computer whose sAMAccountName equals name, ignoring case.
  DirEntry* findAccount(const QString& name) const;
  // The entry whose objectGUID is guid (compared without regard to case).
  DirEntry* findGuid(const QString& guid) const { return m_byGuid.value(guid.toLower(), nullptr); }
  int size() const { return static_cast<int>(m_entries.size()); }

  // Takes entry in as a child of parent (nullptr makes it the root) and
  // indexes it. The caller has checked that its ndn is not taken.
  DirEntry* insert(std::unique_ptr<DirEntry> entry, DirEntry* parent);
  // Moves entry's account-name index from oldName to newName.
  void renameAccount(DirEntry& entry, const QString& oldName, const QString& newName);
  // Adds memberDn to the members of group, or takes it out; false when it was
  // there already, or was not.
  bool addMember(DirEntry& group, const QString& memberDn);
  bool removeMember(DirEntry& group, const QString& memberNdn);
  // Takes entry, which has no children, out of the store and out of every
  // group it was a member of. entry is destroyed.
  void remove(DirEntry* entry);

  // Where store() puts a record: the root of an empty store, a new entry
  // under its parent, or in place of the entry of that DN (new when missing).
  enum class Place { Root, New, Replace };
  // Stores record as checked LDIF content. false with a reason naming the
  // record's line when it is malformed or breaks a rule of the store.
  bool store(const LdifRecord& record, Place place, QString* error);

  // LDIF text of every entry, parents before children.
  QByteArray toLdif() const;
  // The LDIF record of one entry (no blank line before or after).
  static QByteArray entryLdif(const DirEntry& entry);
  // A store read from LDIF text; the first record is the domain root and its
  // DN (DC= parts only) gives *domain. nullptr with a reason in *error.
  static std::unique_ptr<EntryStore> fromLdif(const QByteArray& ldif, QString* domain,
                                              QString* error);

 private:
  std::vector<std::unique_ptr<DirEntry>> m_entries;
  QHash<QString, DirEntry*> m_byDn;
  QHash<QString, DirEntry*> m_accounts;
  QHash<QString, DirEntry*> m_byGuid;
  QSet<DirEntry*> m_groups;  // entries that have held a member
  DirEntry* m_root = nullptr;
};

}  // namespace quill
