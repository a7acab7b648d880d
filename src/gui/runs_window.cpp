#include "gui/runs_window.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QJsonObject>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/recorded_runs.h"
#include "dryrun/dry_run.h"
#include "engine/run_log.h"
#include "engine/run_record.h"
#include "engine/run_undo.h"
#include "gui/main_window.h"

namespace quill {

namespace {

// What a run changed, kind by kind, from its record.
QString changesOf(const RecordedRun& run) {
  int ous = 0, accounts = 0, groups = 0, members = 0, folders = 0, shares = 0;
  for (const QJsonObject& change : run.changes) {
    const QString kind = change.value(QLatin1String("change")).toString();
    const QString cls = change.value(QLatin1String("class")).toString();
    if (kind == u"created") {
      int& count = cls == u"organizationalUnit" ? ous : cls == u"group" ? groups : accounts;
      ++count;
    }
    members += kind == u"member";
    folders += kind == u"folder";
    shares += kind == u"share";
  }
  return QStringLiteral("%1 OUs, %2 accounts, %3 groups, %4 memberships, %5 folders, %6 shares")
      .arg(ous)
      .arg(accounts)
      .arg(groups)
      .arg(members)
      .arg(folders)
      .arg(shares);
}

QString endingOf(const RecordedRun& run) {
  if (run.end.isEmpty()) return QStringLiteral("did not end (stopped from outside)");
  const QString ended = run.end.value(QLatin1String("ended")).toString();
  const int persons = run.end.value(QLatin1String("usersProcessed")).toInt();
  return QStringLiteral("%1, %2 persons").arg(ended).arg(persons);
}

// The host of an undo's dry run: collects its lines, asks what it must ask
// through the window.
class LineCollector : public RunHost {
 public:
  LineCollector(RunHost& window, QStringList& lines) : m_window(window), m_lines(lines) {}
  RunOptions options() override { return m_window.options(); }
  MsgAnswer ask(const QString& text, MsgButtons buttons, MsgIcon icon) override {
    return m_window.ask(text, buttons, icon);
  }
  void setStatus(const QString&) override {}
  void setHelp(const QString& text) override { m_lines << text; }
  void setBusy(bool) override {}
  void yield() override {}
  void writeBackDirRoot(const QString&) override {}
  void openLog(const QString&) override {}

 private:
  RunHost& m_window;
  QStringList& m_lines;
};

}  // namespace

RunsWindow::RunsWindow(std::function<void(const QString&)> undo, QWidget* parent)
    : QDialog(parent), m_undo(std::move(undo)) {
  setObjectName(QStringLiteral("frm_Runs"));
  setWindowTitle(QStringLiteral("Runs"));
  setModal(false);
  m_list = new QTreeWidget(this);
  m_list->setObjectName(QStringLiteral("lst_Runs"));
  m_list->setHeaderLabels({QStringLiteral("Started"), QStringLiteral("List"),
                           QStringLiteral("Changes"), QStringLiteral("Ended"),
                           QStringLiteral("Undone")});
  m_list->setRootIsDecorated(false);
  m_list->setSelectionMode(QAbstractItemView::SingleSelection);
  m_list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  m_plan = new QPlainTextEdit(this);
  m_plan->setObjectName(QStringLiteral("txt_UndoPlan"));
  m_plan->setReadOnly(true);
  m_plan->setPlaceholderText(QStringLiteral("What an undo would do shows here."));
  auto* undoButton = new QPushButton(QStringLiteral("&Undo…"), this);
  undoButton->setObjectName(QStringLiteral("cmd_Undo"));
  auto* close = new QPushButton(QStringLiteral("&Close"), this);
  close->setObjectName(QStringLiteral("cmd_Close"));
  connect(undoButton, &QPushButton::clicked, this, &RunsWindow::cmd_Undo_Click);
  connect(close, &QPushButton::clicked, this, &QDialog::close);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(undoButton);
  buttons->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_list, 2);
  layout->addWidget(m_plan, 1);
  layout->addLayout(buttons);
  resize(1000, 460);
}

