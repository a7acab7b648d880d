#include "app/command_line.h"

#include <QFile>
#include <QRegularExpression>
#include <array>

#include "net/library_versions.h"

namespace quill {

namespace {

enum class Kind { YesNo, Text, Location, Pattern, Switch };

struct RunFlag {
  const char* name;
  Kind kind;
  bool RunOptions::*flag = nullptr;
  QString RunOptions::*text = nullptr;
  const char* help;
};

// Each run flag sets one field of the window's options.
const std::array<RunFlag, 21> kRunFlags = {{
    {"--domain", Kind::Text, nullptr, &RunOptions::txt_Domain, "NAME    domain (txt_Domain)"},
    {"--csv", Kind::Text, nullptr, &RunOptions::txt_CSVFile, "PATH    user list (txt_CSVFile)"},
    {"--full-tree", Kind::YesNo, &RunOptions::chk_CreateFullTree, nullptr,
     "yes|no  create the full OU tree (chk_CreateFullTree)"},
    {"--department-ous", Kind::YesNo, &RunOptions::chk_CreateOUs, nullptr,
     "yes|no  department OUs (chk_CreateOUs)"},
    {"--department-ou", Kind::Text, nullptr, &RunOptions::txt_DepartmentOU,
     "PATH    LDAP path of the department OUs' container (txt_DepartmentOU)"},
    {"--department-groups", Kind::YesNo, &RunOptions::chk_CreateDep, nullptr,
     "yes|no  department groups (chk_CreateDep)"},
    {"--duty-groups", Kind::YesNo, &RunOptions::chk_CreateDuty, nullptr,
     "yes|no  duty groups (chk_CreateDuty)"},
    {"--groups-ou", Kind::Text, nullptr, &RunOptions::txt_GroupsOU,
     "PATH    LDAP path of the groups OU (txt_GroupsOU)"},
    {"--users", Kind::YesNo, &RunOptions::chk_CreateUsers, nullptr,
     "yes|no  create user accounts (chk_CreateUsers)"},
    {"--flat-users", Kind::YesNo, &RunOptions::chk_UsersOnSpecificOU, nullptr,
     "yes|no  all accounts in one OU (chk_UsersOnSpecificOU)"},
    {"--users-ou", Kind::Text, nullptr, &RunOptions::txt_UsersOU,
     "PATH    LDAP path of that OU (txt_UsersOU)"},
    {"--email", Kind::YesNo, &RunOptions::chk_EmailDomain, nullptr,
     "yes|no  set e-mail addresses (chk_EmailDomain)"},
    {"--email-domain", Kind::Text, nullptr, &RunOptions::txt_EmailDomain,
     "NAME    e-mail domain (txt_EmailDomain)"},
    {"--dir-root", Kind::Text, nullptr, &RunOptions::txt_DirRoot,
     "UNC     root of the folder trees (txt_DirRoot)"},
    {"--private-dirs", Kind::YesNo, &RunOptions::chk_PrivDir, nullptr,
     "yes|no  private folder containers (chk_PrivDir)"},
    {"--private-location", Kind::Location, nullptr, nullptr,
     "central|per-department  where they go (opt_PrivateDirsLocation)"},
    {"--single-public", Kind::YesNo, &RunOptions::chk_PubDirSingle, nullptr,
     "yes|no  one public folder for all (chk_PubDirSingle)"},
    {"--department-public", Kind::YesNo, &RunOptions::chk_PubDirDep, nullptr,
     "yes|no  a public folder per department (chk_PubDirDep)"},
    {"--hidden-shares", Kind::YesNo, &RunOptions::chk_HiddenShares, nullptr,
     "yes|no  hidden shares, name$ (chk_HiddenShares)"},
    {"--pattern", Kind::Pattern, nullptr, nullptr,
     "N=LEAD,TRAIL  user-name pattern N (1-3), letter counts 0-12 (12: whole name)"},
    {"--last-name-first", Kind::Switch, nullptr, nullptr,
     "        the last name leads the user name"},
}};

const RunFlag* findRunFlag(const QString& name) {
  for (const RunFlag& f : kRunFlags) {
    if (name == QLatin1String(f.name)) return &f;
  }
  return nullptr;
}

bool parseYesNo(const QString& value, bool* out) {
  const QString v = value.toLower();
  if (v == QLatin1String("yes")) {
    *out = true;
    return true;
  }
  if (v == QLatin1String("no")) {
    *out = false;
    return true;
  }
  return false;
}

struct PatternValue {
  int number = 0;
  UserNamePattern pattern;
};

bool parsePattern(const QString& value, PatternValue* out, QString* why) {
  static const QRegularExpression re(QStringLiteral("^([0-9]+)=([0-9]+),([0-9]+)$"));
  const QRegularExpressionMatch m = re.match(value);
  if (!m.hasMatch()) {
    *why = QStringLiteral("expected N=LEAD,TRAIL");
    return false;
  }
  // A number too large for an int is refused as out of range, not read as 0.
  bool numberOk = false;
  bool leadOk = false;
  bool trailOk = false;
  const int n = m.captured(1).toInt(&numberOk);
  const int lead = m.captured(2).toInt(&leadOk);
  const int trail = m.captured(3).toInt(&trailOk);
  if (!numberOk || n < 1 || n > 3) {
    *why = QStringLiteral("pattern number must be 1, 2 or 3");
    return false;
  }
  if (!leadOk || !trailOk || lead > kEntireNameCount || trail > kEntireNameCount) {
    *why = QStringLiteral("letter counts run from 0 to 12");
    return false;
  }
  if (lead == 0 && trail == 0) {
    *why = QStringLiteral("a pattern needs at least one letter");
    return false;
  }
  out->number = n;
  out->pattern = UserNamePattern{lead, trail};
  return true;
}

QString badValue(const QString& flag, const QString& value, const QString& why) {
  return QStringLiteral("invalid value '%1' for %2: %3").arg(value, flag, why);
}

}  // namespace

namespace {

// Reads the arguments one at a time. Each step either takes the argument or
// leaves result.error set; a parse stops at the first error.
class Parser {
 public:
  explicit Parser(const QStringList& args) : m_args(args) {}

