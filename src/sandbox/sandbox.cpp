#include "sandbox/sandbox.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <utility>

#include "sandbox/journal.h"
#include "sandbox/ldif.h"
#include "sandbox/memory_directory.h"
#include "sandbox/sandbox_changes.h"
#include "sandbox/sandbox_file_system.h"
#include "sandbox/sandbox_files.h"
#include "sandbox/sandbox_share_service.h"

namespace quill {

namespace {

const QString kDirectoryFile = QStringLiteral("directory.ldif");
const QString kSharesFile = QStringLiteral("shares.tsv");
const QString kUserListFile = QStringLiteral("Users_list.csv");
const QString kServersFolder = QStringLiteral("servers");
const QString kJournalFile = QStringLiteral("journal");
const QString kLockFile = QStringLiteral("lock");

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

const char* const kDirectoryKind = "directory";
const char* const kSharesKind = "shares";

// Writes data to path unless the file holds exactly data already, so a start
// that changed nothing leaves the sandbox's files, and their times, alone.
bool writeIfChanged(const QString& path, const QByteArray& data, QString* error) {
  QFile current(path);
  if (current.open(QIODevice::ReadOnly) && current.size() == data.size() &&
      current.readAll() == data) {
    return true;
  }
  current.close();
  return writeDurably(path, data, error);
}

// The framed content of a sandbox file, read whole. false with a reason that
// names the file when it cannot be read or is cut short; *legacy tells a file
// of an earlier version (no frame), *records the count its end line gives.
bool readFramed(const QString& path, const char* kind, QByteArray* data, qsizetype* records,
                bool* legacy, QString* error) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    *error = QStringLiteral("Cannot read %1: %2").arg(path, file.errorString());
    return false;
  }
  *data = file.readAll();
  QString why;
  if (file.error() != QFileDevice::NoError) why = file.errorString();
  if (why.isEmpty() && frameOf(*data, kind, records, legacy, &why)) return true;
  *error = QStringLiteral("%1 is damaged: %2").arg(path, why);
  return false;
}

QByteArray sampleUserList() {
  QByteArray data;
  for (const char* line : kSampleUserList) data += QByteArray(line) + "\r\n";
  return data;
}

}  // namespace

// The journal's side of the sandbox's changes: each becomes a record at once.
// A record that cannot be written is remembered, and the next save says so.
// The records of one person of a run are framed by a begin and an end
// record, so a replay can tell a person that a kill cut off.
class JournalSink : public SandboxChanges, public PersonChanges {
 public:
  JournalSink(Journal& journal, MemoryDirectory& directory)
      : m_journal(journal), m_directory(directory) {}

  void personBegins() override { append('B', {}); }
  void personEnds() override {
    m_directory.reportHeldChange();
    append('C', {});
  }

  void entryStored(const QByteArray& ldifRecord) override { append('E', {ldifRecord}); }
  void memberAdded(const QString& groupDn, const QString& memberDn) override {
    append('M', {groupDn.toUtf8(), memberDn.toUtf8()});
  }
  void shareAdded(const SandboxShare& share) override {
    append('S', {share.server.toUtf8(), share.name.toUtf8(), share.localPath.toUtf8()});
  }
  void entryDeleted(const QString& dn) override { append('D', {dn.toUtf8()}); }
  void memberRemoved(const QString& groupDn, const QString& memberDn) override {
    append('R', {groupDn.toUtf8(), memberDn.toUtf8()});
  }
  void shareDeleted(const SandboxShare& share) override {
    append('X', {share.server.toUtf8(), share.name.toUtf8()});
  }
  // The first failure since the last save; empty when none.
  QString takeFailure() { return std::exchange(m_failure, QString()); }

 private:
  void append(char kind, const QList<QByteArray>& fields) {
    if (!m_journal.append(kind, fields) && m_failure.isEmpty()) m_failure = m_journal.lastError();
  }

  Journal& m_journal;
  MemoryDirectory& m_directory;
  QString m_failure;
};

Sandbox::Sandbox() = default;

Sandbox::~Sandbox() {
  if (m_lock >= 0) ::close(m_lock);
}

