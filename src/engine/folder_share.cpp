#include "engine/folder_share.h"

#include <QDir>

#include "core/names.h"
#include "core/path_exists.h"
#include "core/unc_file_system.h"
#include "engine/run_context.h"

namespace quill {

namespace {

const QLatin1Char kSep('\\');

// A name from the user list becomes a folder only when it stays one folder
// under the root: every level of the tail must be a folder name of its own.
// An empty level is a doubled separator, which paths reduce to one (an empty
// department's folder "R\All\\_Public" is "R\All\_Public").
bool isSafeFolderTail(const QString& tail, const QString& shareName) {
  if (!folderNameProblem(shareName).isEmpty()) return false;
  for (const QString& part : tail.split(kSep, Qt::SkipEmptyParts)) {
    if (!folderNameProblem(part).isEmpty()) return false;
  }
  return true;
}

bool makeOneFolder(const QString& path, UncFileSystem& files) {
  if (path.startsWith(QLatin1String("\\\\"))) return files.makeFolder(path, nullptr);
  return QDir().mkdir(path);
}

}  // namespace

QString ServerFromUNC(const QString& unc) {
  const qsizetype end = unc.indexOf(kSep, 2);
  return end < 0 ? unc.mid(2) : unc.mid(2, end - 2);
}

QString ShareFromUNC(const QString& unc) {
  const qsizetype start = unc.indexOf(kSep, 2);
  if (start < 0) return QString();
  const QString rest = unc.mid(start + 1);
  const qsizetype end = rest.indexOf(kSep);
  return end < 0 ? rest : rest.left(end);
}

QString ExpandEnvPath(QString& path) {
  const qsizetype open = path.indexOf(QLatin1Char('%'));
  const qsizetype close = open < 0 ? -1 : path.indexOf(QLatin1Char('%'), open + 1);
  if (close < 0) return path;
  const QString name = path.mid(open + 1, close - open - 1);
  const QString value =
      name.isEmpty() ? QString() : qEnvironmentVariable(name.toLocal8Bit().constData());
  path.replace(QLatin1Char('%') + name + QLatin1Char('%'), value);
  return path;
}

int MakePath(QString& path, UncFileSystem& files) {
  ExpandEnvPath(path);
  return MakeFolders(path, files);
}

int MakeFolders(const QString& path, UncFileSystem& files) {
  const QStringList parts = path.split(kSep);
  const qsizetype first = path.startsWith(QLatin1String("\\\\")) ? 3 : 1;
  int result = 0;
  for (qsizetype i = first; i < parts.size(); ++i) {
    const QString prefix = parts.mid(0, i + 1).join(kSep);
    if (!PathExists(prefix, files) && !makeOneFolder(prefix, files)) result = 1;
  }
  return result;
}

int CreateFolderAndShare(RunContext& context, QString path, const QString& shareName, bool share) {
  if (FindInList(context.lists.CreatedShares, shareName)) return 0;
  const RunOptions o = context.options();
  // Only the root the operator typed may name environment variables; what
  // comes after it is made of values from the list and is taken literally,
  // so the folder made and the share made from one value carry one name.
  const QString root = o.txt_DirRoot;
  QString expandedRoot = root;
  ExpandEnvPath(expandedRoot);
  const QString tail = path.startsWith(root) ? path.mid(root.size()) : QString();
  if (!path.startsWith(root) || !isSafeFolderTail(tail, shareName)) {
    context.ReportLine(QStringLiteral("Error: '") + shareName +
                       QStringLiteral("' cannot be made a folder under '") + root +
                       QStringLiteral("': a name may not hold \\ or / or a control character, "
                                      "or be . or .."));
    context.counters.ErrorsOccurred = true;
    return 1;
  }

  QString server;
  QString localRoot;
  bool rootShareFound = false;
  if (share) {
    server = ServerFromUNC(expandedRoot);
    const QString rootShare = ShareFromUNC(expandedRoot);
    const QString prefix = QStringLiteral("\\\\") + server + kSep + rootShare;
    const QString subPath = expandedRoot != prefix ? expandedRoot.mid(prefix.size()) : QString();
    const QString sharePath = context.shares.GetSharePath(server, rootShare);
    rootShareFound = !sharePath.isEmpty();
    localRoot = sharePath + subPath;
  }

  const QString folder = expandedRoot + tail;
  if (!PathExists(folder, context.files)) {
    context.ReportLine(QStringLiteral("Creating directory '") + path + QStringLiteral("'."));
    if (MakeFolders(folder, context.files) != 0) {
      context.ReportLine(QStringLiteral("Faild to create directory '") + folder +
                         QLatin1Char('\''));
      context.counters.ErrorsOccurred = true;
      return 1;
    }
  }

  if (share) {
    const QString suffix = o.chk_HiddenShares ? QStringLiteral("$") : QString();
    const QString localPath = localRoot + tail;
    context.ReportLine(QStringLiteral("Creating a share '") + shareName +
                       QStringLiteral("' on remote system '") + server +
                       QStringLiteral(". The path for the new share is '") + localPath +
                       QStringLiteral("'."));
    // Without the root share's local path the server's folder is unknown;
    // a share must never be pointed at a guessed path.
    const int result =
        rootShareFound ? context.shares.CreateShare(server, localPath, shareName + suffix) : -1;
    if (result != 0) {
      context.ReportLine(QStringLiteral("Unable to create share '") + shareName +
                         QStringLiteral(" ' on '") + server + QStringLiteral("'. Path: '") +
                         localPath + QStringLiteral("'."));
      context.counters.ErrorsOccurred = true;
      return 0;
    }
  }

  context.lists.CreatedShares.append(shareName);
  return 0;
}

}  // namespace quill
