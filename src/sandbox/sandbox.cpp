#include "sandbox/sandbox.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "sandbox/memory_directory.h"
#include "sandbox/sandbox_file_system.h"
#include "sandbox/sandbox_share_service.h"

namespace quill {

namespace {

const QString kDirectoryFile = QStringLiteral("directory.ldif");
const QString kSharesFile = QStringLiteral("shares.tsv");
const QString kUserListFile = QStringLiteral("Users_list.csv");
const QString kServersFolder = QStringLiteral("servers");

// The sample user list: two heading lines, then one person a line (first
// name, last name, description, department, duty, telephone). Some persons
// share a last name (the Smiths, the Bonds) but no two share a login name by
// the first pattern, so a first run on a new sandbox ends without warnings.
const char* const kSampleUserList[] = {
    "First name,Last name,Description,Department,Duty,Telephone",
    "Sample list of the Quillstead sandbox; one person a line; no quoting",
    "John,Smith,Sales clerk at desk 4,Sales,Clerk,555-0101",
    "Anne,Smith,Sales manager,Sales,Manager,555-0102",
    "James,Bond,Key account clerk,Sales,Clerk,555-0103",
    "Emma,Bond,Sales assistant,Sales,Assistant,555-0104",
    "Mary,Johnson,Sales analyst,Sales,Analyst,555-0105",
    "Peter,Miller,Regional sales clerk,Sales,Clerk,555-0106",
    "Walter,Smith,Sales engineer,Sales,Engineer,555-0107",
    "Linda,Brown,Chief accountant,Accounting,Manager,555-0201",
    "Robert,Davis,Accounts payable,Accounting,Clerk,555-0202",
    "Patricia,Wilson,Accounts receivable,Accounting,Clerk,555-0203",
    "Michael,Moore,Payroll,Accounting,Clerk,555-0204",
    "Barbara,Taylor,Budget analyst,Accounting,Analyst,555-0205",
    "Steven,Nelson,Purchasing clerk,Accounting,Clerk,555-0206",
    "William,Anderson,Accounting assistant (part time),Accounting,Assistant,",
    "Elizabeth,Thomas,Head of engineering,Engineering,Manager,555-0301",
    "David,Jackson,Software engineer,Engineering,Engineer,555-0302",
    "Jennifer,White,Software engineer,Engineering,Engineer,555-0303",
    "Richard,Harris,Test engineer,Engineering,Engineer,555-0304",
    "Susan,Martin,Build and release engineer,Engineering,Engineer,555-0305",
    "Joseph,Thompson,Lab technician,Engineering,Technician,555-0306",
    "Margaret,Garcia,Systems analyst,Engineering,Analyst,555-0307",
    "Carol,Hill,Quality engineer,Engineering,Engineer,555-0308",
    "Sharon,Carter,Senior software engineer,Engineering,Engineer,555-0309",
    "Charles,Martinez,Support manager,Support,Manager,555-0401",
    "Dorothy,Robinson,Help desk,Support,Technician,555-0402",
    "Thomas,Clark,Help desk,Support,Technician,555-0403",
    "Lisa,Rodriguez,Field technician,Support,Technician,555-0404",
    "Daniel,Lewis,Network technician,Support,Technician,555-0405",
    "Nancy,Lee,Support assistant,Support,Assistant,555-0406",
    "Edward,Campbell,Second level support,Support,Technician,555-0407",
    "Paul,Walker,Marketing manager,Marketing,Manager,555-0501",
    "Karen,Hall,Market analyst,Marketing,Analyst,555-0502",
    "Mark,Allen,Web content,Marketing,Assistant,555-0503",
    "Betty,Young,Events,Marketing,Clerk,555-0504",
    "Donald,King,Graphic design,Marketing,Assistant,555-0505",
    "Ruth,Mitchell,Marketing clerk,Marketing,Clerk,555-0506",
    "Helen,Wright,Managing director,Management,Director,555-0601",
    "George,Scott,Finance director,Management,Director,555-0602",
    "Sandra,Green,Operations director,Management,Director,555-0603",
    "Kenneth,Adams,Executive assistant,Management,Assistant,555-0604",
    "Donna,Baker,Office clerk,Management,Clerk,555-0605",
    "Brian,Roberts,Strategy analyst,Management,Analyst,555-0606",
};

bool writeFileAtomically(const QString& path, const QByteArray& data, QString* error) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit()) {
    if (error) *error = QStringLiteral("Cannot write %1: %2").arg(path, file.errorString());
    return false;
  }
  return true;
}

