#include "engine/user_accounts.h"

#include "core/dn.h"
#include "engine/run_context.h"

namespace quill {

namespace {

// The rest of a new account: its attributes, a password to be changed at the
// first logon, and the enabling.
void stageTheRest(DirectoryService& dir, DirObject& user, const UserRecord& person,
                  const RunOptions& o, const QString& loginName) {
  const QString first = person.firstName();
  const QString last = person.lastName();
  if (!person.description().isEmpty()) {
    dir.Put(user, QStringLiteral("description"), person.description());
  }
  if (!person.telephone().isEmpty()) {
    dir.Put(user, QStringLiteral("telephoneNumber"), person.telephone());
  }
  if (o.chk_EmailDomain && !o.txt_EmailDomain.isEmpty()) {
    dir.Put(user, QStringLiteral("mail"), loginName + QLatin1Char('@') + o.txt_EmailDomain);
  }
  dir.PutInteger(user, QStringLiteral("pwdLastSet"), 0);
  dir.SetPassword(user, o.txt_Password[0]);
  dir.SetAccountDisabled(user, false);
  dir.SetFullName(user, first + QLatin1Char(' ') + last);
  if (!first.isEmpty()) dir.SetFirstName(user, first);
  if (!last.isEmpty()) dir.SetLastName(user, last);
}

}  // namespace

int CreateUserAccount(RunContext& context, const UserRecord& person, const DirObject& container,
                      const QString& loginName, QString& userDn) {
  DirectoryService& dir = context.directory;
  RunCounters& counters = context.counters;
  const RunOptions o = context.options();
  const auto incomplete = [&counters] {
    // The account exists but is not complete (a password the domain's policy
    // refuses, say); it stays as it is for the administrator to finish.
    counters.ErrorsOccurred = true;
    counters.UserFailed = true;
    return kUserExistsOrIncomplete;
  };

  PendingError err;
  const QString rdn = QStringLiteral("CN=") +
                      escapeDnValue(person.firstName() + QLatin1Char(' ') + person.lastName());
  std::unique_ptr<DirObject> user = dir.Create(container, QStringLiteral("user"), rdn, err);
  const auto stageNames = [&] {
    dir.Put(*user, QStringLiteral("samAccountName"), loginName);
    dir.Put(*user, QStringLiteral("userPrincipalName"),
            loginName + QLatin1Char('@') + context.domain.DomainFqdn);
  };
  // The whole account in one save, which costs a server one request instead
  // of two. When that stores nothing for any reason but a taken name (a
  // password the policy refuses, say), the account is made in two saves as
  // always, so that it ends as it always did: created, and disabled when the
  // second save meets the same refusal.
  bool whole = false;
  if (user) {
    stageNames();
    stageTheRest(dir, *user, person, o, loginName);
    dir.SetInfo(*user, err);
    whole = !err.isSet();
    if (err.isSet() && !user->isNew) return incomplete();  // stored, but not all of it
    if (err.isSet() && err.number() != kErrAlreadyExists) {
      err.clear();
      user = dir.Create(container, QStringLiteral("user"), rdn, err);
      if (user) {
        stageNames();
        dir.SetInfo(*user, err);
      }
    }
  }
  if (err.isSet()) {
    if (err.number() == kErrAlreadyExists) {
      context.ReportLine(QStringLiteral("Warning: '") + loginName +
                         QStringLiteral("' already exists. No changes will be made to the "
                                        "existing account."));
      counters.WarningsOccurred = true;
      counters.UserFailed = true;
      return kUserExistsOrIncomplete;
    }
    context.ReportLine(QStringLiteral("Error: Unable to create '") + loginName +
                       QStringLiteral("' in '") + DirectoryService::Name(container) +
                       QStringLiteral("'. Cause: ") + err.description());
    counters.ErrorsOccurred = true;
    counters.UserFailed = true;
    return kUserCreateFailed;
  }
  if (!whole) {
    stageTheRest(dir, *user, person, o, loginName);
    dir.SetInfo(*user, err);
    if (err.isSet()) return incomplete();
  }

  // The DN is handed back for both outcomes, so an empty one never leaves a
  // caller holding the DN of someone else.
  userDn = dir.Get(*user, QStringLiteral("distinguishedName"), err);
  if (userDn.isEmpty()) {
    counters.ErrorsOccurred = true;
    return kUserDnEmpty;
  }
  return kUserCreated;
}

}  // namespace quill
