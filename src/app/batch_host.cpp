#include "app/batch_host.h"

#include "app/stop_signals.h"
#include "core/names.h"
#include "core/secret.h"

namespace quill {

namespace {

// One line, written whole (a NUL in text cannot cut it) and flushed.
void write(std::FILE* stream, const QString& text) {
  const QByteArray line = text.toUtf8() + '\n';
  std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stream);
  std::fflush(stream);
}

}  // namespace

BatchHost::BatchHost(const RunOptions& options, bool answerYes, std::FILE* out, std::FILE* err)
    : m_options(options), m_answerYes(answerYes), m_out(out), m_err(err) {}

MsgAnswer BatchHost::ask(const QString& text, MsgButtons buttons, MsgIcon icon) {
  (void)icon;
  write(m_err, QStringLiteral("Quillstead: ") + showControls(text));
  if (buttons == MsgButtons::Ok) return MsgAnswer::Ok;
  return m_answerYes ? MsgAnswer::Yes : MsgAnswer::No;
}

MsgAnswer BatchHost::askOpenLog(const QString& text) {
  // Nobody is there to read the log in a viewer; the exit status tells.
  (void)text;
  return MsgAnswer::No;
}

QString BatchHost::stopRequested() {
  const QString signal = StopSignals::requested();
  return signal.isEmpty() ? QString() : QStringLiteral("signal %1").arg(signal);
}

void BatchHost::wipePasswords() {
  for (QString& password : m_options.txt_Password) wipeEveryCopy(password);
}

void BatchHost::setStatus(const QString& text) { m_status = text; }

void BatchHost::setHelp(const QString& text) {
  if (m_lineObserver) m_lineObserver(text);
  // Every run line reaches the help box through ReportLine: in batch mode
  // that is standard output, flushed so a watcher sees each line at once.
  write(m_out, text);
}

}  // namespace quill
