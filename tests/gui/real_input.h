#pragma once

// Mouse and keys as the window system delivers them (spontaneous events, the
// way QTest sends them): focus follows a click, shortcuts and mnemonics are
// tried before a key reaches its widget.
#include <QtTest/qtestspontaneevent.h>

#include <QtWidgets>

Q_GUI_EXPORT bool qt_sendShortcutOverrideEvent(QObject* o, ulong timestamp, int k,
                                               Qt::KeyboardModifiers mods, const QString& text,
                                               bool autorep, ushort count);

namespace quill::test {

// Shows window and makes it the active one, as a click on it would.
inline bool activate(QWidget* window) {
  window->show();
  window->activateWindow();
  QApplication::setActiveWindow(window);
  for (int i = 0; i < 100 && QApplication::activeWindow() != window; ++i) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  return QApplication::activeWindow() == window;
}

inline void realClick(QWidget* widget, QPoint at = QPoint(5, 5)) {
  for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
    QMouseEvent event(type, at, widget->mapToGlobal(QPointF(at)), Qt::LeftButton,
                      type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                      Qt::NoModifier);
    QSpontaneKeyEvent::setSpontaneous(&event);
    QApplication::instance()->notify(widget, &event);
  }
}

// One key to the widget with the focus: pressed (held back when a shortcut
// takes it), and released unless held.
inline void realKey(int key, Qt::KeyboardModifiers mods = Qt::NoModifier,
                    const QString& text = QString(), bool release = true) {
  QWidget* to = QApplication::focusWidget();
  if (!to) return;
  QKeyEvent press(QEvent::KeyPress, key, mods, text);
  QSpontaneKeyEvent::setSpontaneous(&press);
  if (qt_sendShortcutOverrideEvent(to, press.timestamp(), key, mods, text, false, 1)) return;
  QApplication::instance()->notify(to, &press);
  if (!release) return;
  QKeyEvent up(QEvent::KeyRelease, key, mods, text);
  QSpontaneKeyEvent::setSpontaneous(&up);
  QApplication::instance()->notify(to, &up);
}

// Lets timers and queued events run for ms milliseconds.
inline void wait(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

inline void realType(const QString& text) {
  for (QChar ch : text) realKey(ch.toUpper().unicode(), Qt::NoModifier, QString(ch));
}

}  // namespace quill::test
