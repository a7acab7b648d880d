#pragma once

#include <QString>
#include <QStringList>
#include <deque>
#include <initializer_list>
#include <utility>
#include <vector>

#include "core/run_host.h"

namespace quill::test {

// A RunHost for tests: hands out options the test sets, answers questions
// from a script and records everything the run shows.
class ScriptedHost : public RunHost {
 public:
  struct Question {
    QString text;
    MsgButtons buttons;
    MsgIcon icon;
  };

  explicit ScriptedHost(RunOptions options = {}) : m_options(std::move(options)) {}

  // The options the run reads; a test may change them between steps.
  RunOptions& runOptions() { return m_options; }

  // Answers to Yes/No questions, used in order. With the script used up a
  // question is answered No. An OK box is always answered Ok and takes
  // nothing from the script.
  void scriptAnswers(std::initializer_list<MsgAnswer> answers);

  const std::vector<Question>& questions() const { return m_questions; }
  const QStringList& statusHistory() const { return m_statusHistory; }
  const QStringList& helpHistory() const { return m_helpHistory; }
  QString status() const { return m_statusHistory.value(m_statusHistory.size() - 1); }
  QString help() const { return m_helpHistory.value(m_helpHistory.size() - 1); }
  int yieldCount() const { return m_yields; }
  bool busy() const { return m_busy; }
  const QStringList& dirRootWrites() const { return m_dirRootWrites; }
  const QStringList& openedLogs() const { return m_openedLogs; }

  RunOptions options() override { return m_options; }
  MsgAnswer ask(const QString& text, MsgButtons buttons, MsgIcon icon) override;
  void setStatus(const QString& text) override { m_statusHistory.append(text); }
  void setHelp(const QString& text) override { m_helpHistory.append(text); }
  void setBusy(bool busy) override { m_busy = busy; }
  void yield() override { ++m_yields; }
  void writeBackDirRoot(const QString& root) override;
  void openLog(const QString& path) override { m_openedLogs.append(path); }

 private:
  RunOptions m_options;
  std::deque<MsgAnswer> m_answers;
  std::vector<Question> m_questions;
  QStringList m_statusHistory;
  QStringList m_helpHistory;
  QStringList m_dirRootWrites;
  QStringList m_openedLogs;
  int m_yields = 0;
  bool m_busy = false;
};

}  // namespace quill::test
