#include "app/stop_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <csignal>

namespace quill {

namespace {

// A signal handler can reach nothing but state of static storage; these two
// are the only such state of the program, and nothing but the handler writes
// them.
volatile std::sig_atomic_t g_signal = 0;
int g_wakeUp[2] = {-1, -1};

extern "C" void onStopSignal(int number) {
  g_signal = number;
  if (g_wakeUp[1] >= 0) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t ignored = ::write(g_wakeUp[1], &byte, 1);
  }
}

}  // namespace

int StopSignals::install() {
  if (g_wakeUp[0] < 0 && ::pipe2(g_wakeUp, O_CLOEXEC | O_NONBLOCK) != 0) {
    g_wakeUp[0] = g_wakeUp[1] = -1;
  }
  struct sigaction action {};
  action.sa_handler = onStopSignal;
  sigemptyset(&action.sa_mask);
  // Interrupted calls go on; the next signal of the kind kills as usual.
  action.sa_flags = SA_RESTART | SA_RESETHAND;
  for (const int number : {SIGINT, SIGTERM, SIGHUP}) sigaction(number, &action, nullptr);
  return g_wakeUp[0];
}

QString StopSignals::requested() {
  switch (g_signal) {
    case SIGINT:
      return QStringLiteral("SIGINT");
    case SIGTERM:
      return QStringLiteral("SIGTERM");
    case SIGHUP:
      return QStringLiteral("SIGHUP");
    default:
      return QString();
  }
}

}  // namespace quill
