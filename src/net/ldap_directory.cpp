#include "net/ldap_directory.h"

#include <ldap.h>

#include <chrono>

#include "core/ads_path.h"
#include "core/directory_schema.h"
#include "core/dn.h"
#include "core/secret.h"
#include "net/ldap_connection.h"
#include "net/ldap_errors.h"
#include "net/ldap_values.h"

namespace quill {

namespace {

// How long an unreachable server is not asked again.
constexpr qint64 kRetryDelayMs = 5000;
// How long what this object saw or did stands for the server's answer: long
// enough for a run over a slow network, short enough that a window kept open
// sees what others changed in the meantime.
constexpr qint64 kKnowledgeMs = 5 * 60 * 1000;
// At most this many names in the filter of one read of identities.
constexpr int kGuidsPerRead = 100;

qint64 nowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// True for an IPv4 or IPv6 address (digits, dots, colons, hex letters with a
// colon), which names no domain.
bool isAddress(const QString& host) {
  if (host.contains(u':')) return true;
  for (QChar c : host) {
    if (!c.isDigit() && c != u'.') return false;
  }
  return true;
}

bool sameName(const QString& a, const char* b) {
  return a.compare(QLatin1StringView(b), Qt::CaseInsensitive) == 0;
}

void fail(PendingError& err, uint32_t number, const QString& detail = {}) {
  QString text = defaultErrorDescription(number);
  if (!detail.isEmpty()) text += u' ' + detail;
  err.set(number, text);
}

const StagedValue* findStaged(const DirObject& obj, const char* attribute) {
  for (const StagedValue& s : obj.staged) {
    if (sameName(s.attribute, attribute)) return &s;
  }
  return nullptr;
}

// True when the server writes the DN of an object created as dn exactly as
// dn: its own name is plain text (letters, digits, spaces, ". _ ' -"), which
// needs no escape in any form, under a parent written as the server writes it.
bool writtenAsServerWrites(const QString& dn, const QString& serverParent) {
  const QString rdn = firstRdnText(dn);
  const qsizetype equals = rdn.indexOf(u'=');
  if (equals < 1 || dn.size() != rdn.size() + 1 + serverParent.size() ||
      !dn.endsWith(serverParent) || rdn.endsWith(u' ') || rdn.at(equals + 1) == u' ') {
    return false;
  }
  for (qsizetype i = 0; i < rdn.size(); ++i) {
    if (i == equals) continue;
    const char16_t c = rdn.at(i).unicode();
    const bool letter = (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
    if (i < equals ? !(c >= u'A' && c <= u'Z')
                   : !(letter || (c >= u'0' && c <= u'9') || c == u' ' || c == u'.' || c == u'_' ||
                       c == u'\'' || c == u'-')) {
      return false;
    }
  }
  return true;
}

// The error the server gives for a value or object that is there already.
DirError alreadyThere(int code) {
  return ldapDirError(code, QString::fromUtf8(ldap_err2string(code)), QString());
}

QList<QByteArray> utf8Values(const QStringList& values) {
  QList<QByteArray> result;
  for (const QString& v : values) result.append(v.toUtf8());
  return result;
}

}  // namespace

LdapDirectory::LdapDirectory(const NetSettings& settings) : m_settings(settings) {
  m_settings.password = unsharedCopy(settings.password);
}

LdapDirectory::~LdapDirectory() {
  m_connections.clear();
  wipeSecret(m_settings.password);
}

QString LdapDirectory::serverFor(const QString& host) const {
  return m_settings.dcHost.isEmpty() ? host : m_settings.dcHost;
}

LdapConnection::Tally LdapDirectory::tally() const {
  LdapConnection::Tally sum;
  for (const auto& [uri, conn] : m_connections) {
    const LdapConnection::Tally& t = conn->tally();
    sum.searches += t.searches;
    sum.adds += t.adds;
    sum.modifies += t.modifies;
    sum.passwordModifies += t.passwordModifies;
    sum.deletes += t.deletes;
    sum.failures += t.failures;
  }
  return sum;
}

LdapConnection* LdapDirectory::connection(const QString& host, const QString& dn,
                                          PendingError& err) {
  QString target = host;
  if (target.isEmpty()) target = domainOfDn(dn);
  if (target.isEmpty() && m_settings.domain.contains(u'.')) target = m_settings.domain;
  const QString address = serverFor(target);
  if (address.isEmpty()) {
    fail(err, kErrServerDown, QStringLiteral("No server is known for \"%1\".").arg(dn));
    return nullptr;
  }
  const QString uri = ldapServerUri(address, m_settings.startTls);
  if (uri.isEmpty()) {
    fail(err, kErrServerDown, QStringLiteral("\"%1\" is not a server name.").arg(address));
    return nullptr;
  }
  const QString key = uri.toLower();
  if (auto it = m_connections.find(key); it != m_connections.end()) return it->second.get();
  if (auto it = m_failures.find(key); it != m_failures.end()) {
    if (it->second.retryAtMs == 0 || nowMs() < it->second.retryAtMs) {
      err.set(it->second.error);
      return nullptr;
    }
    m_failures.erase(it);
  }
  // Without a domain in the credentials the account is named in the domain
  // the path names (a DC accepts user@domain, not a bare account name).
  NetSettings settings = m_settings;
  if (settings.domain.isEmpty() && !isAddress(target)) settings.domain = target;
  DirError error;
  std::unique_ptr<LdapConnection> opened = LdapConnection::open(uri, settings, &error);
  if (!opened) {
    // A refused logon stays refused: trying it again on every step could
    // lock the account out.
    const qint64 retryAt = error.number == kErrLogonFailure ? 0 : nowMs() + kRetryDelayMs;
    m_failures[key] = Failure{error, retryAt};
    err.set(error);
    return nullptr;
  }
  LdapConnection* conn = opened.get();
  m_connections[key] = std::move(opened);
  return conn;
}

void LdapDirectory::dropIfBroken(LdapConnection* conn) {
  if (conn == nullptr || !conn->isBroken()) return;
  m_connections.erase(conn->uri().toLower());
}

QString LdapDirectory::resolveDn(LdapConnection* conn, const QString& dn, PendingError& err) {
  if (!dn.isEmpty()) return dn;
  DirError error;
  const QString root = conn->defaultNamingContext(&error);
  if (root.isEmpty()) err.set(error);
  return root;
}

LdapDirectory::Known* LdapDirectory::known(const QString& dn) {
  const auto it = m_known.find(normalizeDn(dn));
  if (it == m_known.end()) return nullptr;
  if (nowMs() - it->second.learnedAtMs > kKnowledgeMs) {
    m_known.erase(it);
    return nullptr;
  }
  return &it->second;
}

void LdapDirectory::remember(const QString& dn, const QString& objectClass) {
  const QString key = normalizeDn(dn);
  // What is known already keeps its age, so no answer is kept longer than kKnowledgeMs.
  if (key.isEmpty() || known(dn) != nullptr) return;
  m_known[key] = Known{dn, objectClass, {}, nowMs()};
}

void LdapDirectory::setError(PendingError& err, const DirError& error) {
  if (error.number == kErrNoSuchObject) m_known.clear();
  err.set(error);
}

void LdapDirectory::failMissing(PendingError& err) {
  m_known.clear();
  fail(err, kErrNoSuchObject);
}

void LdapDirectory::readWantedGuids(LdapConnection* conn, const QString& parent) {
  const auto wanted = m_wantedGuids.find(normalizeDn(parent));
  if (wanted == m_wantedGuids.end()) return;
  const std::vector<QString> dns = std::move(wanted->second);
  m_wantedGuids.erase(wanted);
  for (size_t at = 0; at < dns.size(); at += kGuidsPerRead) {
    QString filter = QStringLiteral("(|");
    for (size_t i = at; i < std::min(dns.size(), at + kGuidsPerRead); ++i) {
      const std::optional<std::vector<Rdn>> rdns = parseDn(dns[i]);
      if (!rdns || rdns->empty() || rdns->front().size() != 1) continue;
      const RdnPart& part = rdns->front().front();
      filter += u'(' + part.type + u'=' + escapeFilterValue(part.value) + u')';
    }
    filter += u')';
    std::vector<LdapEntry> entries;
    DirError error;
    // What cannot be read here is read one by one when asked for.
    if (!conn->search(parent, LdapScope::OneLevel, filter, {QStringLiteral("objectGUID")}, entries,
                      &error, true)) {
      continue;
    }
    for (const LdapEntry& e : entries) {
      const QString guid = guidText(e.values(QStringLiteral("objectGUID")).value(0));
      if (!guid.isEmpty()) m_guids[normalizeDn(e.dn)] = guid;
    }
  }
}

std::unique_ptr<DirObject> LdapDirectory::Bind(const QString& path, PendingError& err) {
  const AdsPath parsed = parseAdsPath(path);
  if (!parsed.valid) {
    fail(err, kErrInvalidDnSyntax);
    return nullptr;
  }
  LdapConnection* conn = connection(parsed.host, parsed.dn, err);
  if (conn == nullptr) return nullptr;
  std::unique_ptr<DirObject> obj;
  const QString dn = resolveDn(conn, parsed.dn, err);
  if (const Known* k = dn.isEmpty() ? nullptr : known(dn)) {
    obj = std::make_unique<DirObject>();
    obj->host = parsed.host;
    obj->dn = k->dn;
    obj->objectClass = k->objectClass;
  } else if (!dn.isEmpty()) {
    std::vector<LdapEntry> entries;
    DirError error;
    if (!conn->search(dn, LdapScope::Base, QStringLiteral("(objectClass=*)"),
                      {QStringLiteral("objectClass")}, entries, &error)) {
      setError(err, error);
    } else if (entries.empty()) {
      failMissing(err);
    } else {
      obj = std::make_unique<DirObject>();
      obj->host = parsed.host;
      obj->dn = entries.front().dn;
      obj->objectClass = entries.front().last(QStringLiteral("objectClass"));
      remember(obj->dn, obj->objectClass);
    }
  }
  dropIfBroken(conn);
  return obj;
}

void LdapDirectory::SetInfo(DirObject& obj, PendingError& err) {
  DirObject changes = obj.takeStaged();
  // Refused here, as the sandbox does, rather than let the server name a
  // syntax error.
  if (!refuseEmptyValues(changes, err)) return;
  LdapConnection* conn = connection(obj.host, obj.dn, err);
  if (conn == nullptr) return;
  if (obj.isNew) {
    createEntry(conn, obj, changes, err);
  } else {
    modifyEntry(conn, obj, changes, err);
  }
  dropIfBroken(conn);
  // The password text itself stays with the caller, which uses it for the
  // next account; modifyEntry wipes the buffers it made to send it.
}

void LdapDirectory::createEntry(LdapConnection* conn, DirObject& obj, DirObject& changes,
                                PendingError& err) {
  std::vector<LdapChange> values;
  values.push_back(LdapChange{LdapChange::Op::Add, QStringLiteral("objectClass"),
                              utf8Values(objectClassesForNew(obj.objectClass)), false});
  const bool isUser = sameName(obj.objectClass, "user") || sameName(obj.objectClass, "computer");
  const bool flagsStaged = findStaged(changes, "userAccountControl") != nullptr;
  // An account and its password in one add, over an encrypted connection only:
  // the password comes before the staged pwdLastSet 0, and the flags are those
  // the enabling leaves.
  const bool withPassword = isUser && !flagsStaged && changes.password && conn->isEncrypted();
  qint64 accountControl = kNewUserAccountControl;
  if (withPassword) {
    accountControl =
        accountControlAfter(accountControl, changes.accountDisabled.value_or(true), true);
    values.push_back(LdapChange{LdapChange::Op::Add,
                                QStringLiteral("unicodePwd"),
                                {unicodePwdValue(*changes.password)},
                                true});
  }
  if (isUser && !flagsStaged) {
    values.push_back(LdapChange{LdapChange::Op::Add,
                                QStringLiteral("userAccountControl"),
                                {QByteArray::number(accountControl)},
                                false});
  }
  if (sameName(obj.objectClass, "group") && findStaged(changes, "groupType") == nullptr) {
    values.push_back(LdapChange{LdapChange::Op::Add,
                                QStringLiteral("groupType"),
                                {QByteArray::number(kNewGroupType)},
                                false});
  }
  for (const StagedValue& s : changes.staged) {
    values.push_back(LdapChange{LdapChange::Op::Add, s.attribute, utf8Values(s.values), false});
  }
  m_createdAccountDn.clear();
  DirError error;
  if (!conn->add(obj.dn, values, &error)) {
    if (withPassword && !changes.password->isEmpty()) {
      error.description.replace(*changes.password, QStringLiteral("********"));
    }
    setError(err, error);
    return;
  }
  obj.isNew = false;
  if (withPassword) {  // stored with the add
    changes.password.reset();
    changes.accountDisabled.reset();
  }
  // Known from now on when its DN is sure to be the one the server keeps.
  const QString parent = parentDn(obj.dn);
  if (const Known* p = known(parent); p != nullptr && writtenAsServerWrites(obj.dn, p->dn)) {
    remember(obj.dn, obj.objectClass);
  }
  m_wantedGuids[normalizeDn(parent)].push_back(obj.dn);
  if (sameName(obj.objectClass, "user")) {
    const StagedValue* staged = findStaged(changes, "userAccountControl");
    bool ok = true;
    m_createdAccountControl =
        staged != nullptr ? staged->values.value(0).toLongLong(&ok) : accountControl;
    if (ok) m_createdAccountDn = obj.dn;
  }
  // The password and the enabling go to the stored account.
  if (changes.password || changes.accountDisabled) {
    changes.staged.clear();
    modifyEntry(conn, obj, changes, err);
  }
}

void LdapDirectory::modifyEntry(LdapConnection* conn, DirObject& obj, DirObject& changes,
                                PendingError& err) {
  const bool justCreated = !m_createdAccountDn.isEmpty() && m_createdAccountDn == obj.dn;
  m_createdAccountDn.clear();
  std::vector<LdapChange> mods;
  // The password goes first: setting it stamps pwdLastSet, so a staged
  // pwdLastSet 0 (change at next logon) has to come after it, and the
  // account can only be enabled once it has a password.
  if (changes.password) {
    if (!conn->isEncrypted()) {
      fail(err, kErrUnwillingToPerform,
           QStringLiteral("The password was not sent: the connection to %1 is not encrypted.")
               .arg(conn->uri()));
      return;
    }
    mods.push_back(LdapChange{LdapChange::Op::Replace,
                              QStringLiteral("unicodePwd"),
                              {unicodePwdValue(*changes.password)},
                              true});
  }
  for (const StagedValue& s : changes.staged) {
    mods.push_back(LdapChange{LdapChange::Op::Replace, s.attribute, utf8Values(s.values), false});
  }
  if (changes.accountDisabled) {
    QString current;
    if (const StagedValue* staged = findStaged(changes, "userAccountControl")) {
      current = staged->values.value(0);
    } else if (justCreated) {
      current = QString::number(m_createdAccountControl);
    } else {
      std::vector<LdapEntry> entries;
      DirError error;
      if (!conn->search(obj.dn, LdapScope::Base, QStringLiteral("(objectClass=*)"),
                        {QStringLiteral("userAccountControl")}, entries, &error)) {
        setError(err, error);
        for (LdapChange& m : mods) {
          if (m.isSecret) wipeSecret(m.values.front());
        }
        return;
      }
      if (!entries.empty()) current = entries.front().first(QStringLiteral("userAccountControl"));
    }
    bool ok = false;
    const qint64 uac = current.toLongLong(&ok);
    if (!ok) {
      fail(err, kErrUnwillingToPerform, QStringLiteral("The object is not a user account."));
      for (LdapChange& m : mods) {
        if (m.isSecret) wipeSecret(m.values.front());
      }
      return;
    }
    mods.push_back(LdapChange{LdapChange::Op::Replace,
                              QStringLiteral("userAccountControl"),
                              {QByteArray::number(accountControlAfter(
                                  uac, *changes.accountDisabled, changes.password.has_value()))},
                              false});
  }
  if (mods.empty()) return;
  DirError error;
  if (!conn->modify(obj.dn, mods, &error)) {
    // Servers do not echo a password, but make sure none reaches a log line,
    // however short it is.
    if (changes.password && !changes.password->isEmpty()) {
      error.description.replace(*changes.password, QStringLiteral("********"));
    }
    setError(err, error);
  }
}

QString LdapDirectory::Get(const DirObject& obj, const QString& attribute, PendingError& err) {
  if (std::optional<QString> staged = obj.stagedValue(attribute)) return *staged;
  if (obj.isNew) {
    fail(err, kErrPropertyNotFound);
    return {};
  }
  if (sameName(attribute, "distinguishedName")) {
    if (const Known* k = known(obj.dn)) return k->dn;
  }
  LdapConnection* conn = connection(obj.host, obj.dn, err);
  if (conn == nullptr) return {};
  QString value;
  std::vector<LdapEntry> entries;
  DirError error;
  if (!conn->search(obj.dn, LdapScope::Base, QStringLiteral("(objectClass=*)"), {attribute},
                    entries, &error)) {
    setError(err, error);
  } else if (entries.empty()) {
    failMissing(err);
  } else {
    value = entries.front().first(attribute);
    if (value.isEmpty() && sameName(attribute, "distinguishedName")) value = entries.front().dn;
    if (value.isEmpty()) fail(err, kErrPropertyNotFound);
  }
  dropIfBroken(conn);
  return value;
}

std::vector<ChildObject> LdapDirectory::Children(const DirObject& container, PendingError& err) {
  std::vector<ChildObject> result;
  LdapConnection* conn = storedConnection(container, err);
  if (conn == nullptr) return result;
  std::vector<LdapEntry> entries;
  DirError error;
  if (!conn->search(container.dn, LdapScope::OneLevel, QStringLiteral("(objectClass=*)"),
                    {QStringLiteral("objectClass")}, entries, &error, true)) {
    setError(err, error);
  } else {
    result.reserve(entries.size());
    for (const LdapEntry& e : entries) {
      result.push_back(
          ChildObject{e.dn, firstRdnText(e.dn), e.last(QStringLiteral("objectClass"))});
      remember(e.dn, result.back().objectClass);
    }
  }
  dropIfBroken(conn);
  return result;
}

LdapConnection* LdapDirectory::storedConnection(const DirObject& obj, PendingError& err) {
  if (obj.isNew) {
    fail(err, kErrNoSuchObject);
    return nullptr;
  }
  return connection(obj.host, obj.dn, err);
}

LdapConnection* LdapDirectory::memberChange(const DirObject& group, const QString& memberPath,
                                            QString* memberDn, PendingError& err) {
  if (group.isNew) {
    fail(err, kErrNoSuchObject);
    return nullptr;
  }
  const AdsPath member = parseAdsPath(memberPath);
  if (!member.valid) {
    fail(err, kErrInvalidDnSyntax);
    return nullptr;
  }
  LdapConnection* conn = connection(group.host, group.dn, err);
  if (conn != nullptr) *memberDn = resolveDn(conn, member.dn, err);
  return conn;
}

void LdapDirectory::Add(DirObject& group, const QString& memberPath, PendingError& err) {
  QString memberDn;
  LdapConnection* conn = memberChange(group, memberPath, &memberDn, err);
  if (conn == nullptr) return;
  const QString memberKey = normalizeDn(memberDn);
  Known* k = known(group.dn);
  if (k != nullptr && !memberKey.isEmpty() && k->members.count(memberKey) != 0) {
    err.set(alreadyThere(LDAP_ALREADY_EXISTS));
  } else if (!memberDn.isEmpty()) {
    std::vector<LdapChange> mods{
        LdapChange{LdapChange::Op::Add, QStringLiteral("member"), {memberDn.toUtf8()}, false}};
    DirError error;
    const bool added = conn->modify(group.dn, mods, &error);
    if (!added) setError(err, error);
    k = known(group.dn);
    if (k != nullptr && (added || error.number == kErrAlreadyExists)) k->members.insert(memberKey);
  }
  dropIfBroken(conn);
}

bool LdapDirectory::HasMember(const DirObject& group, const QString& memberDn, PendingError& err) {
  LdapConnection* conn = storedConnection(group, err);
  if (conn == nullptr) return false;
  std::vector<LdapEntry> entries;
  DirError error;
  const QString filter = QStringLiteral("(member=%1)").arg(escapeFilterValue(memberDn));
  if (!conn->search(group.dn, LdapScope::Base, filter, {QStringLiteral("1.1")}, entries, &error)) {
    setError(err, error);
  }
  dropIfBroken(conn);
  return !entries.empty();
}

QStringList LdapDirectory::Members(const DirObject& group, PendingError& err) {
  QStringList members;
  LdapConnection* conn = storedConnection(group, err);
  if (conn == nullptr) return members;
  // A server gives a large group's members in ranges ("member;range=0-1499");
  // the next range is asked for until the last one ("...-*") has come.
  QString request = QStringLiteral("member");
  for (int round = 0; round < 100000; ++round) {
    std::vector<LdapEntry> entries;
    DirError error;
    if (!conn->search(group.dn, LdapScope::Base, QStringLiteral("(objectClass=*)"), {request},
                      entries, &error)) {
      setError(err, error);
      break;
    }
    if (entries.empty()) {
      failMissing(err);
      break;
    }
    QString next;
    for (auto it = entries.front().attributes.constBegin();
         it != entries.front().attributes.constEnd(); ++it) {
      if (it.key() != u"member" && !it.key().startsWith(u"member;range=")) continue;
      for (const QByteArray& dn : it.value()) members << QString::fromUtf8(dn);
      const QString high = it.key().section(u'-', -1);
      if (it.key() != u"member" && high != u"*") {
        next = QStringLiteral("member;range=%1-*").arg(high.toLongLong() + 1);
      }
    }
    if (next.isEmpty()) break;
    request = next;
  }
  dropIfBroken(conn);
  return members;
}

bool LdapDirectory::findInDomain(const QString& domain, const QString& filter,
                                 const QStringList& attributes, LdapEntry* found) {
  if (domain.isEmpty()) return false;
  PendingError ignored;
  LdapConnection* conn = connection(domain, QString(), ignored);
  if (conn == nullptr) return false;
  bool exists = false;
  const QString base = resolveDn(conn, QString(), ignored);
  if (!base.isEmpty()) {
    std::vector<LdapEntry> entries;
    DirError error;
    exists = conn->search(base, LdapScope::Subtree, filter, attributes, entries, &error) &&
             !entries.empty();
    if (exists && found != nullptr) *found = entries.front();
  }
  dropIfBroken(conn);
  return exists;
}

bool LdapDirectory::AccountNameTaken(const QString& domain, const QString& name) {
  return !name.isEmpty() &&
         findInDomain(domain, QStringLiteral("(sAMAccountName=%1)").arg(escapeFilterValue(name)),
                      {QStringLiteral("1.1")}, nullptr);
}

QString LdapDirectory::ObjectGuid(const DirObject& obj, PendingError& err) {
  LdapConnection* conn = storedConnection(obj, err);
  if (conn == nullptr) return {};
  // Handed out once: asked again, the identity is read again.
  const QString key = normalizeDn(obj.dn);
  if (!m_guids.count(key)) readWantedGuids(conn, parentDn(obj.dn));
  if (const auto it = m_guids.find(key); it != m_guids.end()) {
    const QString guid = it->second;
    m_guids.erase(it);
    dropIfBroken(conn);
    return guid;
  }
  QString guid;
  std::vector<LdapEntry> entries;
  DirError error;
  if (!conn->search(obj.dn, LdapScope::Base, QStringLiteral("(objectClass=*)"),
                    {QStringLiteral("objectGUID")}, entries, &error)) {
    setError(err, error);
  } else if (entries.empty()) {
    failMissing(err);
  } else {
    guid = guidText(entries.front().values(QStringLiteral("objectGUID")).value(0));
    if (guid.isEmpty()) fail(err, kErrPropertyNotFound);
  }
  dropIfBroken(conn);
  return guid;
}

std::unique_ptr<DirObject> LdapDirectory::BindGuid(const QString& domain, const QString& guid,
                                                   PendingError& err) {
  const QByteArray bytes = guidBytes(guid);
  LdapEntry entry;
  if (bytes.isEmpty() ||
      !findInDomain(domain, QStringLiteral("(objectGUID=%1)").arg(escapeFilterBytes(bytes)),
                    {QStringLiteral("objectClass")}, &entry)) {
    failMissing(err);
    return nullptr;
  }
  auto obj = std::make_unique<DirObject>();
  obj->host = domain;
  obj->dn = entry.dn;
  obj->objectClass = entry.last(QStringLiteral("objectClass"));
  return obj;
}

void LdapDirectory::DeleteObject(const DirObject& obj, PendingError& err) {
  LdapConnection* conn = storedConnection(obj, err);
  if (conn == nullptr) return;
  DirError error;
  if (conn->remove(obj.dn, &error)) {
    // A deleted object leaves its groups.
    const QString key = normalizeDn(obj.dn);
    m_known.erase(key);
    m_guids.erase(key);
    for (auto& [dn, k] : m_known) k.members.erase(key);
  } else {
    setError(err, error);
  }
  dropIfBroken(conn);
}

void LdapDirectory::RemoveMember(DirObject& group, const QString& memberPath, PendingError& err) {
  QString memberDn;
  LdapConnection* conn = memberChange(group, memberPath, &memberDn, err);
  if (conn == nullptr) return;
  if (!memberDn.isEmpty()) {
    std::vector<LdapChange> mods{
        LdapChange{LdapChange::Op::Delete, QStringLiteral("member"), {memberDn.toUtf8()}, false}};
    DirError error;
    if (!conn->modify(group.dn, mods, &error)) setError(err, error);
    if (Known* k = known(group.dn)) k->members.erase(normalizeDn(memberDn));
  }
  dropIfBroken(conn);
}

bool LdapDirectory::AccountExists(const QString& domain, const QString& name) {
  if (name.isEmpty() || domain.isEmpty()) return false;
  PendingError ignored;
  LdapConnection* conn = connection(domain, QString(), ignored);
  if (conn == nullptr) return false;
  bool exists = false;
  const QString base = resolveDn(conn, QString(), ignored);
  if (!base.isEmpty()) {
    std::vector<LdapEntry> entries;
    DirError error;
    exists = conn->search(base, LdapScope::Subtree, accountFilter(name), {QStringLiteral("1.1")},
                          entries, &error) &&
             !entries.empty();
  }
  dropIfBroken(conn);
  return exists;
}

}  // namespace quill