void RunsWindow::refresh() {
  const QString selected = m_records.value(m_list->indexOfTopLevelItem(m_list->currentItem()));
  m_list->clear();
  m_records.clear();
  const QDir folder(RunRecord::folderIn(QDir::currentPath()));
  // Every record whose first line says it is a run's; an undo's is none.
  for (const QString& name :
       folder.entryList({QStringLiteral("*.jsonl")}, QDir::Files, QDir::Name | QDir::Reversed)) {
    const QString path = folder.filePath(name);
    RecordedRun run;
    QString error;
    if (!readRunRecord(path, &run, &error) ||
        run.header.value(QLatin1String("record")).toString() != u"run") {
      continue;
    }
    const QString list =
        run.header.value(QLatin1String("list")).toObject().value(QLatin1String("path")).toString();
    auto* item = new QTreeWidgetItem(
        m_list, {run.header.value(QLatin1String("start")).toString(), QFileInfo(list).fileName(),
                 changesOf(run), endingOf(run),
                 isUndone(path) ? QStringLiteral("yes") : QStringLiteral("no")});
    item->setToolTip(1, list);
    m_records << path;
    if (path == selected) m_list->setCurrentItem(item);
  }
  if (!m_list->currentItem() && m_list->topLevelItemCount() > 0) {
    m_list->setCurrentItem(m_list->topLevelItem(0));
  }
  show();
  raise();
}

void RunsWindow::showUndoPlan(const QStringList& lines) { m_plan->setPlainText(lines.join(u'\n')); }

void RunsWindow::cmd_Undo_Click() {
  const int row = m_list->indexOfTopLevelItem(m_list->currentItem());
  if (row >= 0 && m_undo) m_undo(m_records.value(row));
}

void MainWindow::cmd_Runs_Click() {
  if (!m_runsWindow) {
    m_runsWindow = new RunsWindow([this](const QString& record) { undoRun(record); }, this);
  }
  m_runsWindow->refresh();
}

void MainWindow::undoRun(const QString& recordPath) {
  if (m_running) return;
  // What the undo would do: the same undo over views that keep every change
  // in memory.
  QStringList plan;
  {
    DryRun dry(m_platform);
    RunLog log;
    log.setKeepsNothing(true);
    LineCollector collector(*this, plan);
    if (UndoRun(dry.platform(), collector, log, recordPath, nullptr) == RunOutcome::EndedEarly) {
      return;
    }
  }
  if (m_runsWindow) m_runsWindow->showUndoPlan(plan);
  constexpr int kShown = 12;
  QString question = QStringLiteral("Take back the run of %1? The undo would do this:\n\n")
                         .arg(QFileInfo(recordPath).fileName()) +
                     plan.mid(0, kShown).join(u'\n');
  if (plan.size() > kShown) {
    question += QStringLiteral("\n... and %1 more lines (all of them in the Runs window)")
                    .arg(plan.size() - kShown);
  }
  if (ask(question, MsgButtons::YesNo, MsgIcon::None) != MsgAnswer::Yes) return;

  // The undo itself, shown as a run is: its lines in the help box, the bar
  // counting them against the plan's.
  m_ui.prg_ListRead->setValue(0);
  qint64 done = 0;
  m_lineSink = [this, &done, total = plan.size()](const QString&) { progress(++done, total); };
  m_running = true;
  undoWithRecord(m_platform, *this, m_state.runLog, recordPath, m_backend, false,
                 [this](const QString& why) { ask(why, MsgButtons::Ok, MsgIcon::Critical); });
  m_running = false;
  m_lineSink = nullptr;
  saveBackends();
  if (m_runsWindow && m_runsWindow->isVisible()) m_runsWindow->refresh();
  closeIfAsked();
}

}  // namespace quill
