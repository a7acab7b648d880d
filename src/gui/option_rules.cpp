// The option rules of the main window: clicking one option shows, hides,
// enables, disables, checks or unchecks others.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "gui/main_window.h"

namespace quill {

namespace {

void showWidgets(std::initializer_list<QWidget*> widgets, bool visible) {
  for (QWidget* w : widgets) w->setVisible(visible);
}

}  // namespace

void MainWindow::setCheckedByCode(QCheckBox* box, bool checked) {
  // Setting a box to the state it has runs nothing.
  if (box->isChecked() == checked) return;
  box->setChecked(checked);
  runRuleOf(box);
}

void MainWindow::runRuleOf(QCheckBox* box) {
  const MainWindowControls& c = m_ui;
  if (box == c.chk_CreateFullTree) {
    chk_CreateFullTree_Click();
  } else if (box == c.chk_CreateOUs) {
    chk_CreateOUs_Click();
  } else if (box == c.chk_CreateDep || box == c.chk_CreateDuty) {
    chk_CreateDep_Click();
  } else if (box == c.chk_CreateUsers) {
    chk_CreateUsers_Click();
  } else if (box == c.chk_UsersOnSpecificOU) {
    chk_UsersOnSpecificOU_Click();
  } else if (box == c.chk_PrivDir) {
    chk_PrivDir_Click();
  } else if (box == c.chk_PubDirSingle || box == c.chk_PubDirDep) {
    UpdateFolderOptions();
  }
}

// In full-tree mode the four options are checked and locked and no OU
// needs to be chosen; otherwise they are free and every OU row shows.
void MainWindow::chk_CreateFullTree_Click() {
  const MainWindowControls& c = m_ui;
  bool show = true;
  if (c.chk_CreateFullTree->isChecked()) {
    for (QCheckBox* box : {c.chk_CreateDep, c.chk_CreateDuty, c.chk_CreateOUs, c.chk_CreateUsers}) {
      setCheckedByCode(box, true);
    }
    show = false;
  }
  for (QCheckBox* box : {c.chk_CreateDep, c.chk_CreateDuty, c.chk_CreateOUs, c.chk_CreateUsers}) {
    box->setEnabled(show);
  }
  showWidgets({c.chk_UsersOnSpecificOU, c.txt_DepartmentOU, c.txt_UsersOU, c.cmd_UsersOUBrowse,
               c.cmd_Browse4UsersOU, c.Label3, c.Label5, c.txt_GroupsOU, c.cmd_GroupsOUBrowse},
              show);
}

// The department OU location shows with its box; users without
// department OUs need the single users OU.
void MainWindow::chk_CreateOUs_Click() {
  const MainWindowControls& c = m_ui;
  showWidgets({c.txt_DepartmentOU, c.cmd_UsersOUBrowse}, c.chk_CreateOUs->isChecked());
  if (!c.chk_CreateOUs->isChecked() && !c.chk_UsersOnSpecificOU->isChecked() &&
      c.chk_CreateUsers->isChecked()) {
    ask(QStringLiteral("If you uncheck this checkbox, A specific OU must be specified."),
        MsgButtons::Ok, MsgIcon::None);
    setCheckedByCode(c.chk_UsersOnSpecificOU, true);
  }
}

// The groups OU row shows while either group box is checked.
void MainWindow::chk_CreateDep_Click() {
  const MainWindowControls& c = m_ui;
  showWidgets({c.Label3, c.Label5, c.txt_GroupsOU, c.cmd_GroupsOUBrowse},
              c.chk_CreateDep->isChecked() || c.chk_CreateDuty->isChecked());
}

// The user rows follow "Create users".
void MainWindow::chk_CreateUsers_Click() {
  const MainWindowControls& c = m_ui;
  const bool show = c.chk_CreateUsers->isChecked();
  showWidgets({c.txt_UsersOU, c.cmd_Browse4UsersOU, c.chk_UsersOnSpecificOU, c.Label2, c.Label4},
              show);
  setCheckedByCode(c.chk_UsersOnSpecificOU, false);
  showWidgets({c.txt_Password[0], c.txt_Password[1], c.txt_UsersOU, c.chk_EmailDomain,
               c.txt_EmailDomain, c.cmd_userNamePat},
              show);
  if (!c.chk_CreateOUs->isChecked() && c.chk_CreateUsers->isChecked()) {
    setCheckedByCode(c.chk_UsersOnSpecificOU, true);
  }
}

// The single users OU row follows its box; with users wanted and
// neither the full tree nor department OUs, the department OUs come back.
void MainWindow::chk_UsersOnSpecificOU_Click() {
  const MainWindowControls& c = m_ui;
  showWidgets({c.txt_UsersOU, c.cmd_Browse4UsersOU}, c.chk_UsersOnSpecificOU->isChecked());
  if (!c.chk_CreateFullTree->isChecked() && !c.chk_CreateOUs->isChecked() &&
      !c.chk_UsersOnSpecificOU->isChecked() && c.chk_CreateUsers->isChecked()) {
    ask(QStringLiteral("You must specify a specific OU if not creating departmental OU's."),
        MsgButtons::Ok, MsgIcon::Information);
    setCheckedByCode(c.chk_CreateOUs, true);
  }
}

// The private folder locations follow their box, then the folder root row.
void MainWindow::chk_PrivDir_Click() {
  const MainWindowControls& c = m_ui;
  for (QRadioButton* option : c.opt_PrivateDirsLocation) {
    option->setEnabled(c.chk_PrivDir->isChecked());
  }
  UpdateFolderOptions();
}

void MainWindow::UpdateFolderOptions() {
  const MainWindowControls& c = m_ui;
  const bool anyFolder =
      c.chk_PrivDir->isChecked() || c.chk_PubDirDep->isChecked() || c.chk_PubDirSingle->isChecked();
  showWidgets({c.txt_DirRoot, c.cmd_Browse4FullFS, c.chk_HiddenShares}, anyFolder);
}

}  // namespace quill