  CommandLineResult parse() {
    for (m_index = 0; m_index < m_args.size(); ++m_index) {
      split(m_args.at(m_index));
      if (!takeProgramFlag() && m_result.error.isEmpty() && !takeRunFlag() &&
          m_result.error.isEmpty()) {
        m_result.error = m_arg.startsWith(QLatin1Char('-'))
                             ? QStringLiteral("unknown option '%1'").arg(m_arg)
                             : QStringLiteral("unexpected argument '%1'").arg(m_arg);
      }
      if (!m_result.error.isEmpty()) return m_result;
    }
    finish();
    return m_result;
  }

 private:
  // "--flag=value" gives the flag and an inline value.
  void split(const QString& arg) {
    m_arg = arg;
    m_inlineValue.clear();
    m_hasInline = false;
    if (!arg.startsWith(QLatin1String("--"))) return;
    const qsizetype eq = arg.indexOf(QLatin1Char('='));
    if (eq > 0) {
      m_inlineValue = arg.mid(eq + 1);
      m_arg = arg.left(eq);
      m_hasInline = true;
    }
  }

  bool takeValue(QString* value) {
    if (m_hasInline) {
      *value = m_inlineValue;
      return true;
    }
    if (m_index + 1 >= m_args.size()) {
      m_result.error = QStringLiteral("option %1 needs a value").arg(m_arg);
      return false;
    }
    *value = m_args.at(++m_index);
    return true;
  }

  bool noValue() {
    if (!m_hasInline) return true;
    m_result.error = QStringLiteral("option %1 takes no value").arg(m_arg);
    return false;
  }

  bool is(const char* name) const { return m_arg == QLatin1String(name); }

