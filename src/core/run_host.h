#pragma once

#include <QString>

#include "core/run_options.h"

namespace quill {

enum class MsgIcon { None, Information, Critical };
enum class MsgButtons { Ok, YesNo };
enum class MsgAnswer { Ok, Yes, No };

// What a run talks to instead of a window. Implemented by the main window, the
// batch host and the tests' scripted host. The run calls it only from the
// thread that started it.
class RunHost {
 public:
  virtual ~RunHost() = default;

  // The options as they stand now; a run asks again at each step, since the
  // user may change them during a run.
  virtual RunOptions options() = 0;

  // A modal question or message titled "Quillstead".
  virtual MsgAnswer ask(const QString& text, MsgButtons buttons, MsgIcon icon) = 0;
  void inform(const QString& text, MsgIcon icon) { ask(text, MsgButtons::Ok, icon); }

  virtual void setStatus(const QString& text) = 0;  // the status line
  virtual void setHelp(const QString& text) = 0;    // the help box
  virtual void setBusy(bool busy) = 0;              // the busy pointer
  virtual void yield() = 0;                         // let the event loop run

  // The folder plan shortened the root: show it in the folder root box.
  virtual void writeBackDirRoot(const QString& root) = 0;

  // How much of the user list has been read, for a progress display.
  virtual void progress(qint64 bytesRead, qint64 totalBytes) {
    (void)bytesRead;
    (void)totalBytes;
  }

  // The summary's offer to open the log. Batch mode never asks it.
  virtual MsgAnswer askOpenLog(const QString& text) {
    return ask(text, MsgButtons::YesNo, MsgIcon::None);
  }

  // Opens the run log in the desktop's viewer without waiting for it.
  virtual void openLog(const QString& path) = 0;

  // Why the run should stop after the current person (the window is being
  // closed, the program got a signal); empty while it should go on.
  virtual QString stopRequested() { return QString(); }
};

}  // namespace quill
