#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <QEvent>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

#include "app/app_state.h"
#include "gui/main_window.h"
#include "gui/prompter.h"
#include "sandbox/sandbox.h"
#include "support/qt_print.h"

namespace quill::test {

// A Prompter for widget tests: records every message box, answers Yes/No
// questions from a script (No once it is used up), hands out chooser
// results and input box answers in order (the empty text, as a cancel, once
// used up) and records the logs it was asked to open.
class ScriptedPrompter : public Prompter {
 public:
  struct Message {
    QString text;
    MsgButtons buttons;
    MsgIcon icon;
  };

  void scriptAnswers(std::initializer_list<MsgAnswer> answers);
  void scriptChoices(std::initializer_list<QString> paths);
  void scriptInputs(std::initializer_list<QString> texts);
  // Called for every message before it is answered, e.g. to act during a run.
  std::function<void(const Message&)> onAsk;

  const std::vector<Message>& messages() const { return m_messages; }
  QStringList messageTexts() const;
  const QStringList& chooserTitles() const { return m_chooserTitles; }
  const QStringList& openedLogs() const { return m_openedLogs; }
  const QStringList& inputPrompts() const { return m_inputPrompts; }
  void clear() { m_messages.clear(); }

  MsgAnswer ask(QWidget* parent, const QString& text, MsgButtons buttons, MsgIcon icon) override;
  QString browseForFolder(QWidget* parent, const QString& title) override;
  QString inputBox(QWidget* parent, const QString& prompt) override;
  void openLog(const QString& path) override { m_openedLogs.append(path); }

 private:
  std::deque<MsgAnswer> m_answers;
  std::deque<QString> m_choices;
  std::deque<QString> m_inputs;
  QStringList m_inputPrompts;
  std::vector<Message> m_messages;
  QStringList m_chooserTitles;
  QStringList m_openedLogs;
};

// A fresh sandbox in a temporary folder (also the current directory, so the
// run log lands there) and a main window on it, with the OU browser and the
// pattern dialog plugged in (their beeps counted in m_beeps).
class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The window's control named name, failing the test when there is none.
  template <typename T>
  T* child(const char* name) {
    T* found = m_window->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
  }

  // A new window on the same sandbox and prompter (the old one is gone).
  void reopenWindow();
  // A new, fresh sandbox and a new window on it.
  void reopenSandbox();

  // Writes a user list with the two heading lines and persons.
  QString writeUserList(const QString& fileName, const QStringList& persons);

  // The lines of the run log that report a failure, for failure messages.
  std::string logFailures() const;

  // Sets the controls a run needs on the sandbox: list, root, e-mail domain.
  void prepareRun(const QString& listPath, const QString& root);

  QTemporaryDir m_temp;
  QString m_oldCurrent;
  std::unique_ptr<Sandbox> m_sandbox;
  AppState m_state;
  ScriptedPrompter m_prompter;
  std::unique_ptr<MainWindow> m_window;
  int m_saves = 0;
  int m_beeps = 0;
  int m_sandboxes = 0;
};

// What the help box shows for text (it keeps lines, not CR LF).
QString shown(const QString& text);

// Events as the window system delivers them.
void sendEnter(QWidget* widget, QPoint at = QPoint(2, 2));
void sendMouseMove(QWidget* widget, QPoint at = QPoint(3, 3));
void sendMouse(QWidget* widget, QEvent::Type type, Qt::MouseButton button = Qt::LeftButton);
void typeKeys(QWidget* widget, const QString& keys);

// Lets queued events and expired timers run until done() or timeoutMs.
bool processUntil(const std::function<bool()>& done, int timeoutMs);

}  // namespace quill::test
