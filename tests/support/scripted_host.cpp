#include "support/scripted_host.h"

namespace quill::test {

void ScriptedHost::scriptAnswers(std::initializer_list<MsgAnswer> answers) {
  m_answers.insert(m_answers.end(), answers.begin(), answers.end());
}

MsgAnswer ScriptedHost::ask(const QString& text, MsgButtons buttons, MsgIcon icon) {
  m_questions.push_back({text, buttons, icon});
  if (buttons == MsgButtons::Ok) return MsgAnswer::Ok;
  if (m_answers.empty()) return MsgAnswer::No;
  const MsgAnswer answer = m_answers.front();
  m_answers.pop_front();
  return answer;
}

void ScriptedHost::writeBackDirRoot(const QString& root) {
  m_dirRootWrites.append(root);
  m_options.txt_DirRoot = root;
}

}  // namespace quill::test
