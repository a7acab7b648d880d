#pragma once

#include <gtest/gtest.h>

#include <QtWidgets>
#include <deque>
#include <memory>

#include "app/app_state.h"
#include "gui/main_window.h"
#include "gui/prompter.h"
#include "sandbox/sandbox.h"
#include "support/qt_print.h"

namespace quill::test {

using namespace Qt::StringLiterals;

// Shows window and makes it the active one, as a click on it would.
inline bool activate(QWidget* window) {
  window->show();
  window->activateWindow();
  QApplication::setActiveWindow(window);
  for (int i = 0; i < 100 && QApplication::activeWindow() != window; ++i)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  return QApplication::activeWindow() == window;
}

template <typename T>
T takeFront(std::deque<T>& script, T whenEmpty) {
  if (script.empty()) return whenEmpty;
  T next = script.front();
  script.pop_front();
  return next;
}

// A Prompter for widget tests: records what it showed and answers from
// scripts (No, the empty text or a cancel once a script is used up).
class ScriptedPrompter : public Prompter {
 public:
  struct Message {
    QString text;
    MsgButtons buttons;
    MsgIcon icon;
  };
  std::deque<MsgAnswer> answers;
  std::deque<QString> texts;  // chooser results and input box answers, in the order asked
  std::deque<ConnectAsCredentials> credentials;
  std::function<void()> onAsk;  // called for every message before it is answered
  std::vector<Message> messages;
  QStringList shownTitles;  // chooser titles and input box prompts
  QStringList openedLogs;
  std::vector<ConnectAsCredentials> offered;  // what "Connect as" was opened with

  std::string messageTexts() const {
    std::string all;
    for (const Message& m : messages) all += m.text.toStdString() + '|';
    return all;
  }
  MsgAnswer ask(QWidget*, const QString& text, MsgButtons buttons, MsgIcon icon) override {
    messages.push_back({text, buttons, icon});
    if (onAsk) onAsk();
    return buttons == MsgButtons::Ok ? MsgAnswer::Ok : takeFront(answers, MsgAnswer::No);
  }
  QString browseForFolder(QWidget*, const QString& title) override {
    shownTitles << title;
    return takeFront(texts, QString());
  }
  QString inputBox(QWidget* parent, const QString& prompt) override {
    return browseForFolder(parent, prompt);
  }
  void openLog(const QString& path) override { openedLogs << path; }
  std::optional<ConnectAsCredentials> connectAs(QWidget*,
                                                const ConnectAsCredentials& previous) override {
    offered.push_back(previous);
    if (credentials.empty()) return std::nullopt;
    return takeFront(credentials, previous);
  }
};

// A fresh sandbox in a temporary folder (also the current directory, so the
// run log lands there) and a main window on it, with the OU browser and the
// pattern dialog plugged in (their beeps counted in m_beeps).
class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override;
  // The window's control named name, failing the test when there is none.
  template <typename T = QWidget>
  T* child(const char* name) {
    T* found = m_window->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
  }
  void click(const char* name) { child<QAbstractButton>(name)->click(); }
  bool checked(const char* name) { return child<QAbstractButton>(name)->isChecked(); }
  bool visible(const char* name) { return !child(name)->isHidden(); }
  QString text(const char* name);  // of a label, a line edit or the help box
  void reopenWindow();             // a new window on the same sandbox and prompter
  void reopenSandbox();            // a new, fresh sandbox and a new window on it
  // Writes a user list with the two heading lines and persons, and sets the
  // controls a run needs: the list, the folder root and the e-mail domain.
  void prepareRun(const QStringList& persons, const QString& root);

  QTemporaryDir m_temp;
  std::unique_ptr<Sandbox> m_sandbox;
  AppState m_state;
  ScriptedPrompter m_prompter;
  std::unique_ptr<MainWindow> m_window;
  int m_saves = 0;
  int m_beeps = 0;
  int m_sandboxes = 0;
};

// What the help box shows for text (it keeps lines, not CR LF).
inline QString shown(const QString& text) { return QString(text).replace(u"\r\n"_s, u"\n"_s); }

template <typename T = QWidget>
T* part(QWidget* dialog, const char* name) {
  return dialog->findChild<T*>(QString::fromLatin1(name));
}

inline QStringList itemTexts(const QListWidget* list) {
  QStringList texts;
  for (int row = 0; row < list->count(); ++row) texts << list->item(row)->text();
  return texts;
}

// Selects the item text, or none for the empty text.
inline void selectItem(QListWidget* list, const QString& text) {
  list->clearSelection();
  if (!text.isEmpty()) list->setCurrentItem(list->findItems(text, Qt::MatchExactly).value(0));
}

// Events as the window system delivers them.
void sendEnter(QWidget* widget, QPoint at = QPoint(2, 2));
void sendMouse(QWidget* widget, QEvent::Type type, QPoint at = QPoint(3, 3),
               Qt::MouseButton button = Qt::LeftButton);
void typeKeys(QWidget* widget, const QString& keys);

}  // namespace quill::test
