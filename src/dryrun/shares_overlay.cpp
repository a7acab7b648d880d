#include "dryrun/shares_overlay.h"

#include "core/names.h"

namespace quill {

SharesOverlay::SharesOverlay(ShareService& real) : m_real(real) {}

QString SharesOverlay::keyOf(const QString& server, const QString& name) {
  return server.toCaseFolded() + u'\n' + name.toCaseFolded();
}

int SharesOverlay::ConnectShareHost(const QString& server, const QString& domain,
                                    const QString& user, const QString& password) {
  return m_real.ConnectShareHost(server, domain, user, password);
}

void SharesOverlay::DisconnectShareHost() { m_real.DisconnectShareHost(); }

int SharesOverlay::EnumShares(const QString& server, const QString& domain, const QString& user,
                              const QString& password, std::vector<ShareInfo>& shares) {
  std::vector<ShareInfo> real;
  const int result = m_real.EnumShares(server, domain, user, password, real);
  for (ShareInfo& share : real) {
    if (!m_deleted.contains(keyOf(server, share.Name))) shares.push_back(std::move(share));
  }
  for (auto it = m_created.constBegin(); it != m_created.constEnd(); ++it) {
    if (it.key().startsWith(server.toCaseFolded() + u'\n')) shares.push_back(*it);
  }
  return result;
}

QString SharesOverlay::GetSharePath(const QString& server, const QString& shareName) {
  const QString key = keyOf(server, shareName);
  if (m_created.contains(key)) return m_created.value(key).Path;
  if (m_deleted.contains(key)) return QString();
  return m_real.GetSharePath(server, shareName);
}

int SharesOverlay::CreateShare(const QString& server, const QString& localPath,
                               const QString& shareName) {
  auto answers = m_serverAnswers.find(server.toCaseFolded());
  if (answers == m_serverAnswers.end()) {
    // Asking for the share table is a read, and tells whether the server is there.
    const bool ok = m_real.ConnectShareHost(server, QString(), QString(), QString()) == 0;
    if (ok) m_real.DisconnectShareHost();
    answers = m_serverAnswers.insert(server.toCaseFolded(), ok);
  }
  if (!*answers) return kShareServerUnavailable;
  if (!isValidShareName(shareName)) return kShareInvalidName;
  if (!GetSharePath(server, shareName).isEmpty()) return kShareDuplicateName;
  const QString key = keyOf(server, shareName);
  m_deleted.remove(key);
  m_created.insert(key, ShareInfo{shareName, TypeText(kShareTypeDisk), QString(),
                                  reduceDoubledSeparators(localPath)});
  ++m_createdCount;
  return 0;
}

int SharesOverlay::DeleteShare(const QString& server, const QString& shareName) {
  const QString key = keyOf(server, shareName);
  if (m_created.remove(key) == 0) {
    if (m_deleted.contains(key) || m_real.GetSharePath(server, shareName).isEmpty()) {
      return kShareNotFound;
    }
    m_deleted.insert(key, server);
  }
  ++m_deletedCount;
  return 0;
}

}  // namespace quill
