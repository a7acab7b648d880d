#include "engine/run_driver.h"

#include <initializer_list>
#include <optional>

#include "core/dn.h"
#include "core/run_host.h"
#include "core/user_name_pattern.h"
#include "engine/folder_plan.h"
#include "engine/folder_share.h"
#include "engine/groups.h"
#include "engine/login_names.h"
#include "engine/ou_tree.h"
#include "engine/run_context.h"
#include "engine/run_log.h"
#include "engine/run_validation.h"
#include "engine/user_accounts.h"
#include "engine/user_list_reader.h"

namespace quill {

namespace {

// Error numbers of the driver's own steps that are not directory errors.
constexpr uint32_t kErrSubscriptOutOfRange = 9;
constexpr uint32_t kErrReadPastEnd = 62;

const QLatin1String kSkeletonUsers("OU=Users,OU=OU's");

// A reason that goes into a sentence of its own, without its full stop.
QString withoutFullStop(QString reason) {
  if (reason.endsWith(QLatin1Char('.'))) reason.chop(1);
  return reason;
}

// A failure of one of the driver's own steps, for the run-level handler.
struct StepFailure {
  uint32_t number;
  QString description;
};

// One run of the GO command: the driver's steps in order, with the run-level
// error handling between them.
class Run {
 public:
  Run(Platform platform, RunHost& host, RunLog& log, const UserNamePatterns& patterns)
      : m_host(host),
        m_persons(platform.persons),
        m_ctx(host, *platform.directory, *platform.files, *platform.shares, log, patterns) {}

  RunOutcome go();
  const QString& DomainFqdn() const { return m_ctx.domain.DomainFqdn; }
  const RunCounters& counters() const { return m_ctx.counters; }

 private:
  enum class Verdict { Continue, Stop };

  Verdict handle(const StepFailure& failure);
  RunOutcome stopByUser();
  RunOutcome endEarly();
  std::optional<StepFailure> need(const UserRecord& person,
                                  std::initializer_list<UserRecord::Field> fields);
  std::optional<StepFailure> bind(std::unique_ptr<DirObject>& slot, QString& boundPath,
                                  const QString& path);

  // The per-person steps; each returns Stop when the user ended the run.
  Verdict personSteps(const UserRecord& person);
  Verdict departmentStep(const UserRecord& person);
  Verdict accountStep(const UserRecord& person, const QString& leadName, const QString& trailName,
                      QString& loginName, QString& userDn);
  Verdict groupStep(const UserRecord& person, const QString& userDn);
  void summary();

