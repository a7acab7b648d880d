#include "net/smb_url.h"

#include <QUrl>

#include "core/names.h"

namespace quill {

bool splitUncPath(const QString& uncPath, UncParts* parts, QString* reason) {
  if (!uncPath.startsWith(QLatin1String("\\\\"))) {
    *reason = QStringLiteral("'%1' is not a path of the form \\\\server\\share").arg(uncPath);
    return false;
  }
  QStringList levels = uncPath.mid(2).split(u'\\');
  // A doubled or trailing separator below the share names the same folder as
  // a single one: "\\server\share\a\\b\" is "\\server\share\a\b".
  for (qsizetype i = levels.size() - 1; i >= 2; --i) {
    if (levels.at(i).isEmpty()) levels.removeAt(i);
  }
  if (levels.size() == 2 && levels.last().isEmpty()) levels.removeLast();
  for (const QString& level : levels) {
    const QString problem = folderNameProblem(level);
    if (!problem.isEmpty()) {
      *reason = QStringLiteral("'%1': %2").arg(uncPath, problem);
      return false;
    }
  }
  parts->server = levels.at(0);
  parts->share = levels.size() > 1 ? levels.at(1) : QString();
  parts->folders = levels.mid(2);
  return true;
}

QByteArray encodeSmbComponent(const QString& component) {
  // QUrl's default leaves exactly the unreserved characters of RFC 3986 as they are.
  return QUrl::toPercentEncoding(component);
}

QByteArray smbUrl(const QString& host, const QString& share, const QStringList& folders) {
  QByteArray url = "smb://" + encodeSmbComponent(host);
  if (share.isEmpty()) return url;
  url += '/' + encodeSmbComponent(share);
  for (const QString& folder : folders) url += '/' + encodeSmbComponent(folder);
  return url;
}

}  // namespace quill
