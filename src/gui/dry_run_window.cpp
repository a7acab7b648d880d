#include "gui/dry_run_window.h"

#include <QDir>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSaveFile>
#include <QVBoxLayout>

#include "app/dry_run_report.h"
#include "dryrun/dry_run.h"
#include "engine/run_driver.h"
#include "engine/run_log.h"
#include "gui/main_window.h"
#include "gui/prompter.h"

namespace quill {

DryRunWindow::DryRunWindow(Prompter& prompter, std::function<void()> go, QWidget* parent)
    : QDialog(parent), m_prompter(prompter), m_go(std::move(go)) {
  setObjectName(QStringLiteral("frm_DryRun"));
  setWindowTitle(QStringLiteral("Dry run"));
  setModal(false);
  m_text = new QPlainTextEdit(this);
  m_text->setObjectName(QStringLiteral("txt_Report"));
  m_text->setReadOnly(true);
  auto* save = new QPushButton(QStringLiteral("&Save…"), this);
  save->setObjectName(QStringLiteral("cmd_Save"));
  auto* goButton = new QPushButton(QStringLiteral("&Go !"), this);
  goButton->setObjectName(QStringLiteral("cmd_Go"));
  auto* close = new QPushButton(QStringLiteral("&Close"), this);
  close->setObjectName(QStringLiteral("cmd_Close"));
  close->setDefault(true);
  connect(save, &QPushButton::clicked, this, &DryRunWindow::cmd_Save_Click);
  connect(goButton, &QPushButton::clicked, this, &DryRunWindow::cmd_Go_Click);
  connect(close, &QPushButton::clicked, this, &QDialog::close);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(save);
  buttons->addStretch(1);
  buttons->addWidget(goButton);
  buttons->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_text, 1);
  layout->addLayout(buttons);
  resize(640, 420);
}

void DryRunWindow::showReport(const QString& report) {
  m_report = report;
  m_text->setPlainText(report);
  show();
  raise();
  activateWindow();
}

void DryRunWindow::cmd_Save_Click() {
  const QString path =
      m_prompter.saveFileName(this, QStringLiteral("Save the dry run's report"),
                              QDir::current().filePath(QStringLiteral("dry-run.txt")));
  if (path.isEmpty()) return;
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Text) || file.write(m_report.toUtf8()) < 0 ||
      !file.commit()) {
    m_prompter.ask(
        this,
        QStringLiteral("The report could not be saved to %1: %2").arg(path, file.errorString()),
        MsgButtons::Ok, MsgIcon::Critical);
  }
}

void DryRunWindow::cmd_Go_Click() {
  hide();
  if (m_go) m_go();
}

void MainWindow::cmd_DryRun_Click() {
  if (m_running) return;
  // The same run, checks and questions as GO, over views that read the real
  // services and keep every change in memory, with a log that keeps nothing.
  m_ui.prg_ListRead->setValue(0);
  DryRun dry(m_platform);
  RunLog log;
  log.setKeepsNothing(true);
  DryRunReport report;
  m_running = true;
  m_dryRunning = true;
  m_lineSink = [&report](const QString& line) { report.takeLine(line); };
  RunDriver driver(dry.platform(), *this, log, m_state.patterns);
  const RunOutcome outcome = driver.cmd_GO_Click();
  m_lineSink = nullptr;
  m_dryRunning = false;
  m_running = false;
  if (m_closeRequested) return closeIfAsked();
  // A run that ended before its first person (a check failed, the user said
  // No) has nothing to report beyond what it said.
  if (outcome == RunOutcome::EndedEarly && driver.lastCounters().UsersProcessed == 0) return;
  if (!m_dryRunWindow)
    m_dryRunWindow = new DryRunWindow(
        m_prompter, [this] { cmd_GO_Click(); }, this);
  m_dryRunWindow->showReport(report.text(dry.counts()));
}

}  // namespace quill