  RunHost& m_host;
  PersonChanges* m_persons;
  RunContext m_ctx;
  UserListReader m_list;
  QString m_parentPath;
  QString m_accountPath;
  QString m_groupsPath;
  // Set when the user chose to go on without nesting groups.
  bool m_nestingDisabled = false;
  // Set when the host asked the run to stop before the end of the list.
  bool m_stoppedEarly = false;
};

Run::Verdict Run::handle(const StepFailure& failure) {
  if (failure.number == kErrUnwillingToPerform) {
    m_ctx.ReportLine(QStringLiteral("Domain is mixed mode. Global group nesting is disabled."));
    const MsgAnswer answer = m_host.ask(
        QStringLiteral("Since the domain's functional level is not set to 'Windows 2000 native' "
                       "or higher, There is not possibility to insert one global security group "
                       "to another.\nWould you like to continue without building groups tree ?"),
        MsgButtons::YesNo, MsgIcon::None);
    if (answer != MsgAnswer::Yes) return Verdict::Stop;
    m_nestingDisabled = true;
    return Verdict::Continue;
  }
  m_ctx.counters.ErrorsOccurred = true;
  m_ctx.ReportLine(QStringLiteral("Error: ") + failure.description);
  return Verdict::Continue;
}

RunOutcome Run::stopByUser() {
  m_list.close();
  m_host.inform(QStringLiteral("Some objects has been created during the process but the process "
                               "was interupted by the user."),
                MsgIcon::Information);
  return endEarly();
}

RunOutcome Run::endEarly() {
  ClearRunObjects(m_ctx);
  m_host.setBusy(false);
  return RunOutcome::EndedEarly;
}

std::optional<StepFailure> Run::need(const UserRecord& person,
                                     std::initializer_list<UserRecord::Field> fields) {
  for (UserRecord::Field n : fields) {
    if (!person.has(n)) {
      return StepFailure{kErrSubscriptOutOfRange, QString::fromLatin1(kMissingFieldDescription)};
    }
  }
  return std::nullopt;
}

// Binds path into slot, keeping the object of the last bind when the path is
// the same, so a run does not ask the directory again for every person.
std::optional<StepFailure> Run::bind(std::unique_ptr<DirObject>& slot, QString& boundPath,
                                     const QString& path) {
  if (slot && boundPath == path) return std::nullopt;
  slot.reset();
  boundPath.clear();
  PendingError err;
  std::unique_ptr<DirObject> obj = m_ctx.directory.Bind(path, err);
  if (!obj) {
    if (!err.isSet()) err.set(kErrGeneric, QStringLiteral("Unable to bind '%1'.").arg(path));
    return StepFailure{err.number(), err.description()};
  }
  slot = std::move(obj);
  boundPath = path;
  return std::nullopt;
}

RunOutcome Run::go() {
  RunOptions o = m_ctx.options();
  if (!(o.chk_CreateFullTree || o.chk_CreateOUs || o.chk_CreateDep || o.chk_CreateDuty ||
        o.chk_CreateUsers || o.chk_PubDirDep || o.chk_PubDirSingle || o.chk_PrivDir)) {
    // Nothing to create: the run still reads the list and counts its persons.
    m_host.inform(QStringLiteral("Please select an option."), MsgIcon::None);
  }

  m_ctx.counters = RunCounters{};
  m_host.setBusy(true);
  m_host.setStatus(QStringLiteral("Initializing..."));

  QString folder;
  QString fileName;
  // Every run: date and time on each line, the log in the current folder under
  // the program's name, the default size limit.
  m_ctx.log.OpenRunLog({.IncludeDate = true, .IncludeTime = true}, folder, fileName, 0);

  const int validation = ValidateRunOptions(m_ctx);
  if (validation != kValidationOk) {
    m_host.setBusy(false);
    return RunOutcome::EndedEarly;
  }

  o = m_ctx.options();
  if (o.chk_CreateFullTree || o.chk_CreateOUs || o.chk_CreateDep || o.chk_CreateDuty ||
      o.chk_CreateUsers) {
    if (PrepareTargetOUs(m_ctx) == TargetOUs::Abort) {
      m_host.setBusy(false);
      return RunOutcome::EndedEarly;
    }
  }

  if (BuildFolderPlan(m_ctx) != 0) return endEarly();

  const QString listPath = m_ctx.options().txt_CSVFile;
  QString openError;
  if (!m_list.open(listPath, &openError)) {
    if (m_list.openFailure() == UserListReader::OpenFailure::NotFound) {
      m_host.inform(QStringLiteral("Error. Unable to open '") + listPath + QStringLiteral("'."),
                    MsgIcon::Critical);
      return endEarly();
    }
    // A folder, or a file that may not be read: the run cannot go on.
    m_host.inform(QStringLiteral("Error. Unable to read the user list '%1': %2.")
                      .arg(listPath, withoutFullStop(openError)),
                  MsgIcon::Critical);
    return endEarly();
  }

  QString line;
  for (int heading = 0; heading < 2; ++heading) {
    const UserListReader::Status status = m_list.readLine(line);
    if (status == UserListReader::Status::EndOfFile) {
      if (handle({kErrReadPastEnd, QString::fromLatin1(kReadPastEndDescription)}) ==
          Verdict::Stop) {
        return stopByUser();
      }
    } else if (status == UserListReader::Status::Error) {
      break;
    }
  }

  for (;;) {
    const UserListReader::Status status = m_list.readLine(line);
    if (status == UserListReader::Status::EndOfFile) break;
    if (status == UserListReader::Status::Error) {
      const QString reason = m_list.errorString();
      m_list.close();
      m_host.inform(QStringLiteral("Error. Unable to read the user list '%1': %2. The run "
                                   "stopped after %3 users.")
                        .arg(listPath, withoutFullStop(reason))
                        .arg(m_ctx.counters.UsersProcessed),
                    MsgIcon::Critical);
      return endEarly();
    }
    if (status == UserListReader::Status::TooLong) {
      // Not a person at all; the run goes on with the next line.
      if (handle({kErrGeneric, QStringLiteral("A line of the user list is longer than 1 MiB; it "
                                              "was skipped.")}) == Verdict::Stop) {
        return stopByUser();
      }
    } else {
      if (m_persons) m_persons->personBegins();
      const Verdict verdict = personSteps(UserRecord(line));
      if (m_persons) m_persons->personEnds();
      if (verdict == Verdict::Stop) return stopByUser();
    }
    ++m_ctx.counters.UsersProcessed;
    m_host.setStatus(QString::number(m_ctx.counters.UsersProcessed) +
                     QStringLiteral(" users processed "));
    m_host.progress(m_list.bytesRead(), m_list.totalBytes());
    m_host.yield();
    if (const QString why = m_host.stopRequested(); !why.isEmpty()) {
      // The current person is done; the rest of the list is left for another run.
      m_stoppedEarly = true;
      m_ctx.ReportLine(QStringLiteral("The run was stopped (%1) after %2 users; the rest of the "
                                      "list was not read.")
                           .arg(why)
                           .arg(m_ctx.counters.UsersProcessed));
      break;
    }
  }
  m_list.close();

  summary();
  ClearRunObjects(m_ctx);
  m_host.setBusy(false);
  if (m_stoppedEarly) return RunOutcome::EndedEarly;
  if (m_ctx.counters.ErrorsOccurred) return RunOutcome::Errors;
  if (m_ctx.counters.WarningsOccurred) return RunOutcome::Warnings;
  return RunOutcome::Success;
}

Run::Verdict Run::personSteps(const UserRecord& person) {
  // Nothing of an earlier person is carried over: the login name and DN
  // start empty for every line.
  QString loginName;
  QString userDn;
  QString leadName;
  QString trailName;

  if (auto failure = need(person, {UserRecord::FirstName, UserRecord::LastName})) {
    if (handle(*failure) == Verdict::Stop) return Verdict::Stop;
  } else {
    const bool lastFirst = m_ctx.patterns.LastNameFirst;
    leadName = lastFirst ? person.lastName() : person.firstName();
    trailName = lastFirst ? person.firstName() : person.lastName();
    loginName = CalcUserName(m_ctx, leadName, trailName, false);
    if (loginName.isEmpty()) return Verdict::Continue;
  }

  if (departmentStep(person) == Verdict::Stop) return Verdict::Stop;
  if (accountStep(person, leadName, trailName, loginName, userDn) == Verdict::Stop) {
    return Verdict::Stop;
  }
  return groupStep(person, userDn);
}

Run::Verdict Run::departmentStep(const UserRecord& person) {
  const RunOptions o = m_ctx.options();
  if (!(o.chk_CreateOUs || o.chk_PubDirDep ||
        o.opt_PrivateDirsLocation == kPrivateDirsPerDepartment)) {
    return Verdict::Continue;
  }
  if (auto failure = need(person, {UserRecord::Department})) return handle(*failure);
  const QString department = person.department();

  if (o.chk_CreateOUs) {
    const QString parentPath = o.chk_CreateFullTree ? m_ctx.domain.LdapPrefix + kSkeletonUsers +
                                                          m_ctx.domain.DomainDnSuffix
                                                    : o.txt_DepartmentOU;
    if (auto failure = bind(m_ctx.parentContainer, m_parentPath, parentPath)) {
      if (handle(*failure) == Verdict::Stop) return Verdict::Stop;
    } else {
      CreateDepartmentOU(m_ctx, *m_ctx.parentContainer, department);
    }
  }

  // The roots were set by the folder plan of this run.
  for (const PlannedFolder& folder : departmentFolders(m_ctx.roots, department)) {
    CreateFolderAndShare(m_ctx, folder.path, folder.shareName, true);
  }
  return Verdict::Continue;
}

Run::Verdict Run::accountStep(const UserRecord& person, const QString& leadName,
                              const QString& trailName, QString& loginName, QString& userDn) {
  const RunOptions o = m_ctx.options();
  if (!o.chk_CreateUsers) return Verdict::Continue;
  // Until an account exists for this person, the group step must add nothing.
  m_ctx.counters.UserFailed = true;

  const bool inDepartmentOu = !o.chk_UsersOnSpecificOU && (o.chk_CreateFullTree || o.chk_CreateOUs);
  using F = UserRecord::Field;
  if (auto failure =
          need(person, inDepartmentOu
                           ? std::initializer_list<F>{F::FirstName, F::LastName, F::Description,
                                                      F::Department, F::Telephone}
                           : std::initializer_list<F>{F::FirstName, F::LastName, F::Description,
                                                      F::Telephone})) {
    return handle(*failure);
  }

  QString userOuPath;
  const DomainStrings& d = m_ctx.domain;
  const QString departmentRdn = QStringLiteral("OU=") + escapeDnValue(person.department());
  if (o.chk_UsersOnSpecificOU) {
    userOuPath = m_ctx.usersOuPath;
  } else if (o.chk_CreateFullTree) {
    userOuPath =
        d.LdapPrefix + departmentRdn + QLatin1Char(',') + kSkeletonUsers + d.DomainDnSuffix;
  } else if (o.chk_CreateOUs) {
    userOuPath = d.LdapPrefix + departmentRdn + QLatin1Char(',') +
                 targetDn(o.txt_DepartmentOU, d.LdapPrefix);
  } else {
    userOuPath = m_ctx.usersOuPath;
  }

  if (auto failure = bind(m_ctx.accountContainer, m_accountPath, userOuPath)) {
    return handle(*failure);
  }
  m_ctx.ReportLine(QStringLiteral("Creating user '") + loginName + QStringLiteral("' in '") +
                   userOuPath + QStringLiteral("'..."));
  m_ctx.counters.UserFailed = false;
  int result = CreateUserAccount(m_ctx, person, *m_ctx.accountContainer, loginName, userDn);
  if (result != kUserCreated) {
    loginName = CalcUserName(m_ctx, leadName, trailName, true);
    result = CreateUserAccount(m_ctx, person, *m_ctx.accountContainer, loginName, userDn);
    if (result != kUserCreated) {
      m_ctx.ReportLine(QStringLiteral("Error: '") + person.firstName() + QLatin1Char(' ') +
                       person.lastName() + QStringLiteral("' will not be created."));
      m_ctx.counters.UserFailed = true;
    } else {
      // The account exists under the fall-back name, so the person joins the
      // groups like everybody else.
      m_ctx.counters.UserFailed = false;
    }
  }
  return Verdict::Continue;
}

Run::Verdict Run::groupStep(const UserRecord& person, const QString& userDn) {
  const RunOptions o = m_ctx.options();
  if (!o.chk_CreateDep && !o.chk_CreateDuty) return Verdict::Continue;
  // The field lists are built inside the call: an initializer_list kept in a
  // variable would point at an array that no longer exists when need() reads it.
  const UserRecord::Field groupField = o.chk_CreateDep ? UserRecord::Department : UserRecord::Duty;
  if (auto failure = o.chk_CreateDep && o.chk_CreateDuty
                         ? need(person, {UserRecord::Department, UserRecord::Duty})
                         : need(person, {groupField})) {
    return handle(*failure);
  }

  if (m_ctx.groupsOuPath.isEmpty()) {
    // Target OUs were not prepared (the group options were switched on
    // during the run): the window's groups OU stays for the rest of the run.
    m_ctx.groupsOuPath = o.txt_GroupsOU;
    m_ctx.groupsOuDn = targetDn(m_ctx.groupsOuPath, m_ctx.domain.LdapPrefix);
  }
  if (auto failure = bind(m_ctx.groupsContainer, m_groupsPath, m_ctx.groupsOuPath)) {
    return handle(*failure);
  }

  const QString& fqdn = m_ctx.domain.DomainFqdn;
  const QString group = personGroupName(o, person);
  const QString memberPath = QStringLiteral("LDAP://") + fqdn + QLatin1Char('/') + userDn;
  AddMemberToGroup(m_ctx, group, *m_ctx.groupsContainer, groupPath(fqdn, group, m_ctx.groupsOuDn),
                   memberPath);

  if (o.chk_CreateDep && o.chk_CreateDuty) {
    const QString department = person.department();
    const QString departmentPath = groupPath(fqdn, department, m_ctx.groupsOuDn);
    if (m_nestingDisabled) {
      // The domain cannot nest groups: the department group is still made,
      // with nothing added to it.
      AddMemberToGroup(m_ctx, department, *m_ctx.groupsContainer, departmentPath,
                       QStringLiteral("LDAP://") + fqdn + QLatin1Char('/'));
      return Verdict::Continue;
    }
    uint32_t refusal = 0;
    AddMemberToGroup(m_ctx, department, *m_ctx.groupsContainer, departmentPath,
                     groupPath(fqdn, group, m_ctx.groupsOuDn), &refusal);
    if (refusal == kErrUnwillingToPerform) {
      return handle({refusal, QStringLiteral("The server is unwilling to process the request.")});
    }
  }
  return Verdict::Continue;
}

void Run::summary() {
  const QString count = QString::number(m_ctx.counters.UsersProcessed);
  const QString status = count + QStringLiteral(" users processed ");
  if (m_ctx.counters.ErrorsOccurred) {
    m_host.setStatus(status + QStringLiteral(". Some errors occurred."));
    if (m_host.askOpenLog(QStringLiteral(
            "Some errors occurred. Would you like to view the log file?")) == MsgAnswer::Yes) {
      ShowRunLog(m_ctx.log, m_host, m_ctx.files);
    }
  } else if (m_ctx.counters.WarningsOccurred) {
    m_host.setStatus(status + QStringLiteral(". Some warnings occurred."));
    if (m_host.askOpenLog(QStringLiteral(
            "Some warnings occurred. Would you like to view the log file?")) == MsgAnswer::Yes) {
      ShowRunLog(m_ctx.log, m_host, m_ctx.files);
    }
  } else {
    m_host.inform(QStringLiteral("Processed ") + count + QStringLiteral(" users succesfully."),
                  MsgIcon::Information);
    m_host.setStatus(status + QStringLiteral(" Succesfully."));
  }
}

}  // namespace

RunDriver::RunDriver(Platform platform, RunHost& host, RunLog& log,
                     const UserNamePatterns& patterns)
    : m_platform(platform), m_host(host), m_log(log), m_patterns(patterns) {}

RunOutcome RunDriver::cmd_GO_Click() {
  if (m_running) return RunOutcome::AlreadyRunning;
  m_running = true;
  Run run(m_platform, m_host, m_log, m_patterns);
  const RunOutcome outcome = run.go();
  if (!run.DomainFqdn().isNull()) m_domainFqdn = run.DomainFqdn();
  m_lastCounters = run.counters();
  m_running = false;
  return outcome;
}

}  // namespace quill
