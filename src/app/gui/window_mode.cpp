#include "app/gui/window_mode.h"

#include <QApplication>
#include <cstdio>

#include "app/backends.h"
#include "app/command_line.h"
#include "app/gui/dialog_wiring.h"
#include "app/gui/main_window.h"
#include "app/gui/prompter.h"

namespace quill {

int runWindow(const CommandLine& commandLine, Backends& backends) {
  (void)commandLine;
  AppState state;
  state.platform = backends.platform();
  DesktopPrompter prompter;
  MainWindow window(state.platform, state, prompter);
  // Saved after every run, so a run's work is on disk even if the program
  // is killed later, and once more at exit.
  window.setSaveHandler([&backends](QString* error) { return backends.save(error); });
  window.setDomainHandler([&backends](const QString& domain) { backends.setRunDomain(domain); });
  wireDialogs(window, state, prompter);
  window.show();
  const int status = QApplication::exec();
  QString error;
  if (!backends.save(&error)) {
    std::fprintf(stderr, "quillstead: %s\n", error.toLocal8Bit().constData());
    return 1;
  }
  return status;
}

}  // namespace quill