// Writes data to path unless the file holds exactly data already, so a start
// that changed nothing leaves the sandbox's files, and their times, alone.
bool writeIfChanged(const QString& path, const QByteArray& data, QString* error) {
  QFile current(path);
  if (current.open(QIODevice::ReadOnly) && current.size() == data.size() &&
      current.readAll() == data) {
    return true;
  }
  current.close();
  return writeFileAtomically(path, data, error);
}

QByteArray sampleUserList() {
  QByteArray data;
  for (const char* line : kSampleUserList) data += QByteArray(line) + "\r\n";
  return data;
}

}  // namespace

Sandbox::~Sandbox() = default;

std::unique_ptr<Sandbox> Sandbox::open(const QString& dir, QString* error) {
  auto fail = [&](const QString& reason) {
    if (error) *error = reason;
    return std::unique_ptr<Sandbox>();
  };
  if (dir.isEmpty()) return fail(QStringLiteral("No sandbox folder given"));
  const QString path = QDir::cleanPath(QDir(dir).absolutePath());
  const QFileInfo info(path);
  bool isNew = false;
  if (!info.exists()) {
    if (!QDir().mkpath(path)) return fail(QStringLiteral("Cannot create the folder %1").arg(path));
    isNew = true;
  } else if (!info.isDir()) {
    return fail(QStringLiteral("%1 is not a folder").arg(path));
  } else if (!QFileInfo::exists(path + u'/' + kDirectoryFile)) {
    // Never write into a folder that holds something else.
    const QDir folder(path);
    if (!folder.isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
      return fail(QStringLiteral("%1 is not a Quillstead sandbox: it is not empty and holds no %2")
                      .arg(path, kDirectoryFile));
    }
    isNew = true;
  }

  std::unique_ptr<Sandbox> sandbox(new Sandbox);
  sandbox->m_dir = path;
  sandbox->m_directory = std::make_unique<MemoryDirectory>(defaultDomain());
  sandbox->m_shares = std::make_unique<SandboxShareService>(path + u'/' + kServersFolder);
  sandbox->m_files = std::make_unique<SandboxFileSystem>(*sandbox->m_shares);
  QString reason;
  if (!(isNew ? sandbox->createContent(&reason) : sandbox->loadContent(&reason))) {
    return fail(reason);
  }
  return sandbox;
}

bool Sandbox::loadContent(QString* error) {
  if (!m_directory->loadLdif(m_dir + u'/' + kDirectoryFile, error)) return false;
  // A sandbox whose share table was never written simply has no shares yet.
  const QString sharesPath = m_dir + u'/' + kSharesFile;
  return !QFileInfo::exists(sharesPath) || m_shares->load(sharesPath, error);
}

bool Sandbox::createContent(QString* error) {
  const QString domain = defaultDomain();
  const QString server = defaultFileServer();
  m_shares->addShare(
      {domain, QStringLiteral("sysvol"), QStringLiteral("C:\\Windows\\SYSVOL\\sysvol")});
  m_shares->addShare(
      {domain, QStringLiteral("netlogon"),
       QStringLiteral("C:\\Windows\\SYSVOL\\sysvol\\") + domain + QStringLiteral("\\scripts")});
  m_shares->addShare({server, QStringLiteral("data"), QStringLiteral("D:\\shares\\data")});
  for (const SandboxShare& share : m_shares->shares()) {
    const QString hostPath = m_shares->hostPathFor(share.server, share.localPath);
    if (hostPath.isEmpty() || !QDir().mkpath(hostPath)) {
      if (error) *error = QStringLiteral("Cannot create the folder of share %1").arg(share.name);
      return false;
    }
  }
  m_directory->addBaseEntries();
  // The directory goes last: its file is what marks the folder as a sandbox.
  return m_shares->save(m_dir + u'/' + kSharesFile, error) &&
         writeFileAtomically(m_dir + u'/' + kUserListFile, sampleUserList(), error) &&
         m_directory->saveLdif(m_dir + u'/' + kDirectoryFile, error);
}

bool Sandbox::save(QString* error) {
  return writeIfChanged(m_dir + u'/' + kDirectoryFile, m_directory->toLdif(), error) &&
         writeIfChanged(m_dir + u'/' + kSharesFile, m_shares->toTsv(), error);
}

Platform Sandbox::platform() { return Platform{m_directory.get(), m_files.get(), m_shares.get()}; }

}  // namespace quill
