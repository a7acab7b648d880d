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
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "gui/connect_as_dialog.h"
#include "gui/help_texts.h"
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

}  // namespace

// The options: as tall as they need where the screen allows, scrolling where
// it does not, never wider than the window.
class OptionsArea : public QScrollArea {
 public:
  explicit OptionsArea(QWidget* parent) : QScrollArea(parent) {
    setObjectName(QStringLiteral("scr_Options"));
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  }
  QSize sizeHint() const override {
    return widget()->sizeHint() + QSize(verticalScrollBar()->sizeHint().width(), 0);
  }
  // A row shown or hidden in the frames changes what the options want.
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == widget() && event->type() == QEvent::LayoutRequest) updateGeometry();
    return QScrollArea::eventFilter(watched, event);
  }
  QSize minimumSizeHint() const override {
    const QSize content = widget()->minimumSizeHint();
    return {content.width() + verticalScrollBar()->sizeHint().width(),
            std::min(content.height(), 4 * fontMetrics().height())};
  }
};

// The help box: a few lines at least, and where the screen allows as tall as
// the longest help text needs (setWanted).
class HelpBox : public QPlainTextEdit {
 public:
  explicit HelpBox(QWidget* parent) : QPlainTextEdit(parent) {}
  // The layouts above learn the new height at once (sizeHint is asked
  // right after).
  void setWanted(int height) {
    m_wanted = height;
    updateGeometry();
    window()->layout()->activate();
  }
  QSize minimumSizeHint() const override {
    return {QPlainTextEdit::minimumSizeHint().width(), linesHigh(3)};
  }
  QSize sizeHint() const override {
    return {QPlainTextEdit::sizeHint().width(), std::max(m_wanted, linesHigh(3))};
  }
  int linesHigh(int lines) const {
    return lines * fontMetrics().lineSpacing() +
           2 * (frameWidth() + int(document()->documentMargin())) + 2;
  }

 private:
  int m_wanted = 0;
};

