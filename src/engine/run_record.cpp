#include "engine/run_record.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <utility>

#include "core/ads_path.h"

namespace quill {

namespace {

// The size and SHA-256 of the file at path, read in pieces.
QJsonObject fileFacts(const QString& path) {
  QJsonObject facts{{QStringLiteral("path"), QFileInfo(path).absoluteFilePath()}};
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return facts;
  QCryptographicHash sha(QCryptographicHash::Sha256);
  if (!sha.addData(&file)) return facts;
  facts.insert(QStringLiteral("size"), file.size());
  facts.insert(QStringLiteral("sha256"), QString::fromLatin1(sha.result().toHex()));
  return facts;
}

}  // namespace

RunRecord::~RunRecord() {
  if (m_fd >= 0) ::close(m_fd);
}

QString RunRecord::folderIn(const QString& logFolder) {
  return logFolder + QStringLiteral("/quillstead-runs");
}

QJsonObject RunRecord::describe(const RunOptions& o, const UserNamePatterns& patterns) {
  QJsonArray patternList;
  for (const UserNamePattern& p : patterns.pattern) {
    patternList.append(QJsonArray{p.LeadLetters, p.TrailLetters});
  }
  return QJsonObject{
      {QStringLiteral("txt_CSVFile"), o.txt_CSVFile},
      {QStringLiteral("txt_Domain"), o.txt_Domain},
      {QStringLiteral("chk_CreateFullTree"), o.chk_CreateFullTree},
      {QStringLiteral("chk_CreateOUs"), o.chk_CreateOUs},
      {QStringLiteral("txt_DepartmentOU"), o.txt_DepartmentOU},
      {QStringLiteral("chk_CreateDep"), o.chk_CreateDep},
      {QStringLiteral("chk_CreateDuty"), o.chk_CreateDuty},
      {QStringLiteral("txt_GroupsOU"), o.txt_GroupsOU},
      {QStringLiteral("chk_CreateUsers"), o.chk_CreateUsers},
      {QStringLiteral("chk_UsersOnSpecificOU"), o.chk_UsersOnSpecificOU},
      {QStringLiteral("txt_UsersOU"), o.txt_UsersOU},
      {QStringLiteral("chk_EmailDomain"), o.chk_EmailDomain},
      {QStringLiteral("txt_EmailDomain"), o.txt_EmailDomain},
      {QStringLiteral("txt_DirRoot"), o.txt_DirRoot},
      {QStringLiteral("chk_PrivDir"), o.chk_PrivDir},
      {QStringLiteral("opt_PrivateDirsLocation"), o.opt_PrivateDirsLocation},
      {QStringLiteral("chk_PubDirSingle"), o.chk_PubDirSingle},
      {QStringLiteral("chk_PubDirDep"), o.chk_PubDirDep},
      {QStringLiteral("chk_HiddenShares"), o.chk_HiddenShares},
      {QStringLiteral("UserNamePatterns"), patternList},
      {QStringLiteral("LastNameFirst"), patterns.LastNameFirst},
  };
}

bool RunRecord::open(const QString& folder, const Header& header, const RunOptions& options,
                     const UserNamePatterns& patterns, QString* error) {
  if (!QDir().mkpath(folder)) {
    *error = QStringLiteral("Cannot create the folder %1").arg(folder);
    return false;
  }
  ::chmod(QFile::encodeName(folder).constData(), 0700);
  const QDateTime start = QDateTime::currentDateTime();
  const QString stem = folder + u'/' + start.toString(QStringLiteral("yyyy-MM-ddTHH-mm-ss"));
  QString path = stem + QStringLiteral(".jsonl");
  for (int n = 2; QFileInfo::exists(path) || QFileInfo::exists(path.chopped(6) + ".undo.jsonl");
       ++n) {
    path = stem + QStringLiteral("-%1.jsonl").arg(n);
  }
  QJsonObject first{
      {QStringLiteral("record"), header.kind},
      {QStringLiteral("program"), QStringLiteral("quillstead " QUILLSTEAD_VERSION)},
      {QStringLiteral("start"), start.toString(Qt::ISODate)},
      {QStringLiteral("backend"), header.backend},
      {QStringLiteral("domain"), header.domain},
      {QStringLiteral("options"), describe(options, patterns)},
      {QStringLiteral("list"), fileFacts(options.txt_CSVFile)},
  };
  if (!header.undoes.isEmpty()) first.insert(QStringLiteral("undoes"), header.undoes);
  return openAt(path, first, error);
}

bool RunRecord::openAt(const QString& path, const QJsonObject& firstLine, QString* error) {
  if (m_fd >= 0) ::close(m_fd);
  m_path = path;
  m_fd = ::open(QFile::encodeName(path).constData(),
                O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC, 0600);
  if (m_fd < 0) {
    *error = QStringLiteral("Cannot create the run record %1").arg(path);
    return false;
  }
  write(firstLine);
  return true;
}

void RunRecord::write(const QJsonObject& line) {
  if (m_fd < 0) return;
  const QByteArray text = QJsonDocument(line).toJson(QJsonDocument::Compact) + '\n';
  // One write: the line is the system's as soon as it returns, before the
  // run's next log line.
  qsizetype done = 0;
  while (done < text.size()) {
    const ssize_t n =
        ::write(m_fd, text.constData() + done, static_cast<size_t>(text.size() - done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += n;
  }
}

void RunRecord::close(const QJsonObject& end) {
  if (m_beforeClose) std::exchange(m_beforeClose, {})();
  write(end);
  if (m_fd >= 0) {
    ::fsync(m_fd);
    ::close(m_fd);
  }
  m_fd = -1;
}

// The services that write each change they make to the record.

class RecordingPlatform::Directory : public ForwardingDirectory {
 public:
  Directory(DirectoryService& real, RunRecord& record)
      : ForwardingDirectory(&real), m_real(real), m_record(record) {}

  void SetInfo(DirObject& obj, PendingError& err) override {
    const bool isNew = obj.isNew;
    PendingError mine;
    ForwardingDirectory::SetInfo(obj, mine);
    if (mine.isSet()) {
      err.set(mine.error());
    } else if (isNew) {
      m_record.write({{QStringLiteral("change"), QStringLiteral("created")},
                      {QStringLiteral("dn"), obj.dn},
                      {QStringLiteral("class"), obj.objectClass}});
      DirObject made;
      made.host = obj.host;
      made.dn = obj.dn;
      made.objectClass = obj.objectClass;
      m_withoutGuid.push_back(std::move(made));
      if (m_withoutGuid.size() >= kGuidBatch) writeGuids();
    }
  }
  // Writes the identities of the objects created since the last call.
  void writeGuids() {
    for (const DirObject& made : m_withoutGuid) {
      PendingError ignored;
      const QString guid = m_real.ObjectGuid(made, ignored);
      if (guid.isEmpty()) continue;
      m_record.write({{QStringLiteral("change"), QStringLiteral("guid")},
                      {QStringLiteral("dn"), made.dn},
                      {QStringLiteral("guid"), guid}});
    }
    m_withoutGuid.clear();
  }
  void Add(DirObject& group, const QString& memberPath, PendingError& err) override {
    PendingError mine;
    ForwardingDirectory::Add(group, memberPath, mine);
    if (mine.isSet()) {
      err.set(mine.error());
    } else {
      m_record.write({{QStringLiteral("change"), QStringLiteral("member")},
                      {QStringLiteral("group"), group.dn},
                      {QStringLiteral("member"), parseAdsPath(memberPath).dn}});
    }
  }

 private:
  // Large enough that a directory reads many identities per request, small
  // enough that a killed run loses few of them.
  static constexpr size_t kGuidBatch = 250;
  DirectoryService& m_real;
  RunRecord& m_record;
  std::vector<DirObject> m_withoutGuid;
};

class RecordingPlatform::Files : public ForwardingFiles {
 public:
  Files(UncFileSystem& real, RunRecord& record) : ForwardingFiles(&real), m_record(record) {}
  bool makeFolder(const QString& uncPath, QString* error) override {
    if (!ForwardingFiles::makeFolder(uncPath, error)) return false;
    m_record.write(
        {{QStringLiteral("change"), QStringLiteral("folder")}, {QStringLiteral("path"), uncPath}});
    return true;
  }

 private:
  RunRecord& m_record;
};

class RecordingPlatform::Shares : public ForwardingShares {
 public:
  Shares(ShareService& real, RunRecord& record) : ForwardingShares(&real), m_record(record) {}
  int CreateShare(const QString& server, const QString& localPath,
                  const QString& shareName) override {
    const int result = ForwardingShares::CreateShare(server, localPath, shareName);
    if (result == 0) {
      m_record.write({{QStringLiteral("change"), QStringLiteral("share")},
                      {QStringLiteral("server"), server},
                      {QStringLiteral("name"), shareName},
                      {QStringLiteral("path"), localPath}});
    }
    return result;
  }

 private:
  RunRecord& m_record;
};

RecordingPlatform::RecordingPlatform(Platform real, RunRecord& record)
    : m_real(real),
      m_record(record),
      m_directory(std::make_unique<Directory>(*real.directory, record)),
      m_files(std::make_unique<Files>(*real.files, record)),
      m_shares(std::make_unique<Shares>(*real.shares, record)) {
  record.setBeforeClose([this] { m_directory->writeGuids(); });
}

RecordingPlatform::~RecordingPlatform() {
  m_directory->writeGuids();
  m_record.setBeforeClose({});
}

Platform RecordingPlatform::platform() {
  return Platform{m_directory.get(), m_files.get(), m_shares.get(), m_real.persons};
}

}  // namespace quill
