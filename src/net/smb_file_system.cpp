#include "net/smb_file_system.h"

#include <sys/stat.h>

#include <QByteArray>
#include <QtGlobal>
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "net/smb_url.h"

#include <libsmbclient.h>

namespace quill {
namespace {

constexpr char kTicketUser[] = "kerberos";

// Library log lines are dropped: the program's stdout carries the run log in
// batch mode, and nothing the client library says belongs there.
void dropLogLine(void*, int, const char*) {}

// Copies text into a callback buffer of size bytes (NUL included). Text that
// does not fit is not cut short, which would send a wrong password: the field
// is left empty and the server refuses the session.
void fillField(char* buffer, int size, const QByteArray& text) {
  if (buffer == nullptr || size <= 0) return;
  if (text.size() >= size) {
    buffer[0] = '\0';
    return;
  }
  std::memcpy(buffer, text.constData(), static_cast<size_t>(text.size()));
  buffer[text.size()] = '\0';
}

// libsmbclient reads $HOME/.smb/smb.conf (and smb.conf.append) while its first
// context is created. A user's private file must not change what the program
// does, so HOME is unset for that moment; the machine's Samba configuration is
// read as usual. The program is single-threaded while it sets up its backends.
class HomeHidden {
 public:
  HomeHidden() : m_wasSet(qEnvironmentVariableIsSet("HOME")), m_home(qgetenv("HOME")) {
    qunsetenv("HOME");
  }
  ~HomeHidden() {
    if (m_wasSet) qputenv("HOME", m_home);
  }
  HomeHidden(const HomeHidden&) = delete;
  HomeHidden& operator=(const HomeHidden&) = delete;

 private:
  bool m_wasSet;
  QByteArray m_home;
};

}  // namespace

class SmbFileSystem::Client {
 public:
  explicit Client(const NetSettings& settings)
      : m_user(settings.user.toUtf8()),
        m_domain(settings.domain.toUtf8()),
        m_password(settings.password.toUtf8()) {
    // With a ticket and no password the library takes the ticket's principal,
    // whatever name it is given; an empty name would make it attempt an
    // anonymous session instead, which it then refuses.
    if (settings.useKerberos && m_user.isEmpty()) m_user = kTicketUser;
    {
      HomeHidden hidden;
      m_context = smbc_new_context();
    }
    if (m_context == nullptr) {
      m_problem = QStringLiteral("the SMB client library could not be set up: %1")
                      .arg(QString::fromLocal8Bit(std::strerror(errno)));
      return;
    }
    smbc_setDebug(m_context, 0);
    smbc_setLogCallback(m_context, nullptr, dropLogLine);
    smbc_setOptionUserData(m_context, this);
    smbc_setFunctionAuthDataWithContext(m_context, &Client::authenticate);
    smbc_setOptionNoAutoAnonymousLogin(m_context, 1);
    // Only the credentials given here: no NTLM through winbind's cache.
    smbc_setOptionUseCCache(m_context, 0);
    smbc_setOptionUseKerberos(m_context, settings.useKerberos ? 1 : 0);
    smbc_setOptionFallbackAfterKerberos(m_context, 0);
    smbc_setTimeout(m_context, std::max(1, settings.timeoutSeconds) * 1000);
    if (smbc_init_context(m_context) == nullptr) {
      m_problem = QStringLiteral("the SMB client library could not be set up: %1")
                      .arg(QString::fromLocal8Bit(std::strerror(errno)));
      smbc_free_context(m_context, 1);
      m_context = nullptr;
    }
  }

  ~Client() {
    if (m_context != nullptr) smbc_free_context(m_context, 1);
    m_password.fill('\0');
  }

  Client(const Client&) = delete;
  Client& operator=(const Client&) = delete;

  SMBCCTX* context() const { return m_context; }
  const QString& problem() const { return m_problem; }

 private:
  static void authenticate(SMBCCTX* context, const char*, const char*, char* workgroup,
                           int workgroupSize, char* user, int userSize, char* password,
                           int passwordSize) {
    const auto* self = static_cast<const Client*>(smbc_getOptionUserData(context));
    if (self == nullptr) return;
    if (!self->m_domain.isEmpty()) fillField(workgroup, workgroupSize, self->m_domain);
    fillField(user, userSize, self->m_user);
    fillField(password, passwordSize, self->m_password);
  }

