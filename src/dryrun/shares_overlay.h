#pragma once

#include <QHash>
#include <QString>

#include "core/share_service.h"

namespace quill {

// A view of real share tables that keeps every share created or deleted in
// memory. A share is created only on a server that answers, under a name the
// SMB rules accept and no share of the server holds yet.
class SharesOverlay : public ShareService {
 public:
  explicit SharesOverlay(ShareService& real);

  int sharesCreated() const { return m_createdCount; }
  int sharesDeleted() const { return m_deletedCount; }

  int ConnectShareHost(const QString& server, const QString& domain, const QString& user,
                       const QString& password) override;
  void DisconnectShareHost() override;
  int EnumShares(const QString& server, const QString& domain, const QString& user,
                 const QString& password, std::vector<ShareInfo>& shares) override;
  QString GetSharePath(const QString& server, const QString& shareName) override;
  int CreateShare(const QString& server, const QString& localPath,
                  const QString& shareName) override;
  int DeleteShare(const QString& server, const QString& shareName) override;

 private:
  static QString keyOf(const QString& server, const QString& name);

  ShareService& m_real;
  QHash<QString, ShareInfo> m_created;  // by server and name
  QHash<QString, QString> m_deleted;    // key -> server
  QHash<QString, bool> m_serverAnswers;
  int m_createdCount = 0;
  int m_deletedCount = 0;
};

}  // namespace quill
