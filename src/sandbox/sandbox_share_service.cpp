#include "sandbox/sandbox_share_service.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <QSysInfo>

#include "core/names.h"

namespace quill {

namespace {

// Splits a Windows path "X:\a\b" into the drive letter and its folder names.
// A trailing "\" is allowed ("D:\" is the drive root); every other folder
// name must be one safe level, so the result never leaves the drive.
bool splitLocalPath(const QString& localPath, QChar* drive, QStringList* folders) {
  if (localPath.size() < 3 || localPath.at(1) != u':' || localPath.at(2) != u'\\') return false;
  const QChar letter = localPath.at(0);
  if (!((letter >= u'A' && letter <= u'Z') || (letter >= u'a' && letter <= u'z'))) return false;
  QStringList parts = localPath.mid(3).split(u'\\');
  if (parts.last().isEmpty()) parts.removeLast();
  for (const QString& part : parts) {
    if (!folderNameProblem(part).isEmpty()) return false;
  }
  *drive = letter.toUpper();
  *folders = parts;
  return true;
}

// The name of the entry in dir that equals name without regard to case,
// preferring the exact spelling; name itself when there is none, so a path
// to a folder not made yet keeps the caller's spelling.
QString matchEntry(const QString& dir, const QString& name) {
  if (QFileInfo::exists(dir + u'/' + name)) return name;
  const QStringList entries =
      QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
  for (const QString& entry : entries) {
    if (entry.compare(name, Qt::CaseInsensitive) == 0) return entry;
  }
  return name;
}

// base + folders, each level matched as a Windows server matches names.
QString resolveBelow(const QString& base, const QStringList& folders) {
  QString path = base;
  for (const QString& folder : folders) path += u'/' + matchEntry(path, folder);
  return path;
}

}  // namespace

SandboxShareService::SandboxShareService(const QString& serversDir) : m_serversDir(serversDir) {}

bool SandboxShareService::load(const QString& tsvPath, QString* error) {
  auto fail = [&](const QString& reason) {
    if (error) *error = reason;
    return false;
  };
  QFile file(tsvPath);
  if (!file.open(QIODevice::ReadOnly)) {
    return fail(QStringLiteral("Cannot read %1: %2").arg(tsvPath, file.errorString()));
  }
  QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  const QString text = decoder.decode(file.readAll());
  if (decoder.hasError() || file.error() != QFileDevice::NoError) {
    return fail(QStringLiteral("Cannot read %1: not UTF-8 text").arg(tsvPath));
  }
  QStringList lines = text.split(u'\n');
  if (lines.last().isEmpty()) lines.removeLast();  // the end of the last line

  std::vector<SandboxShare> shares;
  for (qsizetype i = 0; i < lines.size(); ++i) {
    QString line = lines.at(i);
    if (line.endsWith(u'\r')) line.chop(1);
    const QString where = QStringLiteral("%1, line %2: ").arg(tsvPath).arg(i + 1);
    const QStringList fields = line.split(u'\t');
    if (fields.size() != 3) {
      return fail(where + QStringLiteral("expected server, share name and local path separated "
                                         "by tabs"));
    }
    const SandboxShare share{fields.at(0), fields.at(1), fields.at(2)};
    QChar drive;
    QStringList folders;
    if (!folderNameProblem(share.server).isEmpty()) {
      return fail(where + QStringLiteral("'%1' is not a server name").arg(share.server));
    }
    if (!isValidShareName(share.name)) {
      return fail(where + QStringLiteral("'%1' is not a share name").arg(share.name));
    }
    if (!splitLocalPath(share.localPath, &drive, &folders)) {
      return fail(
          where +
          QStringLiteral("'%1' is not a local path such as D:\\shares\\data").arg(share.localPath));
    }
    for (const SandboxShare& other : shares) {
      if (other.server.compare(share.server, Qt::CaseInsensitive) == 0 &&
          other.name.compare(share.name, Qt::CaseInsensitive) == 0) {
        return fail(
            where +
            QStringLiteral("share '%1' of '%2' is listed twice").arg(share.name, share.server));
      }
    }
    shares.push_back(share);
  }
  m_shares = std::move(shares);
  DisconnectShareHost();
  return true;
}

QByteArray SandboxShareService::toTsv() const {
  QByteArray data;
  for (const SandboxShare& share : m_shares) {
    data += (share.server + u'\t' + share.name + u'\t' + share.localPath + u'\n').toUtf8();
  }
  return data;
}

bool SandboxShareService::save(const QString& tsvPath, QString* error) const {
  const QByteArray data = toTsv();
  QSaveFile file(tsvPath);
  if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit()) {
    if (error) *error = QStringLiteral("Cannot write %1: %2").arg(tsvPath, file.errorString());
    return false;
  }
  return true;
}

