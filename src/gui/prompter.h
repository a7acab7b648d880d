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

  // The folder chooser of the folder root's browse button; the chosen path,
  // or the empty text when the user cancels.
  virtual QString browseForFolder(QWidget* parent, const QString& title) = 0;

  // The file chooser of the user list's browse button, starting in folder:
  // CSV and text files first, any file allowed; the chosen path, or the
  // empty text when the user cancels. A prompter that does not tell the
  // choosers apart answers from browseForFolder.
  virtual QString browseForFile(QWidget* parent, const QString& title, const QString& folder) {
    (void)folder;
    return browseForFolder(parent, title);
  }

  // Where to save a file, suggested offered first; the empty text when the
  // user cancels. Answered from browseForFolder unless a prompter knows better.
  virtual QString saveFileName(QWidget* parent, const QString& title, const QString& suggested) {
    (void)suggested;
    return browseForFolder(parent, title);
  }

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
  QString browseForFile(QWidget* parent, const QString& title, const QString& folder) override;
  QString saveFileName(QWidget* parent, const QString& title, const QString& suggested) override;
  QString inputBox(QWidget* parent, const QString& prompt) override;
  void openLog(const QString& path) override;
  std::optional<ConnectAsCredentials> connectAs(QWidget* parent,
                                                const ConnectAsCredentials& previous) override;
};

}  // namespace quill
