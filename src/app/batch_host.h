#pragma once

#include <cstdio>
#include <functional>

#include "core/run_host.h"

namespace quill {

// The run's host without a window: log lines go to out as they are written,
// message boxes to err as "Quillstead: " + text, and every Yes/No question is
// answered by answerYes. The options are taken as given; no option rule runs.
class BatchHost : public RunHost {
 public:
  BatchHost(const RunOptions& options, bool answerYes, std::FILE* out, std::FILE* err);

  RunOptions options() override { return m_options; }
  MsgAnswer ask(const QString& text, MsgButtons buttons, MsgIcon icon) override;
  MsgAnswer askOpenLog(const QString& text) override;
  void setStatus(const QString& text) override;
  void setHelp(const QString& text) override;
  void setBusy(bool busy) override { (void)busy; }
  void yield() override {}
  void writeBackDirRoot(const QString& root) override { m_options.txt_DirRoot = root; }
  void openLog(const QString& path) override { (void)path; }
  // Called with every log line as it is printed.
  void setLineObserver(std::function<void(const QString&)> observer) {
    m_lineObserver = std::move(observer);
  }
  QString stopRequested() override;

  const QString& lastStatus() const { return m_status; }
  // Clears the passwords of the options, in every copy; after the run.
  void wipePasswords();

 private:
  RunOptions m_options;
  bool m_answerYes;
  std::FILE* m_out;
  std::FILE* m_err;
  QString m_status;
  std::function<void(const QString&)> m_lineObserver;
};

}  // namespace quill