void SandboxShareService::addShare(const SandboxShare& share) { m_shares.push_back(share); }

QString SandboxShareService::serverFolder(const QString& server) const {
  if (!folderNameProblem(server).isEmpty()) return QString();
  const QString onDisk = matchEntry(m_serversDir, server);
  if (QFileInfo(m_serversDir + u'/' + onDisk).isDir()) return onDisk;
  for (const SandboxShare& share : m_shares) {
    if (share.server.compare(server, Qt::CaseInsensitive) == 0) return share.server;
  }
  return QString();
}

bool SandboxShareService::serverExists(const QString& server) const {
  return !serverFolder(server).isEmpty();
}

QString SandboxShareService::hostPathFor(const QString& server, const QString& localPath) const {
  const QString folder = serverFolder(server);
  QChar drive;
  QStringList folders;
  if (folder.isEmpty() || !splitLocalPath(localPath, &drive, &folders)) return QString();
  folders.prepend(QString(drive));
  return resolveBelow(m_serversDir + u'/' + folder, folders);
}

const SandboxShare* SandboxShareService::findShare(const QString& server,
                                                   const QString& name) const {
  for (const SandboxShare& share : m_shares) {
    if (share.server.compare(server, Qt::CaseInsensitive) == 0 &&
        share.name.compare(name, Qt::CaseInsensitive) == 0) {
      return &share;
    }
  }
  return nullptr;
}

int SandboxShareService::resolveServer(const QString& server, QString* folder) const {
  QString name = server;
  if (name.isEmpty()) name = qEnvironmentVariable("computername");
  if (name.isEmpty()) name = QSysInfo::machineHostName();
  if (name.isEmpty()) return kShareHostNoServer;
  *folder = serverFolder(name);
  return folder->isEmpty() ? kShareHostFailed : kShareHostConnected;
}

int SandboxShareService::ConnectShareHost(const QString& server, const QString& domain,
                                          const QString& user, const QString& password) {
  // The sandbox has no accounts: every caller has the rights of its owner.
  Q_UNUSED(domain);
  Q_UNUSED(user);
  Q_UNUSED(password);
  DisconnectShareHost();
  QString folder;
  const int result = resolveServer(server, &folder);
  if (result == kShareHostConnected) {
    m_connectedServer = folder;
    m_connected = true;
  }
  return result;
}

void SandboxShareService::DisconnectShareHost() {
  m_connected = false;
  m_connectedServer.clear();
}

int SandboxShareService::EnumShares(const QString& server, const QString& domain,
                                    const QString& user, const QString& password,
                                    std::vector<ShareInfo>& shares) {
  Q_UNUSED(domain);
  Q_UNUSED(user);
  Q_UNUSED(password);
  // A connection to another server is left as it is: the list is always the
  // one of the server asked for.
  QString folder;
  if (m_connected && (server.isEmpty() || serverFolder(server).compare(m_connectedServer) == 0)) {
    folder = m_connectedServer;
  } else if (const int result = resolveServer(server, &folder); result != kShareHostConnected) {
    return result;
  }
  for (const SandboxShare& share : m_shares) {
    if (share.server.compare(folder, Qt::CaseInsensitive) == 0) {
      shares.push_back(ShareInfo{share.name, TypeText(kShareTypeDisk), QString(), share.localPath});
    }
  }
  return 0;
}

int SandboxShareService::CreateShare(const QString& server, const QString& localPath,
                                     const QString& shareName) {
  const QString path = reduceDoubledSeparators(localPath);
  QString folder;
  if (resolveServer(server, &folder) != kShareHostConnected) return kShareServerUnavailable;
  if (!isValidShareName(shareName)) return kShareInvalidName;
  if (findShare(folder, shareName) != nullptr) return kShareDuplicateName;
  const QString host = hostPathFor(folder, path);
  if (host.isEmpty()) return kShareInvalidParameter;
  if (!QFileInfo(host).isDir()) return kShareUnknownDirectory;
  m_shares.push_back(SandboxShare{folder, shareName, path});
  return 0;
}

}  // namespace quill
