#pragma once

#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

#include "core/run_options.h"
#include "core/user_name_pattern.h"

namespace quill {

// Exit status for bad usage (sysexits' EX_USAGE).
inline constexpr int kExitUsage = 64;

// What the command line asks for. Run flags are kept in the order given and
// applied on top of the window's start-up values by applyRunFlags, because
// those values depend on the backends chosen here.
struct CommandLine {
  enum class Mode { Window, Batch, Help, Version };

  Mode mode = Mode::Window;
  QString sandboxDir;  // empty: network backends
  QString dcHost;
  bool startTls = false;
  QString credentialsFile;
  bool answerYes = false;
  bool dryRun = false;  // --dry-run: the run over views that write nothing
  QString undoRecord;   // --undo: a run record to take back, or "last"
  QString passwordFile;
  QString confirmPasswordFile;
  std::vector<std::pair<QString, QString>> runFlags;  // flag, value ("" for a switch)

  bool useSandbox() const { return !sandboxDir.isEmpty(); }
  // Whether a run with these flags creates user accounts ("--users no" is
  // the only way to say it does not).
  bool createsAccounts() const;
};

struct CommandLineResult {
  bool ok = false;
  QString error;  // names the offending flag; empty when ok
  CommandLine commandLine;
};

// Parses the arguments (without the program name). Every value is checked
// here, so a bad flag is reported before anything is opened.
CommandLineResult parseCommandLine(const QStringList& args);

// Applies the run flags to options and patterns. The values were checked by
// parseCommandLine; the password files are read by readPasswordFiles.
void applyRunFlags(const CommandLine& commandLine, RunOptions& options, UserNamePatterns& patterns);

// The text of --help.
QString usageText();

// The text of --version: the program's version, then the versions of Qt,
// libldap and libsmbclient it runs with, one a line.
QString versionText();

}  // namespace quill
