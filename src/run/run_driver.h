#pragma once

#include <QString>

#include "app/app_state.h"

namespace quill {

class RunHost;

// How a run ended, for the batch host's exit status and the tests.
enum class RunOutcome { Success, Warnings, Errors, EndedEarly, AlreadyRunning };

// The GO command: one complete run from the options to the summary, talking
// to host instead of a window. One driver serves every run of a program
// start; each run gets a fresh RunContext.
class RunDriver {
 public:
  RunDriver(Platform platform, RunHost& host, AppState& state);

  // Performs one run. A call made while a run is active (the host's event
  // loop runs during a run) starts nothing and returns AlreadyRunning.
  RunOutcome cmd_GO_Click();

  bool isRunning() const { return m_running; }

 private:
  Platform m_platform;
  RunHost& m_host;
  AppState& m_state;
  bool m_running = false;
};

}  // namespace quill