void MainWindow::buildControls() {
  auto* outer = new QVBoxLayout(this);
  outer->addLayout(buildTopRow());
  // The frames scroll when the screen is too small for them, so the
  // commands, the status line and the bar below stay in sight.
  m_options = new OptionsArea(this);
  auto* frames = new QWidget(m_options);
  auto* column = new QVBoxLayout(frames);
  column->setContentsMargins(0, 0, 0, 0);
  QGridLayout* directoryGrid = buildDirectoryFrame(frames);
  column->addWidget(m_ui.Frame1);
  QGridLayout* folderGrid = buildFolderFrame(frames);
  column->addWidget(m_ui.Frame2);
  column->addStretch(1);
  alignCaptions(directoryGrid, folderGrid);
  m_options->setWidget(frames);
  outer->addWidget(m_options);
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

QGridLayout* MainWindow::buildDirectoryFrame(QWidget* parent) {
  MainWindowControls& c = m_ui;
  // Frame1: the directory options. Column 0 holds the captions, column 1
  // the boxes and column 2 their browse buttons.
  c.Frame1 = named(new QGroupBox(QStringLiteral(" Active Directory Options "), parent), "Frame1");
  QWidget* f1 = c.Frame1;
  auto* g1 = new QGridLayout(f1);
  g1->setVerticalSpacing(3);
  c.chk_CreateFullTree = checkBox(f1, "chk_CreateFullTree", QStringLiteral("Create Full &Tree"));
  c.chk_CreateOUs = checkBox(f1, "chk_CreateOUs",
                             QStringLiteral("Create Department &OU's at the following location "));
  c.txt_DepartmentOU = textBox(f1, "txt_DepartmentOU", true);
  c.cmd_UsersOUBrowse = browseButton(f1, "cmd_UsersOUBrowse");
  c.chk_CreateDep = checkBox(f1, "chk_CreateDep", QStringLiteral("Create Depart&ments Groups"));
  c.chk_CreateDuty = checkBox(f1, "chk_CreateDuty", QStringLiteral("Create &duty Groups"));
  c.Label5 = label(f1, "Label5", QStringLiteral("}"));
  QFont brace = c.Label5->font();
  brace.setPixelSize(2 * c.chk_CreateDep->sizeHint().height());
  brace.setWeight(QFont::Light);
  c.Label5->setFont(brace);
  c.Label3 = label(f1, "Label3", QStringLiteral("....................Groups' OU:"));
  c.txt_GroupsOU = textBox(f1, "txt_GroupsOU", true);
  c.cmd_GroupsOUBrowse = browseButton(f1, "cmd_GroupsOUBrowse");
  c.chk_CreateUsers = checkBox(f1, "chk_CreateUsers", QStringLiteral("Create &users"));
  c.cmd_userNamePat =
      named(new QPushButton(QStringLiteral("UserName &pattern..."), f1), "cmd_userNamePat");
  c.chk_UsersOnSpecificOU =
      checkBox(f1, "chk_UsersOnSpecificOU", withLeader("Fl&at on the following OU", 45));
  c.txt_UsersOU = textBox(f1, "txt_UsersOU", true);
  c.cmd_Browse4UsersOU = browseButton(f1, "cmd_Browse4UsersOU");
  c.Label2 = label(f1, "Label2", withLeader("Initial passowrd", 65));
  c.Label4 = label(f1, "Label4", withLeader("Confirm Password", 61));
  for (int i = 0; i < 2; ++i) {
    QLineEdit* box = textBox(f1, i == 0 ? "txt_Password_0" : "txt_Password_1");
    maskWithStars(box);
    c.txt_Password[static_cast<size_t>(i)] = box;
  }
  c.chk_EmailDomain = checkBox(f1, "chk_EmailDomain", QStringLiteral("&Email domain:"));
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

QGridLayout* MainWindow::buildFolderFrame(QWidget* parent) {
  MainWindowControls& c = m_ui;
  // Frame2: the folder options.
  c.Frame2 = named(new QGroupBox(QStringLiteral(" Directories Tree "), parent), "Frame2");
  QWidget* f2 = c.Frame2;
  auto* g2 = new QGridLayout(f2);
  g2->setVerticalSpacing(3);
  c.Label7 = label(f2, "Label7", withLeader("Private/Public directories root path", 49));
  c.txt_DirRoot = textBox(f2, "txt_DirRoot");
  c.cmd_Browse4FullFS = browseButton(f2, "cmd_Browse4FullFS");
  c.chk_PubDirSingle = checkBox(f2, "chk_PubDirSingle",
                                QStringLiteral("&Single Public directory shared among all users "));
  c.chk_PubDirDep = checkBox(f2, "chk_PubDirDep",
                             QStringLiteral("A seperate pu&blic directory for each department"));
  c.chk_PrivDir =
      checkBox(f2, "chk_PrivDir", QStringLiteral("Create private directories &container:"));
  c.opt_PrivateDirsLocation[0] =
      named(new QRadioButton(QStringLiteral("Cental location for all private &folders"), f2),
            "opt_PrivateDirsLocation_0");
  c.opt_PrivateDirsLocation[1] =
      named(new QRadioButton(
                QStringLiteral("Different pri&vate directory container for each department"), f2),
            "opt_PrivateDirsLocation_1");
  c.chk_HiddenShares =
      checkBox(f2, "chk_HiddenShares", QStringLiteral("Create &hidden share (share$)"));
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
  // A row whose controls the rules hide gives its height back; the columns
  // keep their widths, so nothing moves sideways.
  for (QGridLayout* grid : {g1, g2}) {
    grid->setColumnMinimumWidth(1, c.txt_DirRoot->minimumWidth());
    grid->setColumnMinimumWidth(2, c.cmd_Browse4FullFS->width());
  }
}

QHBoxLayout* MainWindow::buildBottom() {
  MainWindowControls& c = m_ui;
  // Bottom: help box and status line on the left, logo and commands on the
  // right.
  auto* bottom = new QHBoxLayout;
  auto* left = new QVBoxLayout;
  auto* help = new HelpBox(this);
  m_helpBox = help;
  c.txt_help = named(static_cast<QPlainTextEdit*>(help), "txt_help");
  c.txt_help->setReadOnly(true);
  c.txt_help->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  c.txt_help->setFocusPolicy(Qt::StrongFocus);
  c.txt_help->setLineWrapMode(QPlainTextEdit::WidgetWidth);
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

  // The logo beside the preview buttons; below it, beside "Open log" and
  // "Go !", the runs and the dry run.
  auto* right = new QGridLayout;
  right->setVerticalSpacing(4);
  c.Picture1 = named(static_cast<QLabel*>(new LogoLabel(64, this)), "Picture1");
  c.Picture1->setMouseTracking(true);
  const auto button = [this](const char* name, const char* caption) {
    auto* b = named(new QPushButton(QString::fromUtf8(caption), this), name);
    b->setAutoDefault(true);  // Enter on a focused command presses it
    return b;
  };
  c.cmd_PreviewOU = button("cmd_PreviewOU", "OU's Previe&w");
  c.cmd_PreviewGrp = button("cmd_PreviewGrp", "Groups Prev&iew");
  c.cmd_PreviewFS = button("cmd_PreviewFS", "Fo&lders Preview");
  c.Command2 = button("Command2", "Ope&n log");
  c.cmd_GO = button("cmd_GO", "&Go !");
  c.cmd_Runs = button("cmd_Runs", "&Runs…");
  c.cmd_DryRun = button("cmd_DryRun", "Dr&y run");
  QFont heavy = c.cmd_GO->font();
  heavy.setWeight(QFont::Black);
  heavy.setPointSizeF(heavy.pointSizeF() * 1.25);
  c.cmd_GO->setFont(heavy);
  c.cmd_GO->setMinimumHeight(40);
  c.cmd_DryRun->setMinimumHeight(40);
  right->addWidget(c.Picture1, 0, 0, 3, 1, Qt::AlignCenter);
  right->addWidget(c.cmd_PreviewOU, 0, 1);
  right->addWidget(c.cmd_PreviewGrp, 1, 1);
  right->addWidget(c.cmd_PreviewFS, 2, 1);
  right->setRowStretch(3, 1);
  right->addWidget(c.cmd_Runs, 4, 0);
  right->addWidget(c.Command2, 4, 1);
  right->addWidget(c.cmd_DryRun, 5, 0);
  right->addWidget(c.cmd_GO, 5, 1);
  bottom->addLayout(left, 1);
  bottom->addLayout(right);
  return bottom;
}

void MainWindow::shareHeight(int height) {
  if (!m_helpBox || m_helpFull == 0) return;
  m_helpBox->setWanted(0);
  const int spare = height - sizeHint().height();
  m_helpBox->setWanted(std::min(m_helpBox->linesHigh(3) + std::max(spare, 0), m_helpFull));
}

void MainWindow::fitToScreen(const QRect& available) {
  // The help box is as tall as the longest help text needs at the window's
  // width, so none is cut at the default size.
  QSize frame = frameGeometry().size() - geometry().size();
  if (frame.isEmpty())
    frame = QSize(8, 2 * fontMetrics().height() + 8);  // not known before it shows
  const QSize room = available.size() - frame;
  m_helpFull = 0;
  resize(std::min(sizeHint().width(), room.width()), height());
  layout()->activate();
  // The box's own width: its viewport learns its size only once it shows.
  const int textWidth = m_ui.txt_help->width() - 2 * m_ui.txt_help->frameWidth() -
                        2 * int(m_ui.txt_help->document()->documentMargin()) - 4;
  QStringList texts = {disclaimerText()};
  for (int topic = int(HelpTopic::FullTree); topic < int(HelpTopic::Clear); ++topic) {
    texts << helpText(HelpTopic(topic));
  }
  int lines = 0;
  for (QString text : texts) {
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    const QRect needed = m_ui.txt_help->fontMetrics().boundingRect(QRect(0, 0, textWidth, 1 << 20),
                                                                   Qt::TextWordWrap, text);
    lines = std::max(lines, needed.height() / m_ui.txt_help->fontMetrics().lineSpacing() + 1);
  }
  m_helpFull = m_helpBox->linesHigh(lines);
  m_helpBox->setWanted(m_helpFull);
  // Then the window takes what it wants of the screen, less its frame; below
  // that the help box shrinks first, then the options scroll.
  resize(sizeHint().boundedTo(room).expandedTo(minimumSizeHint().boundedTo(room)));
  if (!available.contains(frameGeometry())) move(available.topLeft());
}

}  // namespace quill
