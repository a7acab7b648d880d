#include "sandbox/sandbox_share_service.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStringDecoder>
#include <QSysInfo>

#include "core/names.h"
#include "sandbox/sandbox_changes.h"

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

}  // namespace

SandboxShareService::SandboxShareService(const QString& serversDir)
    : m_serversDir(serversDir), m_disks(serversDir) {}

bool SandboxShareService::fromTsv(const QByteArray& data, const QString& label, QString* error) {
  auto fail = [&](const QString& reason) {
    if (error) *error = reason;
    return false;
  };
  QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  const QString text = decoder.decode(data);
  if (decoder.hasError()) return fail(QStringLiteral("Cannot read %1: not UTF-8 text").arg(label));
  QStringList lines = text.split(u'\n');
  if (lines.last().isEmpty()) lines.removeLast();  // the end of the last line

  std::vector<SandboxShare> shares;
  QSet<QString> keys;
  for (qsizetype i = 0; i < lines.size(); ++i) {
    QString line = lines.at(i);
    if (line.endsWith(u'\r')) line.chop(1);
    if (line.startsWith(u'#')) continue;  // the file's first and last lines
    const QString where = QStringLiteral("%1, line %2: ").arg(label).arg(i + 1);
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
    const QString key = shareKey(share.server, share.name);
    if (keys.contains(key)) {
      return fail(
          where +
          QStringLiteral("share '%1' of '%2' is listed twice").arg(share.name, share.server));
    }
    keys.insert(key);
    shares.push_back(share);
  }
  m_shares.clear();
  m_index.clear();
  for (const SandboxShare& share : shares) addShare(share);
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

bool SandboxShareService::removeShare(const QString& server, const QString& name) {
  const auto found = m_index.constFind(shareKey(server, name));
  if (found == m_index.constEnd()) return false;
  m_shares.erase(m_shares.begin() + static_cast<std::ptrdiff_t>(*found));
  m_index.clear();
  for (size_t i = 0; i < m_shares.size(); ++i) {
    m_index.insert(shareKey(m_shares[i].server, m_shares[i].name), i);
  }
  return true;
}

void SandboxShareService::replayShareDelete(const QString& server, const QString& name) {
  removeShare(server, name);
}

int SandboxShareService::DeleteShare(const QString& server, const QString& shareName) {
  QString folder;
  if (resolveServer(server, &folder) != kShareHostConnected) return kShareServerUnavailable;
  const SandboxShare* share = findShare(folder, shareName);
  if (share == nullptr) return kShareNotFound;
  const SandboxShare deleted = *share;
  removeShare(folder, shareName);
  if (m_changes != nullptr) m_changes->shareDeleted(deleted);
  return 0;
}

void SandboxShareService::replayShare(const SandboxShare& share) {
  if (findShare(share.server, share.name) == nullptr) addShare(share);
}

QString SandboxShareService::shareKey(const QString& server, const QString& name) {
  return server.toCaseFolded() + u'\n' + name.toCaseFolded();
}

void SandboxShareService::addShare(const SandboxShare& share) {
  m_index.insert(shareKey(share.server, share.name), m_shares.size());
  m_shares.push_back(share);
}

QString SandboxShareService::serverFolder(const QString& server) {
  if (!folderNameProblem(server).isEmpty()) return QString();
  QString hostPath;
  QString reason;
  if (m_disks.resolve({server}, &hostPath, &reason) && QFileInfo(hostPath).isDir()) {
    return QFileInfo(hostPath).fileName();
  }
  for (const SandboxShare& share : m_shares) {
    if (share.server.compare(server, Qt::CaseInsensitive) == 0) return share.server;
  }
  return QString();
}

bool SandboxShareService::serverExists(const QString& server) {
  return !serverFolder(server).isEmpty();
}

QString SandboxShareService::hostPathFor(const QString& server, const QString& localPath,
                                         QString* reason) {
  QString ignored;
  if (reason == nullptr) reason = &ignored;
  const QString folder = serverFolder(server);
  QChar drive;
  QStringList folders;
  if (folder.isEmpty() || !splitLocalPath(localPath, &drive, &folders)) {
    *reason = QStringLiteral("'%1' is not a path on the disk of '%2'").arg(localPath, server);
    return QString();
  }
  folders.prepend(QString(drive));
  folders.prepend(folder);
  QString hostPath;
  return m_disks.resolve(folders, &hostPath, reason) ? hostPath : QString();
}

const SandboxShare* SandboxShareService::findShare(const QString& server,
                                                   const QString& name) const {
  const auto found = m_index.constFind(shareKey(server, name));
  return found == m_index.constEnd() ? nullptr : &m_shares[*found];
}

QString SandboxShareService::GetSharePath(const QString& server, const QString& shareName) {
  QString folder;
  if (resolveServer(server, &folder) != kShareHostConnected) return QString();
  const SandboxShare* share = findShare(folder, shareName);
  return share ? share->localPath : QString();
}

int SandboxShareService::resolveServer(const QString& server, QString* folder) {
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
  const QString host = hostPathFor(folder, path, nullptr);
  if (host.isEmpty()) return kShareInvalidParameter;
  if (!QFileInfo(host).isDir()) return kShareUnknownDirectory;
  addShare(SandboxShare{folder, shareName, path});
  if (m_changes != nullptr) m_changes->shareAdded(m_shares.back());
  return 0;
}

}  // namespace quill
