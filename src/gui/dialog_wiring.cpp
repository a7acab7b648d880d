#include "gui/dialog_wiring.h"

#include <QPointer>
#include <memory>

#include "app/app_state.h"
#include "gui/main_window.h"
#include "gui/ou_browser_dialog.h"
#include "gui/user_name_dialog.h"

namespace quill {

void wireDialogs(MainWindow& window, AppState& state, Prompter& prompter,
                 std::function<void()> beep) {
  auto browser = std::make_shared<QPointer<FrmBrowse4OU>>();
  window.setOuBrowserOpener([&window, &state, &prompter, browser](OuBox) -> QWidget* {
    // The main window has checked the domain and stored the target.
    if (!*browser) {
      *browser = new FrmBrowse4OU(
          *state.platform.directory, state, prompter,
          [&window](OuBox target, const QString& path) { window.setOuPath(target, path); },
          &window);
    }
    (*browser)->showAtDomainRoot();
    return *browser;
  });

  auto patterns = std::make_shared<QPointer<FrmUserName>>();
  window.setUserNameDialogOpener([&window, &state, beep = std::move(beep), patterns]() -> QWidget* {
    if (!*patterns || (*patterns)->isUnloaded()) {
      *patterns = new FrmUserName(state.patterns, beep, &window);
    }
    FrmUserName* dialog = *patterns;
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
    return dialog;
  });
}

}  // namespace quill
