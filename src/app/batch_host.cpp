#include "app/batch_host.h"

namespace quill {

BatchHost::BatchHost(const RunOptions& options, bool answerYes, std::FILE* out, std::FILE* err)
    : m_options(options), m_answerYes(answerYes), m_out(out), m_err(err) {}

MsgAnswer BatchHost::ask(const QString& text, MsgButtons buttons, MsgIcon icon) {
  (void)icon;
  std::fprintf(m_err, "Quillstead: %s\n", text.toLocal8Bit().constData());
  std::fflush(m_err);
  if (buttons == MsgButtons::Ok) return MsgAnswer::Ok;
  return m_answerYes ? MsgAnswer::Yes : MsgAnswer::No;
}

MsgAnswer BatchHost::askOpenLog(const QString& text) {
  // Nobody is there to read the log in a viewer; the exit status tells.
  (void)text;
  return MsgAnswer::No;
}

void BatchHost::setStatus(const QString& text) { m_status = text; }

void BatchHost::setHelp(const QString& text) {
  // Every run line reaches the help box through ReportLine: in batch mode
  // that is standard output, flushed so a watcher sees each line at once.
  std::fprintf(m_out, "%s\n", text.toLocal8Bit().constData());
  std::fflush(m_out);
}

}  // namespace quill
