#include "core/share_service.h"

namespace quill {

QString TypeText(uint32_t type) {
  static const char* const kBaseNames[] = {"Disk", "Printer Queue", "Device", "IPC"};
  const uint32_t base = type & ~kShareTypeHiddenFlag;
  if (base > 3) return QStringLiteral("Unknown");
  const QString name = QString::fromLatin1(kBaseNames[base]);
  if ((type & kShareTypeHiddenFlag) != 0) return QStringLiteral("Hidden ") + name;
  return name;
}

QString ShareService::GetSharePath(const QString& server, const QString& shareName) {
  std::vector<ShareInfo> shares;
  // The current user's rights: no domain, user or password.
  if (EnumShares(server, QString(), QString(), QString(), shares) != 0) return QString();
  for (const ShareInfo& share : shares) {
    if (share.Name.compare(shareName, Qt::CaseInsensitive) == 0) return share.Path;
  }
  return QString();
}

}  // namespace quill
