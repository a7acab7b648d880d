#include "support/scripted_host.h"

namespace quill::test {

void ScriptedHost::scriptAnswers(const std::vector<MsgAnswer>& answers) {
  m_answers.insert(m_answers.end(), answers.begin(), answers.end());
}

MsgAnswer ScriptedHost::ask(const QString& text, MsgButtons buttons, MsgIcon icon) {
  (void)icon;
  m_transcript.append(QStringLiteral("? ") + text);
  if (buttons == MsgButtons::Ok) return MsgAnswer::Ok;
  if (m_answers.empty()) return MsgAnswer::No;
  const MsgAnswer answer = m_answers.front();
  m_answers.pop_front();
  return answer;
}

}  // namespace quill::test
