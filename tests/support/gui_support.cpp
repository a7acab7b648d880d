#include "support/gui_support.h"

#include "gui/dialog_wiring.h"

namespace quill::test {

void WindowTest::SetUp() {
  ASSERT_TRUE(m_temp.isValid() && QDir::setCurrent(m_temp.path()));
  reopenSandbox();
}

QString WindowTest::text(const char* name) {
  QWidget* w = child(name);
  if (auto* label = qobject_cast<QLabel*>(w)) return label->text();
  if (auto* edit = qobject_cast<QLineEdit*>(w)) return edit->text();
  return qobject_cast<QPlainTextEdit*>(w)->toPlainText();
}

void WindowTest::reopenSandbox() {
  m_window.reset();
  QString error;
  m_sandbox = Sandbox::open(m_temp.filePath(u"sandbox%1"_s.arg(++m_sandboxes)), &error);
  ASSERT_TRUE(m_sandbox) << error.toStdString();
  m_state.platform = m_sandbox->platform();
  reopenWindow();
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

void WindowTest::prepareRun(const QStringList& persons, const QString& root) {
  QFile list(m_temp.filePath(u"people.csv"_s));
  ASSERT_TRUE(list.open(QIODevice::WriteOnly | QIODevice::Truncate));
  list.write("First,Last,Description,Department,Duty,Phone\r\nheading two\r\n");
  for (const QString& person : persons) list.write(person.toUtf8() + "\r\n");
  child<QLineEdit>("txt_CSVFile")->setText(list.fileName());
  child<QLineEdit>("txt_DirRoot")->setText(root);
  child<QLineEdit>("txt_EmailDomain")->setText(u"example.test"_s);
}

void sendEnter(QWidget* widget, QPoint at) {
  QEnterEvent event(at, at, widget->mapToGlobal(QPointF(at)));
  QCoreApplication::sendEvent(widget, &event);
}

void sendMouse(QWidget* widget, QEvent::Type type, QPoint at, Qt::MouseButton button) {
  const bool move = type == QEvent::MouseMove;
  const bool held = !move && type != QEvent::MouseButtonRelease;
  QMouseEvent event(type, at, widget->mapToGlobal(QPointF(at)), move ? Qt::NoButton : button,
                    held ? button : Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(widget, &event);
}

void typeKeys(QWidget* widget, const QString& keys) {
  for (QChar ch : keys) {
    const auto shift = ch.isUpper() || ch == u'?' ? Qt::ShiftModifier : Qt::NoModifier;
    for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
      QKeyEvent event(type, ch.toUpper().unicode(), shift, QString(ch));
      QCoreApplication::sendEvent(widget, &event);
    }
  }
}

}  // namespace quill::test

// One QApplication for the whole program; offscreen without a display (the
// build lists the tests right after linking).
int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);  // tests close windows
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