  // A flag that is not a run option: mode, backends, password files. true
  // when the argument was one (with result.error set if its value is bad).
  bool takeProgramFlag() {
    CommandLine& cl = m_result.commandLine;
    if (is("--help") || is("-h")) {
      m_help = noValue();
    } else if (is("--version")) {
      m_version = noValue();
    } else if (is("--batch")) {
      m_batch = noValue();
    } else if (is("--yes")) {
      cl.answerYes = noValue();
    } else if (is("--dry-run")) {
      cl.dryRun = noValue();
    } else if (is("--undo")) {
      if (takeValue(&cl.undoRecord) && cl.undoRecord.isEmpty()) {
        m_result.error = QStringLiteral("option --undo needs a run record or \"last\"");
      }
    } else if (is("--sandbox")) {
      if (takeValue(&cl.sandboxDir) && cl.sandboxDir.isEmpty()) {
        m_result.error = QStringLiteral("option --sandbox needs a folder");
      }
    } else if (is("--dc")) {
      m_network = takeValue(&cl.dcHost);
    } else if (is("--starttls")) {
      m_network = cl.startTls = noValue();
    } else if (is("--credentials")) {
      m_network = takeValue(&cl.credentialsFile);
    } else if (is("--password-file")) {
      if (takeValue(&cl.passwordFile)) noteRunFlag();
    } else if (is("--confirm-password-file")) {
      if (takeValue(&cl.confirmPasswordFile)) noteRunFlag();
    } else {
      return false;
    }
    return true;
  }

  // A flag that sets one run option; its value is checked here, so a bad one
  // is reported before anything is opened.
  bool takeRunFlag() {
    const RunFlag* flag = findRunFlag(m_arg);
    if (flag == nullptr) return false;
    QString value;
    if (flag->kind == Kind::Switch ? !noValue() : !takeValue(&value)) return true;
    bool yes = false;
    PatternValue pattern;
    QString why;
    if (flag->kind == Kind::YesNo && !parseYesNo(value, &yes)) {
      why = QStringLiteral("expected yes or no");
    } else if (flag->kind == Kind::Location && value != QLatin1String("central") &&
               value != QLatin1String("per-department")) {
      why = QStringLiteral("expected central or per-department");
    } else if (flag->kind == Kind::Pattern) {
      parsePattern(value, &pattern, &why);
    }
    if (!why.isEmpty()) {
      m_result.error = badValue(m_arg, value, why);
      return true;
    }
    m_result.commandLine.runFlags.emplace_back(m_arg, value);
    noteRunFlag();
    return true;
  }

  void noteRunFlag() {
    if (m_firstRunFlag.isEmpty()) m_firstRunFlag = m_arg;
  }

  // The combinations of flags that are refused, and the mode.
  void finish() {
    CommandLine& cl = m_result.commandLine;
    if (m_help) {
      cl.mode = CommandLine::Mode::Help;
    } else if (m_version) {
      cl.mode = CommandLine::Mode::Version;
    } else if (m_network && cl.useSandbox()) {
      m_result.error =
          QStringLiteral("--sandbox cannot be combined with --dc, --starttls or --credentials");
      return;
    } else if (!m_batch && !m_firstRunFlag.isEmpty()) {
      m_result.error =
          QStringLiteral("option %1 sets a run option and needs --batch").arg(m_firstRunFlag);
      return;
    } else if (!m_batch && cl.answerYes) {
      m_result.error = QStringLiteral("option --yes needs --batch");
      return;
    } else if (!m_batch && !cl.undoRecord.isEmpty()) {
      m_result.error = QStringLiteral(
          "option --undo needs --batch (the window has its own Runs "
          "command)");
      return;
    } else if (!m_batch && cl.dryRun) {
      m_result.error = QStringLiteral(
          "option --dry-run needs --batch (the window has its own "
          "Dry run command)");
      return;
    } else {
      cl.mode = m_batch ? CommandLine::Mode::Batch : CommandLine::Mode::Window;
    }
    m_result.ok = true;
  }

