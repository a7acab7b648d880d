#pragma once

#include <QString>
#include <vector>

#include "core/share_service.h"

namespace quill {

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

  bool load(const QString& tsvPath, QString* error);
  bool save(const QString& tsvPath, QString* error) const;  // atomic
  // The share table as save() writes it.
  QByteArray toTsv() const;
  void addShare(const SandboxShare& share);
  const std::vector<SandboxShare>& shares() const { return m_shares; }

  // The folder on the local disk for localPath on server; empty when
  // localPath is not a Windows path "X:\..." or would leave the server's disk.
  QString hostPathFor(const QString& server, const QString& localPath) const;
  // The share of server named name (without regard to case), or nullptr.
  const SandboxShare* findShare(const QString& server, const QString& name) const;
  bool serverExists(const QString& server) const;

  // ShareService
  int ConnectShareHost(const QString& server, const QString& domain, const QString& user,
                       const QString& password) override;
  void DisconnectShareHost() override;
  int EnumShares(const QString& server, const QString& domain, const QString& user,
                 const QString& password, std::vector<ShareInfo>& shares) override;
  int CreateShare(const QString& server, const QString& localPath,
                  const QString& shareName) override;

 private:
  // The folder name under serversDir of server (matched without regard to
  // case, as server names are); empty when the sandbox has no such server.
  QString serverFolder(const QString& server) const;
  // An empty server becomes the computer name; the results of ConnectShareHost.
  int resolveServer(const QString& server, QString* folder) const;

  QString m_serversDir;
  std::vector<SandboxShare> m_shares;
  QString m_connectedServer;
  bool m_connected = false;
};

}  // namespace quill
