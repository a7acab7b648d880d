#pragma once

#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <utility>
#include <vector>

#include "core/run_host.h"

namespace quill::test {

// A RunHost for tests: hands out options the test sets, answers questions
// from a script and records everything the run shows.
class ScriptedHost : public RunHost {
 public:
  explicit ScriptedHost(RunOptions options = {}) : m_options(std::move(options)) {}

  // The options the run reads; a test may change them between steps.
  RunOptions& runOptions() { return m_options; }
  // Answers to Yes/No questions, used in order; then No. An OK box takes none.
  void scriptAnswers(const std::vector<MsgAnswer>& answers);

  // Log lines and, prefixed with "? ", messages and questions, in the order shown.
  const QStringList& transcript() const { return m_transcript; }
  const QStringList& helpHistory() const { return m_helpHistory; }
  QString status() const { return m_statusHistory.value(m_statusHistory.size() - 1); }
  bool busy() const { return m_busy; }
  const QStringList& dirRootWrites() const { return m_dirRootWrites; }
  const QStringList& openedLogs() const { return m_openedLogs; }

  RunOptions options() override { return m_options; }
  MsgAnswer ask(const QString& text, MsgButtons buttons, MsgIcon icon) override;
  void setStatus(const QString& text) override { m_statusHistory.append(text); }
  void setHelp(const QString& text) override {
    m_helpHistory.append(text);
    m_transcript.append(text);
  }
  void setBusy(bool busy) override { m_busy = busy; }
  void yield() override {
    if (onYield) onYield(*this);
  }
  // Runs whenever the run lets the event loop run, as a user acting meanwhile.
  std::function<void(ScriptedHost&)> onYield;
  void writeBackDirRoot(const QString& root) override {
    m_dirRootWrites.append(root);
    m_options.txt_DirRoot = root;
  }
  void openLog(const QString& path) override { m_openedLogs.append(path); }

 private:
  RunOptions m_options;
  std::deque<MsgAnswer> m_answers;
  QStringList m_statusHistory, m_helpHistory, m_transcript, m_dirRootWrites, m_openedLogs;
  bool m_busy = false;
};

}  // namespace quill::test
