#include "support/gui_support.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEnterEvent>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>

#include "gui/dialog_wiring.h"

namespace quill::test {

void ScriptedPrompter::scriptAnswers(std::initializer_list<MsgAnswer> answers) {
  m_answers.insert(m_answers.end(), answers.begin(), answers.end());
}

void ScriptedPrompter::scriptChoices(std::initializer_list<QString> paths) {
  m_choices.insert(m_choices.end(), paths.begin(), paths.end());
}

void ScriptedPrompter::scriptInputs(std::initializer_list<QString> texts) {
  m_inputs.insert(m_inputs.end(), texts.begin(), texts.end());
}

QStringList ScriptedPrompter::messageTexts() const {
  QStringList texts;
  for (const Message& m : m_messages) texts.append(m.text);
  return texts;
}

MsgAnswer ScriptedPrompter::ask(QWidget*, const QString& text, MsgButtons buttons, MsgIcon icon) {
  const Message message{text, buttons, icon};
  m_messages.push_back(message);
  if (onAsk) onAsk(message);
  if (buttons == MsgButtons::Ok) return MsgAnswer::Ok;
  if (m_answers.empty()) return MsgAnswer::No;
  const MsgAnswer answer = m_answers.front();
  m_answers.pop_front();
  return answer;
}

QString ScriptedPrompter::browseForFolder(QWidget*, const QString& title) {
  m_chooserTitles.append(title);
  if (m_choices.empty()) return QString();
  const QString path = m_choices.front();
  m_choices.pop_front();
  return path;
}

QString ScriptedPrompter::inputBox(QWidget*, const QString& prompt) {
  m_inputPrompts.append(prompt);
  if (m_inputs.empty()) return QString();
  const QString text = m_inputs.front();
  m_inputs.pop_front();
  return text;
}

void WindowTest::SetUp() {
  ASSERT_TRUE(m_temp.isValid());
  m_oldCurrent = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(m_temp.path()));
  reopenSandbox();
}

void WindowTest::reopenSandbox() {
  m_window.reset();
  QString error;
  m_sandbox =
      Sandbox::open(m_temp.filePath(QStringLiteral("sandbox%1").arg(++m_sandboxes)), &error);
  ASSERT_TRUE(m_sandbox) << error.toStdString();
  m_state.platform = m_sandbox->platform();
  reopenWindow();
}

void WindowTest::TearDown() {
  m_window.reset();
  if (!m_oldCurrent.isEmpty()) QDir::setCurrent(m_oldCurrent);
}

void WindowTest::reopenWindow() {
  m_window.reset();
  m_window = std::make_unique<MainWindow>(m_state.platform, m_state, m_prompter);
  m_window->setSaveHandler([this](QString* error) {
    ++m_saves;
    return m_sandbox->save(error);
  });
  wireDialogs(*m_window, m_state, m_prompter, [this] { ++m_beeps; });
}

QString WindowTest::writeUserList(const QString& fileName, const QStringList& persons) {
  const QString path = m_temp.filePath(fileName);
  QFile file(path);
  EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  QByteArray bytes = "First,Last,Description,Department,Duty,Phone\r\nheading two\r\n";
  for (const QString& person : persons) bytes += person.toUtf8() + "\r\n";
  file.write(bytes);
  return path;
}

std::string WindowTest::logFailures() const {
  QFile log(m_state.runLog.path());
  if (!log.open(QIODevice::ReadOnly)) return "(no log)";
  QStringList failures;
  for (const QString& line : QString::fromUtf8(log.readAll()).split(QStringLiteral("\r\n"))) {
    if (line.contains(QLatin1String("rror")) || line.contains(QLatin1String("Faild")) ||
        line.contains(QLatin1String("Unable"))) {
      failures.append(line);
    }
  }
  return failures.join(u'\n').toStdString();
}

void WindowTest::prepareRun(const QString& listPath, const QString& root) {
  child<QLineEdit>("txt_CSVFile")->setText(listPath);
  child<QLineEdit>("txt_DirRoot")->setText(root);
  child<QLineEdit>("txt_EmailDomain")->setText(QStringLiteral("example.test"));
}

QString shown(const QString& text) {
  QString lines = text;
  return lines.replace(QLatin1String("\r\n"), QLatin1String("\n"));
}

void sendEnter(QWidget* widget, QPoint at) {
  const QPointF local(at);
  QEnterEvent event(local, local, widget->mapToGlobal(local));
  QCoreApplication::sendEvent(widget, &event);
}

void sendMouseMove(QWidget* widget, QPoint at) {
  const QPointF local(at);
  QMouseEvent event(QEvent::MouseMove, local, widget->mapToGlobal(local), Qt::NoButton,
                    Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(widget, &event);
}

void sendMouse(QWidget* widget, QEvent::Type type, Qt::MouseButton button) {
  const QPointF local(3, 3);
  const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : button;
  QMouseEvent event(type, local, widget->mapToGlobal(local), button, held, Qt::NoModifier);
  QCoreApplication::sendEvent(widget, &event);
}

void typeKeys(QWidget* widget, const QString& keys) {
  for (QChar ch : keys) {
    const int key = ch.toUpper().unicode();
    const Qt::KeyboardModifiers modifiers =
        ch.isUpper() || ch == u'?' ? Qt::ShiftModifier : Qt::NoModifier;
    QKeyEvent press(QEvent::KeyPress, key, modifiers, QString(ch));
    QCoreApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, QString(ch));
    QCoreApplication::sendEvent(widget, &release);
  }
}

bool processUntil(const std::function<bool()>& done, int timeoutMs) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > timeoutMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return true;
}

}  // namespace quill::test
