#pragma once

#include <QDialog>
#include <functional>

class QPlainTextEdit;

namespace quill {

class Prompter;

// frm_DryRun: the report a dry run ends with: what the run would create, the
// persons whose login name falls back to another pattern, the warnings and
// errors, and what a dry run cannot see. "Save…" keeps it as a text file,
// "Go !" starts the real run with the same options. Modeless.
class DryRunWindow : public QDialog {
  Q_OBJECT

 public:
  // go starts the real run; prompter asks where to save.
  DryRunWindow(Prompter& prompter, std::function<void()> go, QWidget* parent);

  // Shows report, the text DryRunReport::text made.
  void showReport(const QString& report);
  const QString& report() const { return m_report; }

  void cmd_Save_Click();
  void cmd_Go_Click();

 private:
  Prompter& m_prompter;
  std::function<void()> m_go;
  QString m_report;
  QPlainTextEdit* m_text = nullptr;
};

}  // namespace quill