  SMBCCTX* m_context = nullptr;
  QString m_problem;
  QByteArray m_user;
  QByteArray m_domain;
  QByteArray m_password;
};

SmbFileSystem::SmbFileSystem(const NetSettings& settings)
    : m_servers(settings),
      m_client(std::make_unique<Client>(settings)),
      m_tallyOn(qEnvironmentVariableIsSet("QUILL_LDAP_STATS")) {}

SmbFileSystem::~SmbFileSystem() {
  if (m_tallyOn) {
    std::fprintf(stderr, "quillstead: SMB operations: %d folders made, %d removed\n", m_made,
                 m_removed);
  }
}

bool SmbFileSystem::isReady(QString* reason) const {
  if (m_client->context() != nullptr) return true;
  if (reason != nullptr) *reason = m_client->problem();
  return false;
}

QByteArray SmbFileSystem::urlFor(const QString& uncPath, int* folderCount, QString* reason) const {
  UncParts parts;
  if (!splitUncPath(uncPath, &parts, reason)) return QByteArray();
  if (parts.share.isEmpty()) {
    *reason = QStringLiteral("'%1' names a server, not a share or folder").arg(uncPath);
    return QByteArray();
  }
  *folderCount = static_cast<int>(parts.folders.size());
  return smbUrl(m_servers.hostFor(parts.server), parts.share, parts.folders);
}

bool SmbFileSystem::exists(const QString& uncPath) {
  SMBCCTX* context = m_client->context();
  if (context == nullptr) return false;
  QString reason;
  int folderCount = 0;
  const QByteArray url = urlFor(uncPath, &folderCount, &reason);
  if (url.isEmpty()) return false;
  struct stat info {};
  if (smbc_getFunctionStat(context)(context, url.constData(), &info) == 0) return true;
  if (folderCount > 0) return false;
  // Not every server answers an attribute query on a share's root; listing it
  // proves the share is there just as well.
  SMBCFILE* dir = smbc_getFunctionOpendir(context)(context, url.constData());
  if (dir == nullptr) return false;
  smbc_getFunctionClosedir(context)(context, dir);
  return true;
}

QByteArray SmbFileSystem::folderUrl(const QString& uncPath, const char* whatAShareIsNot,
                                    QString* reason) const {
  if (m_client->context() == nullptr) {
    *reason = m_client->problem();
    return {};
  }
  int folderCount = 0;
  const QByteArray url = urlFor(uncPath, &folderCount, reason);
  if (url.isEmpty() || folderCount > 0) return url;
  *reason = QStringLiteral("'%1' is a share; it %2").arg(uncPath, QLatin1String(whatAShareIsNot));
  return {};
}

bool SmbFileSystem::makeFolder(const QString& uncPath, QString* error) {
  QString reason;
  const QByteArray url = folderUrl(uncPath, "cannot be created as a folder", &reason);
  if (!url.isEmpty()) {
    SMBCCTX* context = m_client->context();
    ++m_made;
    if (smbc_getFunctionMkdir(context)(context, url.constData(), 0755) == 0) return true;
    const int failure = errno;
    reason = QStringLiteral("cannot create '%1': %2")
                 .arg(uncPath, QString::fromLocal8Bit(std::strerror(failure)));
  }
  if (error != nullptr) *error = reason;
  return false;
}

std::optional<QStringList> SmbFileSystem::folderEntries(const QString& uncPath) {
  SMBCCTX* context = m_client->context();
  int folderCount = 0;
  QString reason;
  const QByteArray url = context == nullptr ? QByteArray() : urlFor(uncPath, &folderCount, &reason);
  if (url.isEmpty()) return std::nullopt;
  SMBCFILE* folder = smbc_getFunctionOpendir(context)(context, url.constData());
  if (folder == nullptr) return std::nullopt;
  QStringList entries;
  while (const smbc_dirent* entry = smbc_getFunctionReaddir(context)(context, folder)) {
    const QString name = QString::fromUtf8(entry->name);
    if (name != u"." && name != u"..") entries << name;
  }
  smbc_getFunctionClosedir(context)(context, folder);
  return entries;
}

UncFileSystem::Removal SmbFileSystem::removeFolder(const QString& uncPath, QString* error) {
  QString reason;
  const QByteArray url = folderUrl(uncPath, "is not removed as a folder", &reason);
  if (!url.isEmpty()) {
    SMBCCTX* context = m_client->context();
    ++m_removed;
    if (smbc_getFunctionRmdir(context)(context, url.constData()) == 0) return Removal::Removed;
    const int failure = errno;
    if (failure == ENOENT) return Removal::Missing;
    if (failure == ENOTEMPTY || failure == EEXIST) return Removal::NotEmpty;
    reason = QStringLiteral("cannot remove '%1': %2")
                 .arg(uncPath, QString::fromLocal8Bit(std::strerror(failure)));
  }
  if (error != nullptr) *error = reason;
  return Removal::Failed;
}

}  // namespace quill
