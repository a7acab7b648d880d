#pragma once

#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <functional>

class QLineEdit;
class QWidget;

namespace quill {

// The main window's context help and the focus handlers of its text boxes.
// Every handler does one thing: it sets the whole help box to a constant
// (last writer wins), selects a box's text, or copies the domain into the
// e-mail domain box.
class ContextHelp : public QObject {
  Q_OBJECT

 public:
  // setHelp replaces the help box's text.
  ContextHelp(std::function<void(const QString&)> setHelp, QObject* parent);

  // control shows text when the pointer enters or moves over it.
  void onPointer(QWidget* control, const QString& text);
  // control shows text when a mouse button is released over it.
  void onButtonRelease(QWidget* control, const QString& text);
  // The pointer on the free area of frame (not on one of its controls), or a
  // drop onto it when drops is true, empties the help box.
  void clearOverFreeArea(QWidget* frame, bool drops);

  // box selects its whole text when it gets the focus, by the keyboard or by
  // a click (which then leaves the selection as it is).
  void selectAllOnFocus(QLineEdit* box);
  // from's text replaces to's when the focus moves from it to another
  // control of the window.
  void copyOnFocusOut(QLineEdit* from, QLineEdit* to);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  enum class Trigger { Pointer, ButtonRelease, FreeArea, FreeAreaAndDrop };
  struct Handler {
    Trigger trigger;
    QString text;
  };

  std::function<void(const QString&)> m_setHelp;
  QHash<QObject*, Handler> m_handlers;
  QHash<QObject*, QLineEdit*> m_selectOnFocus;
  QHash<QObject*, QLineEdit*> m_copyTargets;
  QSet<QObject*> m_clickFocused;  // boxes whose next press is the focusing click
};

}  // namespace quill
