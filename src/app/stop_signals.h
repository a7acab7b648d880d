#pragma once

#include <QString>

namespace quill {

// SIGINT, SIGTERM and SIGHUP as a request to stop: a run ends after the
// current person, with its summary, and the sandbox is saved, instead of the
// program dying halfway. A second signal of the same kind ends the program at
// once, as it would without this (the sandbox's journal still holds every
// change it logged).
class StopSignals {
 public:
  // Installs the handlers. Returns a file descriptor that becomes readable
  // when a signal arrives (for an event loop to watch), or -1.
  static int install();
  // The name of the signal that asked to stop ("SIGTERM"); empty when none did.
  static QString requested();
};

}  // namespace quill
