#include "tool_window.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <cstdio>

#include "gui/dialog_wiring.h"

namespace quill::tools {

QString QuietPrompter::inputBox(QWidget*, const QString&) {
  if (inputs.empty()) return QString();
  const QString next = inputs.front();
  inputs.pop_front();
  return next;
}

ToolWindow::ToolWindow(Prompter* prompter) : m_oldCurrent(QDir::currentPath()) {
  QString error;
  if (m_temp.isValid() && QDir::setCurrent(m_temp.path())) {
    m_sandbox = Sandbox::open(m_temp.filePath(QStringLiteral("sandbox")), &error);
  }
  if (!m_sandbox) {
    std::fprintf(stderr, "no sandbox: %s\n", error.toLocal8Bit().constData());
    return;
  }
  m_state.platform = m_sandbox->platform();
  Prompter& asker = prompter ? *prompter : m_prompter;
  m_window = std::make_unique<MainWindow>(m_state.platform, m_state, asker);
  m_window->setSaveHandler([this](QString* why) { return m_sandbox->save(why); });
  m_window->setBackendDescription(QStringLiteral("sandbox ") +
                                  m_temp.filePath(QStringLiteral("sandbox")));
  wireDialogs(*m_window, m_state, asker);
}

ToolWindow::~ToolWindow() {
  m_window.reset();
  QDir::setCurrent(m_oldCurrent);
}

void ToolWindow::prepareRun(int count, int departments, int duties) {
  const QString path = m_temp.filePath(QStringLiteral("people.csv"));
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return;
  file.write("First,Last,Description,Department,Duty,Phone\r\nheading two\r\n");
  for (int i = 0; i < count; ++i) {
    file.write(QStringLiteral("First%1,Last%1,Person %1,Department%2,Duty%3,555-%1\r\n")
                   .arg(i)
                   .arg(i % departments)
                   .arg(i % duties)
                   .toUtf8());
  }
  file.close();
  child<QLineEdit>("txt_CSVFile")->setText(path);
  child<QLineEdit>("txt_DirRoot")->setText(QStringLiteral("\\\\files\\data"));
  child<QLineEdit>("txt_EmailDomain")->setText(QStringLiteral("example.test"));
}

QString ToolWindow::sampleList() const {
  return m_temp.filePath(QStringLiteral("sandbox/Users_list.csv"));
}

void activate(QWidget* window) {
  window->show();
  window->activateWindow();
  QApplication::setActiveWindow(window);
  for (int i = 0; i < 100 && QApplication::activeWindow() != window; ++i)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

void settle(int ms) {
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

}  // namespace quill::tools