  const QStringList& m_args;
  qsizetype m_index = 0;
  QString m_arg;
  QString m_inlineValue;
  bool m_hasInline = false;
  bool m_help = false;
  bool m_version = false;
  bool m_batch = false;
  bool m_network = false;
  QString m_firstRunFlag;
  CommandLineResult m_result;
};

}  // namespace

CommandLineResult parseCommandLine(const QStringList& args) { return Parser(args).parse(); }

bool CommandLine::createsAccounts() const {
  if (!undoRecord.isEmpty()) return false;
  bool creates = true;  // the window's start-up value
  for (const auto& [flag, value] : runFlags) {
    if (flag == QLatin1String("--users")) parseYesNo(value, &creates);
  }
  return creates;
}

void applyRunFlags(const CommandLine& commandLine, RunOptions& options,
                   UserNamePatterns& patterns) {
  for (const auto& [name, value] : commandLine.runFlags) {
    const RunFlag* flag = findRunFlag(name);
    if (!flag) continue;
    switch (flag->kind) {
      case Kind::YesNo: {
        bool b = false;
        parseYesNo(value, &b);
        options.*(flag->flag) = b;
        break;
      }
      case Kind::Text:
        options.*(flag->text) = value;
        break;
      case Kind::Location:
        options.opt_PrivateDirsLocation =
            value == QLatin1String("central") ? kPrivateDirsCentral : kPrivateDirsPerDepartment;
        break;
      case Kind::Pattern: {
        PatternValue p;
        QString why;
        if (parsePattern(value, &p, &why)) patterns.pattern[p.number - 1] = p.pattern;
        break;
      }
      case Kind::Switch:
        patterns.LastNameFirst = true;
        break;
    }
  }
}

QString usageText() {
  QString text = QStringLiteral(
      "Usage: quillstead [--sandbox DIR | NETWORK OPTIONS]\n"
      "       quillstead --batch [--sandbox DIR | NETWORK OPTIONS] [RUN OPTIONS] [--yes]\n"
      "\n"
      "Builds OUs, user accounts, groups, folders and shares in an Active Directory\n"
      "domain from one user list. Without --batch it opens the main window.\n"
      "\n"
      "Backends:\n"
      "  --sandbox DIR            embedded sandbox in DIR (created on first use);\n"
      "                           no server and no credentials needed\n"
      "  --dc HOST                domain controller for LDAP and \\\\domain\\sysvol\n"
      "                           (default: the domain name)\n"
      "  --starttls               ldap:// on port 389 with StartTLS instead of ldaps://\n"
      "  --credentials FILE       smbclient authfile (username =, password =, domain =);\n"
      "                           without it a cached Kerberos ticket is used, and\n"
      "                           without that the window asks (Connect as)\n"
      "\n"
      "Batch mode:\n"
      "  --batch                  one run without a window; log lines on stdout,\n"
      "                           messages on stderr\n"
      "  --yes                    answer Yes to every Yes/No question (default: No)\n"
      "  --undo RECORD|last       take back the run of a run record in quillstead-runs/\n"
      "                           (last: the newest); with --dry-run, show how\n"
      "  --dry-run                show every change the run would make, change nothing\n"
      "                           (same output and exit status as the run; then one\n"
      "                           line of counts on stderr)\n"
      "\n"
      "Run options (start from the window's start-up values):\n");
  for (const RunFlag& f : kRunFlags) {
    // Each help text is "VALUE  what it sets"; the value joins the flag.
    const QString help = QString::fromUtf8(f.help);
    const qsizetype gap = help.indexOf(QLatin1String("  "));
    const QString value = help.left(gap).trimmed();
    const QString what = help.mid(gap).trimmed();
    QString left = QLatin1String(f.name);
    if (!value.isEmpty()) left += QLatin1Char(' ') + value;
    if (left.size() > 24) {
      text += QStringLiteral("  %1\n  %2 %3\n").arg(left, QString(24, QLatin1Char(' ')), what);
    } else {
      text += QStringLiteral("  %1 %2\n").arg(left, -24).arg(what);
    }
  }
  text += QStringLiteral(
      "  --password-file FILE     initial password, first line of FILE, into both\n"
      "                           password boxes (txt_Password); needed to create\n"
      "                           accounts; a pipe works\n"
      "  --confirm-password-file FILE\n"
      "                           confirmation only (txt_Password index 1)\n"
      "\n"
      "  --help                   this text\n"
      "  --version                the version\n"
      "\n"
      "Exit status of --batch: 0 no errors or warnings, 1 errors, 2 warnings only,\n"
      "3 the run ended early (SIGINT, SIGTERM and SIGHUP end it after the current\n"
      "person), 64 bad usage.\n");
  return text;
}

QString versionText() {
  const auto orUnknown = [](const QString& version) {
    return version.isEmpty() ? QStringLiteral("unknown") : version;
  };
  return QStringLiteral("quillstead %1\nQt %2\nlibldap %3\nlibsmbclient %4\n")
      .arg(QStringLiteral(QUILLSTEAD_VERSION), QString::fromLatin1(qVersion()),
           orUnknown(ldapLibraryVersion()), orUnknown(smbclientLibraryVersion()));
}

}  // namespace quill
