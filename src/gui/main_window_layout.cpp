// The main window's controls and their places, top to bottom.
#include <QCheckBox>
#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "gui/logo.h"
#include "gui/main_window.h"

namespace quill {

namespace {

// A caption followed by a leader of dots up to the box of its row.
QString withLeader(const char* caption, int dots) {
  return QString::fromLatin1(caption) + QStringLiteral("  ") + QString(dots, QLatin1Char('.'));
}

template <typename W>
W* named(W* widget, const char* name) {
  widget->setObjectName(QString::fromLatin1(name));
  return widget;
}

QLabel* label(QWidget* parent, const char* name, const QString& caption) {
  return named(new QLabel(caption, parent), name);
}

QLineEdit* textBox(QWidget* parent, const char* name, bool readOnly = false) {
  auto* box = named(new QLineEdit(parent), name);
  box->setReadOnly(readOnly);
  box->setMinimumWidth(230);
  return box;
}

QPushButton* browseButton(QWidget* parent, const char* name) {
  auto* button = named(new QPushButton(QStringLiteral("..."), parent), name);
  button->setFixedWidth(30);
  return button;
}

QCheckBox* checkBox(QWidget* parent, const char* name, const QString& caption) {
  return named(new QCheckBox(caption, parent), name);
}

// A dot leader is cut where its row's box begins, as a leader should be;
// the caption before it stays whole because the column is wide enough for
// the longest caption without a leader.
void makeLeader(QWidget* widget) {
  widget->setSizePolicy(QSizePolicy::Ignored, widget->sizePolicy().verticalPolicy());
}

// A hidden control keeps its place, so rows do not jump when rules hide and
// show them.
void keepPlaceWhenHidden(std::initializer_list<QWidget*> widgets) {
  for (QWidget* w : widgets) {
    QSizePolicy policy = w->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    w->setSizePolicy(policy);
  }
}

}  // namespace

void MainWindow::buildControls() {
  auto* outer = new QVBoxLayout(this);
  outer->addLayout(buildTopRow());
  QGridLayout* directoryGrid = buildDirectoryFrame();
  outer->addWidget(m_ui.Frame1);
  QGridLayout* folderGrid = buildFolderFrame();
  outer->addWidget(m_ui.Frame2);
  alignCaptions(directoryGrid, folderGrid);
  outer->addLayout(buildBottom(), 1);

  m_ui.Timer1 = named(new QTimer(this), "Timer1");
  m_ui.Timer1->setSingleShot(true);
  m_ui.Timer1->setInterval(5000);
}

QHBoxLayout* MainWindow::buildTopRow() {
  MainWindowControls& c = m_ui;
  // Domain and user list.
  auto* top = new QHBoxLayout;
  c.Domain = label(this, "Domain", QStringLiteral("Domain:"));
  c.txt_Domain = named(new QLineEdit(this), "txt_Domain");
  c.txt_Domain->setMinimumWidth(150);
  c.Label1 = label(this, "Label1", QStringLiteral("CSV File:"));
  c.txt_CSVFile = textBox(this, "txt_CSVFile");
  c.cmd_Browse4CSV = browseButton(this, "cmd_Browse4CSV");
  top->addWidget(c.Domain);
  top->addWidget(c.txt_Domain, 2);
  top->addSpacing(12);
  top->addWidget(c.Label1);
  top->addWidget(c.txt_CSVFile, 3);
  top->addWidget(c.cmd_Browse4CSV);
  return top;
}

QGridLayout* MainWindow::buildDirectoryFrame() {
  MainWindowControls& c = m_ui;
  // Frame1: the directory options. Column 0 holds the captions, column 1
  // the boxes and column 2 their browse buttons.
  c.Frame1 = named(new QGroupBox(QStringLiteral(" Active Directory Options "), this), "Frame1");
  QWidget* f1 = c.Frame1;
  auto* g1 = new QGridLayout(f1);
  c.chk_CreateFullTree = checkBox(f1, "chk_CreateFullTree", QStringLiteral("Create Full Tree"));
  c.chk_CreateOUs = checkBox(f1, "chk_CreateOUs",
                             QStringLiteral("Create Department OU's at the following location "));
  c.txt_DepartmentOU = textBox(f1, "txt_DepartmentOU", true);
  c.cmd_UsersOUBrowse = browseButton(f1, "cmd_UsersOUBrowse");
  c.chk_CreateDep = checkBox(f1, "chk_CreateDep", QStringLiteral("Create Departments Groups"));
  c.chk_CreateDuty = checkBox(f1, "chk_CreateDuty", QStringLiteral("Create duty Groups"));
  c.Label5 = label(f1, "Label5", QStringLiteral("}"));
  QFont brace = c.Label5->font();
  brace.setPixelSize(2 * c.chk_CreateDep->sizeHint().height());
  brace.setWeight(QFont::Light);
  c.Label5->setFont(brace);
  c.Label3 = label(f1, "Label3", QStringLiteral("....................Groups' OU:"));
  c.txt_GroupsOU = textBox(f1, "txt_GroupsOU", true);
  c.cmd_GroupsOUBrowse = browseButton(f1, "cmd_GroupsOUBrowse");
  c.chk_CreateUsers = checkBox(f1, "chk_CreateUsers", QStringLiteral("Create users"));
  c.cmd_userNamePat =
      named(new QPushButton(QStringLiteral("UserName pattern..."), f1), "cmd_userNamePat");
  c.chk_UsersOnSpecificOU =
      checkBox(f1, "chk_UsersOnSpecificOU", withLeader("Flat on the following OU", 45));
  c.txt_UsersOU = textBox(f1, "txt_UsersOU", true);
  c.cmd_Browse4UsersOU = browseButton(f1, "cmd_Browse4UsersOU");
  c.Label2 = label(f1, "Label2", withLeader("Initial passowrd", 65));
  c.Label4 = label(f1, "Label4", withLeader("Confirm Password", 61));
  for (int i = 0; i < 2; ++i) {
    QLineEdit* box = textBox(f1, i == 0 ? "txt_Password_0" : "txt_Password_1");
    box->setEchoMode(QLineEdit::Password);
    c.txt_Password[static_cast<size_t>(i)] = box;
  }
  c.chk_EmailDomain = checkBox(f1, "chk_EmailDomain", QStringLiteral("Email domain:"));
  c.txt_EmailDomain = textBox(f1, "txt_EmailDomain");

  auto* groupsBlock = new QGridLayout;
  groupsBlock->setContentsMargins(0, 0, 0, 0);
  groupsBlock->setVerticalSpacing(g1->verticalSpacing());
  groupsBlock->addWidget(c.chk_CreateDep, 0, 0);
  groupsBlock->addWidget(c.chk_CreateDuty, 1, 0);
  groupsBlock->addWidget(c.Label5, 0, 1, 2, 1, Qt::AlignVCenter);
  groupsBlock->addWidget(c.Label3, 0, 2, 2, 1, Qt::AlignVCenter | Qt::AlignRight);
  groupsBlock->setColumnStretch(2, 1);

  g1->addWidget(c.chk_CreateFullTree, 0, 0);
  g1->addWidget(c.chk_CreateOUs, 1, 0);
  g1->addWidget(c.txt_DepartmentOU, 1, 1);
  g1->addWidget(c.cmd_UsersOUBrowse, 1, 2);
  g1->addLayout(groupsBlock, 2, 0, 2, 1);
  g1->addWidget(c.txt_GroupsOU, 2, 1, 2, 1, Qt::AlignVCenter);
  g1->addWidget(c.cmd_GroupsOUBrowse, 2, 2, 2, 1, Qt::AlignVCenter);
  g1->addWidget(c.chk_CreateUsers, 4, 0);
  g1->addWidget(c.cmd_userNamePat, 4, 1, Qt::AlignLeft);
  g1->addWidget(c.chk_UsersOnSpecificOU, 5, 0);
  g1->addWidget(c.txt_UsersOU, 5, 1);
  g1->addWidget(c.cmd_Browse4UsersOU, 5, 2);
  g1->addWidget(c.Label2, 6, 0);
  g1->addWidget(c.txt_Password[0], 6, 1);
  g1->addWidget(c.Label4, 7, 0);
  g1->addWidget(c.txt_Password[1], 7, 1);
  g1->addWidget(c.chk_EmailDomain, 8, 0);
  g1->addWidget(c.txt_EmailDomain, 8, 1);
  g1->setColumnStretch(1, 1);

  return g1;
}

QGridLayout* MainWindow::buildFolderFrame() {
  MainWindowControls& c = m_ui;
  // Frame2: the folder options.
  c.Frame2 = named(new QGroupBox(QStringLiteral(" Directories Tree "), this), "Frame2");
  QWidget* f2 = c.Frame2;
  auto* g2 = new QGridLayout(f2);
  c.Label7 = label(f2, "Label7", withLeader("Private/Public directories root path", 49));
  c.txt_DirRoot = textBox(f2, "txt_DirRoot");
  c.cmd_Browse4FullFS = browseButton(f2, "cmd_Browse4FullFS");
  c.chk_PubDirSingle = checkBox(f2, "chk_PubDirSingle",
                                QStringLiteral("Single Public directory shared among all users "));
  c.chk_PubDirDep = checkBox(f2, "chk_PubDirDep",
                             QStringLiteral("A seperate public directory for each department"));
  c.chk_PrivDir =
      checkBox(f2, "chk_PrivDir", QStringLiteral("Create private directories container:"));
  c.opt_PrivateDirsLocation[0] =
      named(new QRadioButton(QStringLiteral("Cental location for all private folders"), f2),
            "opt_PrivateDirsLocation_0");
  c.opt_PrivateDirsLocation[1] =
      named(new QRadioButton(
                QStringLiteral("Different private directory container for each department"), f2),
            "opt_PrivateDirsLocation_1");
  c.chk_HiddenShares =
      checkBox(f2, "chk_HiddenShares", QStringLiteral("Create hidden share (share$)"));
  g2->addWidget(c.Label7, 0, 0);
  g2->addWidget(c.txt_DirRoot, 0, 1);
  g2->addWidget(c.cmd_Browse4FullFS, 0, 2);
  g2->addWidget(c.chk_PubDirSingle, 1, 0, 1, 3);
  g2->addWidget(c.chk_PubDirDep, 2, 0, 1, 3);
  g2->addWidget(c.chk_PrivDir, 3, 0, 1, 3);
  for (int i = 0; i < 2; ++i) {
    auto* indented = new QHBoxLayout;
    indented->addSpacing(24);
    indented->addWidget(c.opt_PrivateDirsLocation[static_cast<size_t>(i)], 1);
    g2->addLayout(indented, 4 + i, 0, 1, 3);
  }
  g2->addWidget(c.chk_HiddenShares, 6, 0, 1, 3);
  g2->setColumnStretch(1, 1);

  return g2;
}

void MainWindow::alignCaptions(QGridLayout* g1, QGridLayout* g2) {
  MainWindowControls& c = m_ui;
  // The leaders share one caption column in both frames, as wide as the
  // widest caption that must not be cut.
  for (QWidget* w :
       {static_cast<QWidget*>(c.chk_UsersOnSpecificOU), static_cast<QWidget*>(c.Label2),
        static_cast<QWidget*>(c.Label4), static_cast<QWidget*>(c.Label7)}) {
    makeLeader(w);
  }
  const int captionWidth =
      std::max({c.chk_CreateOUs->sizeHint().width(), g1->itemAtPosition(2, 0)->sizeHint().width(),
                c.chk_CreateFullTree->sizeHint().width()});
  g1->setColumnMinimumWidth(0, captionWidth);
  g2->setColumnMinimumWidth(0, captionWidth);

  keepPlaceWhenHidden({c.txt_DepartmentOU, c.cmd_UsersOUBrowse, c.Label3, c.Label5, c.txt_GroupsOU,
                       c.cmd_GroupsOUBrowse, c.cmd_userNamePat, c.chk_UsersOnSpecificOU,
                       c.txt_UsersOU, c.cmd_Browse4UsersOU, c.Label2, c.Label4, c.txt_Password[0],
                       c.txt_Password[1], c.chk_EmailDomain, c.txt_EmailDomain, c.txt_DirRoot,
                       c.cmd_Browse4FullFS, c.chk_HiddenShares});
}

QHBoxLayout* MainWindow::buildBottom() {
  MainWindowControls& c = m_ui;
  // Bottom: help box and status line on the left, logo and commands on the
  // right.
  auto* bottom = new QHBoxLayout;
  auto* left = new QVBoxLayout;
  c.txt_help = named(new QPlainTextEdit(this), "txt_help");
  c.txt_help->setReadOnly(true);
  c.txt_help->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  c.txt_help->setFocusPolicy(Qt::StrongFocus);
  c.txt_help->setMinimumHeight(150);
  c.lbl_Stat = label(this, "lbl_Stat", QString());
  c.lbl_Stat->setFrameShape(QFrame::Panel);
  c.lbl_Stat->setFrameShadow(QFrame::Sunken);
  c.lbl_Stat->setMinimumWidth(1);
  c.lbl_Stat->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
  c.prg_ListRead = named(new QProgressBar(this), "prg_ListRead");
  c.prg_ListRead->setRange(0, 1000);
  c.prg_ListRead->setValue(0);
  c.prg_ListRead->setMaximumHeight(c.lbl_Stat->sizeHint().height());
  left->addWidget(c.txt_help, 1);
  left->addWidget(c.lbl_Stat);
  left->addWidget(c.prg_ListRead);

  auto* right = new QVBoxLayout;
  c.Picture1 = label(this, "Picture1", QString());
  c.Picture1->setPixmap(drawLogo(64));
  c.Picture1->setAlignment(Qt::AlignCenter);
  c.Picture1->setMouseTracking(true);
  c.cmd_PreviewOU = named(new QPushButton(QStringLiteral("OU's Preview"), this), "cmd_PreviewOU");
  c.cmd_PreviewGrp =
      named(new QPushButton(QStringLiteral("Groups Preview"), this), "cmd_PreviewGrp");
  c.cmd_PreviewFS =
      named(new QPushButton(QStringLiteral("Folders Preview"), this), "cmd_PreviewFS");
  c.Command2 = named(new QPushButton(QStringLiteral("Open log"), this), "Command2");
  c.cmd_GO = named(new QPushButton(QStringLiteral("Go !"), this), "cmd_GO");
  QFont heavy = c.cmd_GO->font();
  heavy.setWeight(QFont::Black);
  heavy.setPointSizeF(heavy.pointSizeF() * 1.25);
  c.cmd_GO->setFont(heavy);
  c.cmd_GO->setMinimumHeight(40);
  right->addWidget(c.Picture1);
  right->addWidget(c.cmd_PreviewOU);
  right->addWidget(c.cmd_PreviewGrp);
  right->addWidget(c.cmd_PreviewFS);
  right->addStretch(1);
  right->addWidget(c.Command2);
  right->addWidget(c.cmd_GO);
  bottom->addLayout(left, 1);
  bottom->addLayout(right);
  return bottom;
}

}  // namespace quill
