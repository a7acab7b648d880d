#pragma once

#include <functional>

namespace quill {

class MainWindow;
class Prompter;
struct AppState;

// Plugs the OU browser and the user-name pattern dialog into window's
// openers. Each dialog is created on first use and kept as a child of the
// window; a pattern dialog destroyed by its close box is created afresh at
// the next opening. window, state and prompter must outlive the dialogs;
// beep is the pattern dialog's beep (empty: QApplication::beep).
void wireDialogs(MainWindow& window, AppState& state, Prompter& prompter,
                 std::function<void()> beep = {});

}  // namespace quill
