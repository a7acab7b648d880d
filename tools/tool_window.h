#pragma once

#include <QStringList>
#include <QTemporaryDir>
#include <deque>
#include <memory>

#include "app/app_state.h"
#include "gui/main_window.h"
#include "gui/prompter.h"
#include "sandbox/sandbox.h"

namespace quill::tools {

// Answers every question of the window without a dialog: OK boxes with OK,
// Yes/No questions with No, input boxes from a queue (then the empty text).
class QuietPrompter : public Prompter {
 public:
  std::deque<QString> inputs;

  MsgAnswer ask(QWidget*, const QString&, MsgButtons buttons, MsgIcon) override {
    return buttons == MsgButtons::Ok ? MsgAnswer::Ok : MsgAnswer::No;
  }
  QString browseForFolder(QWidget*, const QString&) override { return QString(); }
  QString inputBox(QWidget*, const QString&) override;
  void openLog(const QString&) override {}
};

// A fresh sandbox in a temporary folder (also the current directory, so the
// run log lands there) and the main window on it with its dialogs plugged in;
// they ask through prompter when one is given, else through a QuietPrompter.
class ToolWindow {
 public:
  explicit ToolWindow(Prompter* prompter = nullptr);
  ~ToolWindow();

  bool ok() const { return m_window != nullptr; }
  MainWindow& window() { return *m_window; }
  QuietPrompter& prompter() { return m_prompter; }
  // The window's control named name; nullptr when there is none.
  template <typename T = QWidget>
  T* child(const char* name) {
    return m_window->findChild<T*>(QString::fromLatin1(name));
  }
  // Writes a user list of persons numbered 0 to count - 1 in the given
  // number of departments and duties, and sets the controls a run needs.
  void prepareRun(int count, int departments, int duties);
  // The sandbox's own sample list.
  QString sampleList() const;

 private:
  QTemporaryDir m_temp;
  QString m_oldCurrent;
  std::unique_ptr<Sandbox> m_sandbox;
  AppState m_state;
  QuietPrompter m_prompter;
  std::unique_ptr<MainWindow> m_window;
};

// Lets queued events and timers run for ms milliseconds.
void settle(int ms = 150);
// Shows window and makes it the active one, as a click on it would.
void activate(QWidget* window);

}  // namespace quill::tools
