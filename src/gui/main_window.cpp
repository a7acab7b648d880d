#include "gui/main_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <algorithm>

#include "app/recorded_runs.h"
#include "engine/run_log.h"
#include "gui/about_box.h"
#include "gui/context_help.h"
#include "gui/help_texts.h"
#include "gui/preview_window.h"
#include "gui/prompter.h"

namespace quill {

MainWindow::MainWindow(Platform platform, AppState& state, Prompter& prompter, QWidget* parent)
    : QWidget(parent), m_platform(platform), m_state(state), m_prompter(prompter) {
  setObjectName(QStringLiteral("frm_Main"));
  setWindowTitle(QStringLiteral("Quillstead - Version 1.0"));
  buildControls();
  connectHandlers();
  loadStartupState();
}

MainWindow::~MainWindow() {
  if (m_busy) QApplication::restoreOverrideCursor();
}

void MainWindow::connectHandlers() {
  MainWindowControls& c = m_ui;
  for (QCheckBox* box :
       {c.chk_CreateFullTree, c.chk_CreateOUs, c.chk_CreateDep, c.chk_CreateDuty, c.chk_CreateUsers,
        c.chk_UsersOnSpecificOU, c.chk_PrivDir, c.chk_PubDirSingle, c.chk_PubDirDep}) {
    connect(box, &QCheckBox::clicked, this, [this, box] { runRuleOf(box); });
  }
  connect(c.cmd_GO, &QPushButton::clicked, this, &MainWindow::cmd_GO_Click);
  connect(c.cmd_DryRun, &QPushButton::clicked, this, &MainWindow::cmd_DryRun_Click);
  connect(c.cmd_Runs, &QPushButton::clicked, this, &MainWindow::cmd_Runs_Click);
  // The OU boxes show the leaf, where a path begins, and the whole path on
  // the pointer.
  for (QLineEdit* box : {c.txt_DepartmentOU, c.txt_GroupsOU, c.txt_UsersOU}) {
    connect(box, &QLineEdit::textChanged, box, [box](const QString& path) {
      box->setCursorPosition(0);
      box->setToolTip(path);
    });
  }
  connect(c.txt_Domain, &QLineEdit::textChanged, this, [this](const QString& text) {
    if (m_domainChanged) m_domainChanged(text);
  });
  connect(c.Command2, &QPushButton::clicked, this, &MainWindow::Command2_Click);
  connect(c.cmd_Browse4CSV, &QPushButton::clicked, this, &MainWindow::cmd_Browse4CSV_Click);
  connect(c.cmd_Browse4FullFS, &QPushButton::clicked, this, &MainWindow::cmd_Browse4FullFS_Click);
  connect(c.cmd_GroupsOUBrowse, &QPushButton::clicked, this, &MainWindow::cmd_GroupsOUBrowse_Click);
  connect(c.cmd_UsersOUBrowse, &QPushButton::clicked, this, &MainWindow::cmd_UsersOUBrowse_Click);
  connect(c.cmd_Browse4UsersOU, &QPushButton::clicked, this, &MainWindow::cmd_Browse4UsersOU_Click);
  connect(c.cmd_userNamePat, &QPushButton::clicked, this, &MainWindow::cmd_userNamePat_Click);
  connect(c.Timer1, &QTimer::timeout, this, &MainWindow::Timer1_Timer);

  // Context help and the focus handlers of the text boxes.
  m_help = new ContextHelp([this](const QString& text) { setHelp(text); }, this);
  const auto pointer = [this](QWidget* control, HelpTopic text) {
    m_help->onPointer(control, helpText(text));
  };
  pointer(c.chk_CreateFullTree, HelpTopic::FullTree);
  pointer(c.chk_CreateOUs, HelpTopic::DepartmentOUs);
  pointer(c.chk_CreateDep, HelpTopic::DepartmentGroups);
  pointer(c.chk_CreateDuty, HelpTopic::DutyGroups);
  pointer(c.chk_CreateUsers, HelpTopic::CreateUsers);
  pointer(c.chk_UsersOnSpecificOU, HelpTopic::FlatUsersOU);
  pointer(c.txt_UsersOU, HelpTopic::FlatUsersOU);
  pointer(c.chk_EmailDomain, HelpTopic::EmailDomain);
  pointer(c.txt_EmailDomain, HelpTopic::EmailDomain);
  pointer(c.chk_PrivDir, HelpTopic::PrivateFolders);
  pointer(c.opt_PrivateDirsLocation[0], HelpTopic::PrivateLocation);
  pointer(c.opt_PrivateDirsLocation[1], HelpTopic::PrivateLocation);
  pointer(c.chk_PubDirSingle, HelpTopic::SinglePublic);
  m_help->onButtonRelease(c.chk_PubDirDep, helpText(HelpTopic::DepartmentPublic));
  pointer(c.cmd_Browse4CSV, HelpTopic::BrowseFile);
  pointer(c.cmd_Browse4FullFS, HelpTopic::BrowseFile);
  pointer(c.cmd_GroupsOUBrowse, HelpTopic::BrowseOU);
  pointer(c.cmd_UsersOUBrowse, HelpTopic::BrowseOU);
  pointer(c.cmd_Browse4UsersOU, HelpTopic::BrowseOU);
  pointer(c.cmd_userNamePat, HelpTopic::NamePattern);
  pointer(c.txt_CSVFile, HelpTopic::CsvFile);
  pointer(c.txt_DepartmentOU, HelpTopic::DepartmentOUPath);
  pointer(c.txt_GroupsOU, HelpTopic::GroupsOUPath);
  pointer(c.txt_DirRoot, HelpTopic::FolderRoot);
  pointer(c.txt_Domain, HelpTopic::Domain);
  pointer(c.txt_Password[0], HelpTopic::Password);
  pointer(c.txt_Password[1], HelpTopic::Password);
  m_help->clearOverFreeArea(c.Frame1, true);
  m_help->clearOverFreeArea(c.Frame2, false);
  for (QLineEdit* box : {c.txt_CSVFile, c.txt_DirRoot, c.txt_Domain, c.txt_EmailDomain,
                         c.txt_Password[0], c.txt_Password[1]}) {
    m_help->selectAllOnFocus(box);
  }
  m_help->copyOnFocusOut(c.txt_Domain, c.txt_EmailDomain);

  // The logo, the hidden key sequence and the preview buttons.
  for (QObject* watched :
       {static_cast<QObject*>(c.Picture1), static_cast<QObject*>(c.txt_help),
        static_cast<QObject*>(c.cmd_PreviewOU), static_cast<QObject*>(c.cmd_PreviewGrp),
        static_cast<QObject*>(c.cmd_PreviewFS)}) {
    watched->installEventFilter(this);
  }
  // Tab walks the controls as they stand, top to bottom, left to right.
  QWidget* previous = nullptr;
  for (QWidget* w : std::initializer_list<QWidget*>{c.txt_Domain,
                                                    c.txt_CSVFile,
                                                    c.cmd_Browse4CSV,
                                                    c.chk_CreateFullTree,
                                                    c.chk_CreateOUs,
                                                    c.txt_DepartmentOU,
                                                    c.cmd_UsersOUBrowse,
                                                    c.chk_CreateDep,
                                                    c.chk_CreateDuty,
                                                    c.txt_GroupsOU,
                                                    c.cmd_GroupsOUBrowse,
                                                    c.chk_CreateUsers,
                                                    c.cmd_userNamePat,
                                                    c.chk_UsersOnSpecificOU,
                                                    c.txt_UsersOU,
                                                    c.cmd_Browse4UsersOU,
                                                    c.txt_Password[0],
                                                    c.txt_Password[1],
                                                    c.chk_EmailDomain,
                                                    c.txt_EmailDomain,
                                                    c.txt_DirRoot,
                                                    c.cmd_Browse4FullFS,
                                                    c.chk_PubDirSingle,
                                                    c.chk_PubDirDep,
                                                    c.chk_PrivDir,
                                                    c.opt_PrivateDirsLocation[0],
                                                    c.opt_PrivateDirsLocation[1],
                                                    c.chk_HiddenShares,
                                                    c.txt_help,
                                                    c.cmd_PreviewOU,
                                                    c.cmd_PreviewGrp,
                                                    c.cmd_PreviewFS,
                                                    c.cmd_Runs,
                                                    c.Command2,
                                                    c.cmd_DryRun,
                                                    c.cmd_GO}) {
    if (previous) setTabOrder(previous, w);
    previous = w;
  }
}

void MainWindow::loadStartupState() {
  applyOptions(startupRunOptions(QDir::currentPath(), *m_platform.files));
  chk_CreateFullTree_Click();
  m_state.patterns = UserNamePatterns{};
  m_ui.txt_help->setPlainText(disclaimerText());
  showCredit();
}

void MainWindow::applyOptions(const RunOptions& o) {
  MainWindowControls& c = m_ui;
  c.txt_CSVFile->setText(o.txt_CSVFile);
  c.txt_Domain->setText(o.txt_Domain);
  c.chk_CreateFullTree->setChecked(o.chk_CreateFullTree);
  c.chk_CreateOUs->setChecked(o.chk_CreateOUs);
  c.txt_DepartmentOU->setText(o.txt_DepartmentOU);
  c.chk_CreateDep->setChecked(o.chk_CreateDep);
  c.chk_CreateDuty->setChecked(o.chk_CreateDuty);
  c.txt_GroupsOU->setText(o.txt_GroupsOU);
  c.chk_CreateUsers->setChecked(o.chk_CreateUsers);
  c.chk_UsersOnSpecificOU->setChecked(o.chk_UsersOnSpecificOU);
  c.txt_UsersOU->setText(o.txt_UsersOU);
  c.txt_Password[0]->setText(o.txt_Password[0]);
  c.txt_Password[1]->setText(o.txt_Password[1]);
  c.chk_EmailDomain->setChecked(o.chk_EmailDomain);
  c.txt_EmailDomain->setText(o.txt_EmailDomain);
  c.txt_DirRoot->setText(o.txt_DirRoot);
  c.chk_PrivDir->setChecked(o.chk_PrivDir);
  c.opt_PrivateDirsLocation[o.opt_PrivateDirsLocation == kPrivateDirsPerDepartment ? 1 : 0]
      ->setChecked(true);
  c.chk_PubDirSingle->setChecked(o.chk_PubDirSingle);
  c.chk_PubDirDep->setChecked(o.chk_PubDirDep);
  c.chk_HiddenShares->setChecked(o.chk_HiddenShares);
}

RunOptions MainWindow::options() {
  const MainWindowControls& c = m_ui;
  RunOptions o;
  o.txt_CSVFile = c.txt_CSVFile->text();
  o.txt_Domain = c.txt_Domain->text();
  o.chk_CreateFullTree = c.chk_CreateFullTree->isChecked();
  o.chk_CreateOUs = c.chk_CreateOUs->isChecked();
  o.txt_DepartmentOU = c.txt_DepartmentOU->text();
  o.chk_CreateDep = c.chk_CreateDep->isChecked();
  o.chk_CreateDuty = c.chk_CreateDuty->isChecked();
  o.txt_GroupsOU = c.txt_GroupsOU->text();
  o.chk_CreateUsers = c.chk_CreateUsers->isChecked();
  o.chk_UsersOnSpecificOU = c.chk_UsersOnSpecificOU->isChecked();
  o.txt_UsersOU = c.txt_UsersOU->text();
  o.txt_Password = {c.txt_Password[0]->text(), c.txt_Password[1]->text()};
  o.chk_EmailDomain = c.chk_EmailDomain->isChecked();
  o.txt_EmailDomain = c.txt_EmailDomain->text();
  o.txt_DirRoot = c.txt_DirRoot->text();
  o.chk_PrivDir = c.chk_PrivDir->isChecked();
  o.opt_PrivateDirsLocation =
      c.opt_PrivateDirsLocation[1]->isChecked() ? kPrivateDirsPerDepartment : kPrivateDirsCentral;
  o.chk_PubDirSingle = c.chk_PubDirSingle->isChecked();
  o.chk_PubDirDep = c.chk_PubDirDep->isChecked();
  o.chk_HiddenShares = c.chk_HiddenShares->isChecked();
  return o;
}

MsgAnswer MainWindow::ask(const QString& text, MsgButtons buttons, MsgIcon icon) {
  return m_prompter.ask(this, text, buttons, icon);
}

void MainWindow::setStatus(const QString& text) { setStatusText(text, Qt::black); }

void MainWindow::setHelp(const QString& text) {
  m_ui.txt_help->setPlainText(text);
  if (m_lineSink) m_lineSink(text);
}

MsgAnswer MainWindow::askOpenLog(const QString& text) {
  // A dry run wrote no log to show.
  return m_dryRunning ? MsgAnswer::No : RunHost::askOpenLog(text);
}

void MainWindow::setBusy(bool busy) {
  if (busy == m_busy) return;
  m_busy = busy;
  if (busy) {
    // The busy pointer: working, but every option stays usable.
    QApplication::setOverrideCursor(Qt::BusyCursor);
  } else {
    QApplication::restoreOverrideCursor();
  }
}

void MainWindow::yield() { QCoreApplication::processEvents(); }

void MainWindow::writeBackDirRoot(const QString& root) { m_ui.txt_DirRoot->setText(root); }

void MainWindow::progress(qint64 bytesRead, qint64 totalBytes) {
  const int maximum = m_ui.prg_ListRead->maximum();
  const qint64 value = totalBytes > 0 ? bytesRead * maximum / totalBytes : 0;
  m_ui.prg_ListRead->setValue(static_cast<int>(std::clamp<qint64>(value, 0, maximum)));
}

void MainWindow::openLog(const QString& path) { m_prompter.openLog(path); }

void MainWindow::cmd_GO_Click() {
  // A GO during a run starts nothing; the run's own progress stays.
  if (m_running) return;
  m_ui.prg_ListRead->setValue(0);
  m_running = true;
  const RecordedGo go =
      runWithRecord(m_platform, *this, m_state.runLog, m_state.patterns, m_backend,
                    [this](const QString& why) { ask(why, MsgButtons::Ok, MsgIcon::Critical); });
  m_running = false;
  if (!go.domainFqdn.isNull()) m_state.DomainFqdn = go.domainFqdn;
  saveBackends();
  closeIfAsked();
}

void MainWindow::closeIfAsked() {
  if (m_closeRequested) {
    m_closeRequested = false;
    close();
  }
}

void MainWindow::setDomainHandler(std::function<void(const QString&)> handler) {
  m_domainChanged = std::move(handler);
  if (m_domainChanged) m_domainChanged(m_ui.txt_Domain->text());
}

void MainWindow::Command2_Click() { ShowRunLog(m_state.runLog, *this, *m_platform.files); }

void MainWindow::saveBackends() {
  if (!m_save) return;
  QString error;
  if (!m_save(&error)) {
    ask(QStringLiteral("The directory and the shares could not be saved: ") + error, MsgButtons::Ok,
        MsgIcon::Critical);
  }
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (m_running) {
    // A run is not cut off in the middle of a person: it stops after the
    // current one (stopRequested), writes its summary, the backends are
    // saved, and then the window closes (cmd_GO_Click).
    m_closeRequested = true;
    event->ignore();
    return;
  }
  Form_Unload();
  event->accept();
}

void MainWindow::Form_Unload() {
  if (m_frmBrowse4OU) m_frmBrowse4OU->close();
  if (m_frmEE) m_frmEE->close();
  if (m_frmPic) m_frmPic->close();
  if (m_frmUserName) m_frmUserName->close();
}

void MainWindow::setOuPath(OuBox target, const QString& path) {
  switch (target) {
    case OuBox::GroupsOU:
      m_ui.txt_GroupsOU->setText(path);
      break;
    case OuBox::DepartmentOU:
      m_ui.txt_DepartmentOU->setText(path);
      break;
    case OuBox::UsersOU:
      m_ui.txt_UsersOU->setText(path);
      break;
    case OuBox::None:
      break;
  }
}

}  // namespace quill