std::unique_ptr<Sandbox> Sandbox::open(const QString& dir, QString* error, Access access) {
  auto fail = [&](const QString& reason) {
    if (error) *error = reason;
    return std::unique_ptr<Sandbox>();
  };
  if (dir.isEmpty()) return fail(QStringLiteral("No sandbox folder given"));
  const QString path = QDir::cleanPath(QDir(dir).absolutePath());
  const QFileInfo info(path);
  const bool readOnly = access == Access::ReadOnly;
  if (readOnly && !QFileInfo::exists(path + u'/' + kDirectoryFile)) {
    return fail(QStringLiteral("%1 holds no sandbox yet; a dry run writes nothing, so it cannot "
                               "make one")
                    .arg(path));
  }
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
  const QString servers = path + u'/' + kServersFolder;
  if (QFileInfo(servers).isSymLink()) {
    return fail(
        QStringLiteral("%1 is a symbolic link; the sandbox never follows one").arg(servers));
  }

  std::unique_ptr<Sandbox> sandbox(new Sandbox);
  sandbox->m_dir = path;
  sandbox->m_readOnly = readOnly;
  // Two programs on one sandbox would each write their own view back;
  // readers only need it not to change under them.
  const QByteArray lockPath = QFile::encodeName(path + u'/' + kLockFile);
  sandbox->m_lock = readOnly ? ::open(lockPath.constData(), O_RDONLY | O_CLOEXEC)
                             : ::open(lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if ((!readOnly && sandbox->m_lock < 0) ||
      (sandbox->m_lock >= 0 &&
       ::flock(sandbox->m_lock, (readOnly ? LOCK_SH : LOCK_EX) | LOCK_NB) != 0)) {
    return fail(QStringLiteral("The sandbox %1 is in use by another Quillstead program").arg(path));
  }
  sandbox->m_directory = std::make_unique<MemoryDirectory>(defaultDomain());
  sandbox->m_shares = std::make_unique<SandboxShareService>(servers);
  sandbox->m_files = std::make_unique<SandboxFileSystem>(*sandbox->m_shares);
  sandbox->m_journal = std::make_unique<Journal>();
  QString reason;
  if ((!readOnly && !sandbox->m_journal->open(path + u'/' + kJournalFile, &reason)) ||
      !(isNew ? sandbox->createContent(&reason) : sandbox->loadContent(&reason))) {
    return fail(reason);
  }
  if (readOnly) return sandbox;
  sandbox->m_sink = std::make_unique<JournalSink>(*sandbox->m_journal, *sandbox->m_directory);
  sandbox->m_directory->setChangeListener(sandbox->m_sink.get());
  sandbox->m_shares->setChangeListener(sandbox->m_sink.get());
  return sandbox;
}

bool Sandbox::loadContent(QString* error) {
  const QString directoryPath = m_dir + u'/' + kDirectoryFile;
  const QString sharesPath = m_dir + u'/' + kSharesFile;
  // A save the program did not live to finish leaves its temporary file.
  if (!m_readOnly) {
    removeUnfinishedSave(directoryPath);
    removeUnfinishedSave(sharesPath);
  }

  QByteArray data;
  qsizetype records = 0;
  bool legacy = false;
  QString reason;
  if (!readFramed(directoryPath, kDirectoryKind, &data, &records, &legacy, error)) return false;
  if (!m_directory->fromLdif(data, &reason)) {
    *error = QStringLiteral("%1 is damaged: %2").arg(directoryPath, reason);
    return false;
  }
  if (!legacy && records != m_directory->entryCount()) {
    *error = QStringLiteral("%1 is damaged: it holds %2 entries where its end line counts %3")
                 .arg(directoryPath)
                 .arg(m_directory->entryCount())
                 .arg(records);
    return false;
  }
  if (legacy) m_warnings << legacyWarning(directoryPath);

  // A sandbox whose share table was never written simply has no shares yet.
  if (QFileInfo::exists(sharesPath)) {
    if (!readFramed(sharesPath, kSharesKind, &data, &records, &legacy, error)) return false;
    if (!m_shares->fromTsv(data, sharesPath, &reason)) {
      *error = QStringLiteral("%1 is damaged: %2").arg(sharesPath, reason);
      return false;
    }
    if (!legacy && records != static_cast<qsizetype>(m_shares->shares().size())) {
      *error = QStringLiteral("%1 is damaged: it holds %2 shares where its end line counts %3")
                   .arg(sharesPath)
                   .arg(m_shares->shares().size())
                   .arg(records);
      return false;
    }
    if (legacy) m_warnings << legacyWarning(sharesPath);
  }
  return replayJournal(error);
}

QString Sandbox::legacyWarning(const QString& path) {
  return QStringLiteral(
             "%1 was written by an earlier version, without an end line; it is loaded "
             "as it stands and saved with one from now on.")
      .arg(path);
}

bool Sandbox::replayJournal(QString* error) {
  const QString journalPath = m_dir + u'/' + kJournalFile;
  std::vector<Journal::Record> records;
  if (!Journal::read(journalPath, &records, error, !m_readOnly)) return false;
  // The records of a person are applied once the person's end record is
  // read; those of a person without one (a kill cut it off) are not.
  std::vector<const Journal::Record*> person;
  bool inPerson = false;
  for (const Journal::Record& record : records) {
    if (record.kind == 'B' || record.kind == 'C') {
      if (record.kind == 'C') {
        for (const Journal::Record* change : person) {
          if (!replay(*change, error)) return false;
        }
      }
      person.clear();
      inPerson = record.kind == 'B';
    } else if (inPerson) {
      person.push_back(&record);
    } else if (!replay(record, error)) {
      return false;
    }
  }
  if (!person.empty()) {
    QStringList what;
    for (const Journal::Record* change : person) what << describe(*change);
    m_warnings << QStringLiteral(
                      "The last run was cut off while it worked on one person of its "
                      "list; that person's changes were taken back, so the next run "
                      "makes the person whole: %1.")
                      .arg(what.join(QStringLiteral("; ")));
  }
  // Folded in at once: the journal starts empty, without the records just
  // taken back.
  return records.empty() || m_readOnly || save(error);
}

bool Sandbox::replay(const Journal::Record& record, QString* error) {
  const auto field = [&record](qsizetype i) { return QString::fromUtf8(record.fields.value(i)); };
  QString reason;
  bool ok = false;
  if (record.kind == 'E' && record.fields.size() == 1) {
    ok = m_directory->replayEntry(record.fields[0], &reason);
  } else if (record.kind == 'M' && record.fields.size() == 2) {
    ok = m_directory->replayMember(field(0), field(1), &reason);
  } else if (record.kind == 'S' && record.fields.size() == 3) {
    m_shares->replayShare(SandboxShare{field(0), field(1), field(2)});
    ok = true;
  } else if (record.kind == 'D' && record.fields.size() == 1) {
    m_directory->replayDelete(field(0));
    ok = true;
  } else if (record.kind == 'R' && record.fields.size() == 2) {
    m_directory->replayRemoveMember(field(0), field(1));
    ok = true;
  } else if (record.kind == 'X' && record.fields.size() == 2) {
    m_shares->replayShareDelete(field(0), field(1));
    ok = true;
  } else {
    reason = QStringLiteral("unknown record");
  }
  if (!ok) {
    *error = QStringLiteral("%1, line %2: %3")
                 .arg(m_dir + u'/' + kJournalFile)
                 .arg(record.line)
                 .arg(reason);
  }
  return ok;
}

QString Sandbox::describe(const Journal::Record& record) {
  const auto field = [&record](qsizetype i) { return QString::fromUtf8(record.fields.value(i)); };
  switch (record.kind) {
    case 'E': {
      const std::optional<std::vector<LdifRecord>> entry =
          parseLdif(record.fields.value(0), nullptr);
      return QStringLiteral("the entry %1")
          .arg(entry && !entry->empty() ? entry->front().dn : QString());
    }
    case 'M':
      return QStringLiteral("%1 as a member of %2").arg(field(1), field(0));
    case 'S':
      return QStringLiteral("the share %1 of %2").arg(field(1), field(0));
    case 'D':
      return QStringLiteral("the deletion of %1").arg(field(0));
    case 'R':
      return QStringLiteral("the removal of %1 from %2").arg(field(1), field(0));
    case 'X':
      return QStringLiteral("the deletion of the share %1 of %2").arg(field(1), field(0));
    default:
      return QString();
  }
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
    const QString hostPath = m_shares->hostPathFor(share.server, share.localPath, nullptr);
    if (hostPath.isEmpty() || !QDir().mkpath(hostPath)) {
      if (error) *error = QStringLiteral("Cannot create the folder of share %1").arg(share.name);
      return false;
    }
  }
  m_directory->addBaseEntries();
  // The directory goes last: its file is what marks the folder as a sandbox.
  return writeDurably(m_dir + u'/' + kUserListFile, sampleUserList(), error) && save(error);
}

bool Sandbox::save(QString* error) {
  if (m_readOnly) return true;  // nothing was changed
  m_directory->reportHeldChange();
  const QString lost = m_sink ? m_sink->takeFailure() : QString();
  const bool written =
      writeIfChanged(m_dir + u'/' + kSharesFile,
                     framedFile(kSharesKind, m_shares->toTsv(),
                                static_cast<qsizetype>(m_shares->shares().size()), "shares"),
                     error) &&
      writeIfChanged(
          m_dir + u'/' + kDirectoryFile,
          framedFile(kDirectoryKind, m_directory->toLdif(), m_directory->entryCount(), "entries"),
          error);
  // The journal is emptied only once both files hold what it holds.
  if (!written || !m_journal->clear(error)) return false;
  if (!lost.isEmpty()) {
    if (error) {
      *error = QStringLiteral(
                   "The sandbox's journal could not be written (%1); the changes "
                   "before this save were kept only in memory until now.")
                   .arg(lost);
    }
    return false;
  }
  return true;
}

Platform Sandbox::platform() {
  return Platform{m_directory.get(), m_files.get(), m_shares.get(), m_sink.get()};
}

}  // namespace quill
