#pragma once

#include <QString>

#include "core/platform.h"
#include "engine/run_lists.h"

namespace quill {

class RunHost;
class RunLog;
struct UserNamePatterns;

// How a run ended, for the batch host's exit status and the tests.
enum class RunOutcome { Success, Warnings, Errors, EndedEarly, AlreadyRunning };

// The GO command: one complete run from the options to the summary, talking
// to host instead of a window. One driver serves every run of a program
// start; each run gets a fresh RunContext.
class RunDriver {
 public:
  // log and patterns are the program's; they outlive the driver.
  RunDriver(Platform platform, RunHost& host, RunLog& log, const UserNamePatterns& patterns);

  // Performs one run. A call made while a run is active (the host's event
  // loop runs during a run) starts nothing and returns AlreadyRunning.
  RunOutcome cmd_GO_Click();

  bool isRunning() const { return m_running; }

  // The domain name of the last run that got as far as deriving it (null
  // before); the OU browser and the next run's group paths use it.
  const QString& DomainFqdn() const { return m_domainFqdn; }
  // The counters of the last run as it ended.
  const RunCounters& lastCounters() const { return m_lastCounters; }

 private:
  Platform m_platform;
  RunHost& m_host;
  RunLog& m_log;
  const UserNamePatterns& m_patterns;
  QString m_domainFqdn;
  RunCounters m_lastCounters;
  bool m_running = false;
};

}  // namespace quill
