#include "gui/context_help.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QEnterEvent>
#include <QEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QWidget>

namespace quill {

ContextHelp::ContextHelp(std::function<void(const QString&)> setHelp, QObject* parent)
    : QObject(parent), m_setHelp(std::move(setHelp)) {}

void ContextHelp::onPointer(QWidget* control, const QString& text) {
  // Mouse moves without a button reach a control only while it tracks them.
  control->setMouseTracking(true);
  m_handlers.insert(control, {Trigger::Pointer, text});
  control->installEventFilter(this);
}

void ContextHelp::onButtonRelease(QWidget* control, const QString& text) {
  m_handlers.insert(control, {Trigger::ButtonRelease, text});
  control->installEventFilter(this);
}

void ContextHelp::clearOverFreeArea(QWidget* frame, bool drops) {
  // With tracking on, the frame gets the moves over its own area; moves over
  // a control inside it go to that control, so only the free area clears.
  frame->setMouseTracking(true);
  if (drops) frame->setAcceptDrops(true);
  m_handlers.insert(frame, {drops ? Trigger::FreeAreaAndDrop : Trigger::FreeArea, QString()});
  frame->installEventFilter(this);
}

void ContextHelp::selectAllOnFocus(QLineEdit* box) {
  m_selectOnFocus.insert(box, box);
  box->installEventFilter(this);
}

void ContextHelp::copyOnFocusOut(QLineEdit* from, QLineEdit* to) {
  m_copyTargets.insert(from, to);
  from->installEventFilter(this);
}

bool ContextHelp::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::FocusIn:
      if (QLineEdit* box = m_selectOnFocus.value(watched)) {
        box->selectAll();
        // The click that brought the focus would place the cursor and drop
        // the selection: it has done its work once the box has the focus.
        if (static_cast<QFocusEvent*>(event)->reason() == Qt::MouseFocusReason) {
          m_clickFocused.insert(watched);
        }
      }
      return false;
    case QEvent::MouseButtonPress:
      if (m_clickFocused.remove(watched)) return true;
      break;
    case QEvent::FocusOut: {
      m_clickFocused.remove(watched);
      // Only when the focus goes to another control of the same window: not
      // when the window loses activation or a menu opens over the box.
      QLineEdit* to = m_copyTargets.value(watched);
      const QWidget* next = QApplication::focusWidget();
      if (to && next && next != watched && next->window() == to->window()) {
        to->setText(static_cast<QLineEdit*>(watched)->text());
      }
      return false;
    }
    default:
      break;
  }

  const auto found = m_handlers.constFind(watched);
  if (found == m_handlers.constEnd()) return false;
  const Handler& handler = *found;
  const QEvent::Type type = event->type();
  bool shows = false;
  switch (handler.trigger) {
    case Trigger::Pointer:
      shows = type == QEvent::Enter || type == QEvent::MouseMove;
      break;
    case Trigger::ButtonRelease:
      shows = type == QEvent::MouseButtonRelease;
      break;
    case Trigger::FreeAreaAndDrop:
      if (type == QEvent::DragEnter) {
        // Accept so that the drop arrives; the drop itself only clears.
        static_cast<QDragEnterEvent*>(event)->acceptProposedAction();
        return true;
      }
      if (type == QEvent::Drop) {
        m_setHelp(handler.text);
        event->accept();
        return true;
      }
      [[fallthrough]];
    case Trigger::FreeArea:
      // A move that a control inside the frame did not take arrives here
      // too; only the frame's own area counts.
      if (type == QEvent::Enter || type == QEvent::MouseMove) {
        const auto* frame = static_cast<QWidget*>(watched);
        const QPointF at = type == QEvent::Enter ? static_cast<QEnterEvent*>(event)->position()
                                                 : static_cast<QMouseEvent*>(event)->position();
        shows = frame->childAt(at.toPoint()) == nullptr;
      }
      break;
  }
  if (shows) m_setHelp(handler.text);
  return false;
}

}  // namespace quill
