#pragma once

#include <QString>
#include <memory>

#include "core/unc_file_system.h"
#include "net/net_server_map.h"
#include "net/net_settings.h"

namespace quill {

// Folders on SMB file servers through libsmbclient: \\server\share\a\b is
// smb://server/share/a/b, every part percent-encoded. One client context for
// the object's lifetime (create one per program); credentials reach the
// library only through its authentication callback, never in a URL.
// With settings.useKerberos the cached ticket is used (as its own principal,
// settings.user may be empty) and nothing else is tried; otherwise NTLM with
// settings' user, domain and password. An anonymous session is never
// attempted. Each server operation gives up after settings.timeoutSeconds.
// The machine's Samba configuration applies, the user's ~/.smb/smb.conf does
// not. libsmbclient and libnetapi share process-wide state, and ending either
// resets what the other relies on: keep this object and a NetApiShareService
// alive together until after the last use of both.
class SmbFileSystem : public UncFileSystem {
 public:
  explicit SmbFileSystem(const NetSettings& settings);
  ~SmbFileSystem() override;
  SmbFileSystem(const SmbFileSystem&) = delete;
  SmbFileSystem& operator=(const SmbFileSystem&) = delete;

  // The domain of the run: "\\domain\..." is then sent to settings.dcHost.
  void setDomain(const QString& domain) { m_servers.setDomain(domain); }

  // False with a reason when the client library could not be set up; every
  // operation then fails.
  bool isReady(QString* reason) const;

  // True for an existing file or folder, and for "\\server\share" when that
  // share can be opened. False for anything unreachable or refused.
  bool exists(const QString& uncPath) override;
  // Creates the one folder uncPath (its parent must exist); a share itself
  // cannot be made this way.
  bool makeFolder(const QString& uncPath, QString* error) override;
  // Removes the empty folder uncPath; a share itself is never removed.
  Removal removeFolder(const QString& uncPath, QString* error) override;
  std::optional<QStringList> folderEntries(const QString& uncPath) override;

 private:
  class Client;  // the libsmbclient context, defined in the .cpp

  // The smb:// URL of uncPath; empty with a reason when uncPath is refused.
  QByteArray urlFor(const QString& uncPath, int* folderCount, QString* reason) const;
  // The URL of a folder below a share (a share itself is refused, saying it
  // whatAShareIsNot), or empty with the reason.
  QByteArray folderUrl(const QString& uncPath, const char* whatAShareIsNot, QString* reason) const;

  NetServerMap m_servers;
  std::unique_ptr<Client> m_client;
  // Folders made and removed, written to stderr at the end when
  // QUILL_LDAP_STATS is set (to show that a dry run changed nothing).
  bool m_tallyOn = false;
  int m_made = 0;
  int m_removed = 0;
};

}  // namespace quill
