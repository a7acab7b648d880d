#pragma once

#include <QString>
#include <optional>

#include "core/run_host.h"
#include "net/credentials_provider.h"

class QWidget;

namespace quill {

// Everything the main window and its dialogs ask of the user or hand to the
// desktop outside their own controls: message boxes, input boxes, the file
// chooser and the log viewer. The window takes it by reference, so tests
// answer from a script and never block on a modal dialog.
class Prompter {
 public:
  virtual ~Prompter() = default;

  // A modal message box titled "Quillstead" owned by parent; the answer
  // given (Ok for an OK box).
  virtual MsgAnswer ask(QWidget* parent, const QString& text, MsgButtons buttons, MsgIcon icon) = 0;

  // The chooser of the browse buttons: a file or a folder; the chosen path,
  // or the empty text when the user cancels.
  virtual QString browseForFolder(QWidget* parent, const QString& title) = 0;

  // A modal input box titled "Quillstead" with one line of text; the text
  // typed, or the empty text when the user cancels.
  virtual QString inputBox(QWidget* parent, const QString& prompt) = 0;

  // Opens path in the desktop's viewer without waiting for it.
  virtual void openLog(const QString& path) = 0;

  // The modal "Connect as" dialog: user and domain (previous' offered) and a
  // masked password. The credentials typed, or nullopt when the user cancels.
  // A prompter without the dialog gives none.
  virtual std::optional<ConnectAsCredentials> connectAs(QWidget* parent,
                                                        const ConnectAsCredentials& previous) {
    (void)parent;
    (void)previous;
    return std::nullopt;
  }
};

// The real one: QMessageBox, QFileDialog, QInputDialog, xdg-open and
// ConnectAsDialog.
class DesktopPrompter : public Prompter {
 public:
  MsgAnswer ask(QWidget* parent, const QString& text, MsgButtons buttons, MsgIcon icon) override;
  QString browseForFolder(QWidget* parent, const QString& title) override;
  QString inputBox(QWidget* parent, const QString& prompt) override;
  void openLog(const QString& path) override;
  std::optional<ConnectAsCredentials> connectAs(QWidget* parent,
                                                const ConnectAsCredentials& previous) override;
};

}  // namespace quill
