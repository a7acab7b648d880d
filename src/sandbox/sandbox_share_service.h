#pragma once

#include <QHash>
#include <QString>
#include <vector>

#include "core/share_service.h"
#include "sandbox/host_folders.h"

namespace quill {

class SandboxChanges;

// One share of the sandbox's share table.
struct SandboxShare {
  QString server;
  QString name;
  QString localPath;  // Windows style, "D:\shares\data"
};

// The sandbox's share tables of all its servers, kept in DIR/shares.tsv
// (server TAB name TAB local path). A server "exists" when it has at least
// one share or a folder under DIR/servers. Share names follow the SMB rules
// a real server applies: at most 80 characters, none of
// " \ / [ ] : | < > + = ; , * ? or control characters.
class SandboxShareService : public ShareService {
 public:
  // serversDir is DIR/servers; the local path D:\x\y of server s is the
  // folder serversDir/s/D/x/y.
  explicit SandboxShareService(const QString& serversDir);

  // Replaces the table with the one in data (lines of server TAB name TAB
  // local path; lines beginning with "#" are not shares). false with a reason
  // naming label and the line on failure; the table is then unchanged.
  bool fromTsv(const QByteArray& data, const QString& label, QString* error);
  // The table as lines of server TAB name TAB local path.
  QByteArray toTsv() const;
  void addShare(const SandboxShare& share);
  // A share read back from the journal; nothing when it is there already.
  void replayShare(const SandboxShare& share);
  void replayShareDelete(const QString& server, const QString& name);
  // Who hears of every share created from now on (the sandbox's journal).
  void setChangeListener(SandboxChanges* listener) { m_changes = listener; }
  const std::vector<SandboxShare>& shares() const { return m_shares; }

  // The folder on the local disk for localPath on server; empty with a reason
  // (when reason is given) when localPath is not a Windows path "X:\...",
  // would leave the server's disk, or passes a symbolic link.
  QString hostPathFor(const QString& server, const QString& localPath, QString* reason = nullptr);
  // The share of server named name (without regard to case), or nullptr.
  const SandboxShare* findShare(const QString& server, const QString& name) const;
  bool serverExists(const QString& server);
  // The servers' disks, for the sandbox's folders.
  HostFolders& disks() { return m_disks; }

  // ShareService
  int ConnectShareHost(const QString& server, const QString& domain, const QString& user,
                       const QString& password) override;
  void DisconnectShareHost() override;
  int EnumShares(const QString& server, const QString& domain, const QString& user,
                 const QString& password, std::vector<ShareInfo>& shares) override;
  int CreateShare(const QString& server, const QString& localPath,
                  const QString& shareName) override;
  QString GetSharePath(const QString& server, const QString& shareName) override;
  int DeleteShare(const QString& server, const QString& shareName) override;

 private:
  // The folder name under serversDir of server (matched without regard to
  // case, as server names are); empty when the sandbox has no such server.
  QString serverFolder(const QString& server);
  static QString shareKey(const QString& server, const QString& name);
  // Takes the share of server named name out of the table.
  bool removeShare(const QString& server, const QString& name);
  // An empty server becomes the computer name; the results of ConnectShareHost.
  int resolveServer(const QString& server, QString* folder);

  QString m_serversDir;
  HostFolders m_disks;
  SandboxChanges* m_changes = nullptr;
  std::vector<SandboxShare> m_shares;
  // m_shares by case-folded server and name, so a run with thousands of
  // shares finds each in constant time.
  QHash<QString, size_t> m_index;
  QString m_connectedServer;
  bool m_connected = false;
};

}  // namespace quill
