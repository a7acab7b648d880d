#include "gui/window_mode.h"

#include <QApplication>
#include <QSocketNotifier>
#include <cstdio>

#include "app/command_line.h"
#include "app/stop_signals.h"
#include "core/backends.h"
#include "gui/connect_as_dialog.h"
#include "gui/dialog_wiring.h"
#include "gui/main_window.h"
#include "gui/prompter.h"

namespace quill {

namespace {

void printError(const QString& text) {
  std::fprintf(stderr, "quillstead: %s\n", text.toLocal8Bit().constData());
}

}  // namespace

int runWindow(const CommandLine& commandLine, const WindowBackendsOpener& open) {
  (void)commandLine;
  // The prompter outlives the backends, which may ask through it until they
  // are closed.
  DesktopPrompter prompter;
  QString error;
  const std::unique_ptr<Backends> opened = open(connectAsProvider(prompter), &error);
  if (!opened) {
    printError(error);
    return 1;
  }
  Backends& backends = *opened;
  for (const QString& warning : backends.warnings()) {
    printError(warning);
    prompter.ask(nullptr, warning, MsgButtons::Ok, MsgIcon::Information);
  }
  AppState state;
  state.platform = backends.platform();
  MainWindow window(state.platform, state, prompter);
  // Saved after every run, so a run's work is on disk even if the program
  // is killed later, and once more at exit.
  window.setSaveHandler([&backends](QString* error) { return backends.save(error); });
  window.setBackendDescription(backends.describe());
  window.setDomainHandler([&backends](const QString& domain) { backends.setRunDomain(domain); });
  wireDialogs(window, state, prompter);
  // A signal closes the window as the close box does: the run stops after
  // the current person and the backends are saved.
  const int wakeUp = StopSignals::install();
  QSocketNotifier signalWatch(wakeUp, QSocketNotifier::Read);
  signalWatch.setEnabled(wakeUp >= 0);
  QObject::connect(&signalWatch, &QSocketNotifier::activated, &window,
                   [&window] { window.close(); });
  window.show();
  const int status = QApplication::exec();
  if (!backends.save(&error)) {
    printError(error);
    return 1;
  }
  return status;
}

}  // namespace quill
