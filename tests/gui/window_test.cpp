// The main window: start-up texts and the about box, context help, the option
// rules, whole runs started with GO on a sandbox, and window mode's start.
#include <QSvgRenderer>
#include <QTest>
#include "app/command_line.h"
#include "core/backends.h"
#include "gui/about_box.h"
#include "gui/context_help.h"
#include "gui/help_texts.h"
#include "gui/ou_browser_icons.h"
#include "gui/preview_window.h"
#include "gui/window_mode.h"
#include "sandbox/memory_directory.h"

#include "support/gui_support.h"

namespace quill::test {
namespace {

class MainWindowTest : public WindowTest {
 protected:
  QString status() {  // the status line and its colour
    return text("lbl_Stat") + u' ' +
           child("lbl_Stat")->palette().color(QPalette::WindowText).name();
  }
  // Of the space-separated controls, those shown, each with "!" when disabled.
  QString shownOf(const char* names) {
    QStringList out;
    for (const QString& name : QString::fromLatin1(names).split(u' ')) {
      QWidget* w = child(name.toLatin1().constData());
      if (!w->isHidden()) out << name + (w->isEnabled() ? u""_s : u"!"_s);
    }
    return out.join(u' ');
  }
};

TEST_F(MainWindowTest, CreditAndDisclaimerUntilTheTimerAndThePointerOnTheLogoBringsThemBack) {
  auto* timer = child<QTimer>("Timer1");
  EXPECT_EQ(status() + text("txt_help"), authorCredit() + u" #0000ff"_s + shown(disclaimerText()));
  EXPECT_TRUE(timer->isSingleShot() && timer->interval() == 5000);
  m_window->Timer1_Timer();  // the ready prompt; the help box is emptied whatever it shows
  EXPECT_EQ(status() + text("txt_help"), readyPrompt() + u" #000000"_s);
  EXPECT_FALSE(timer->isActive());
  sendEnter(child("Picture1"));  // the credit again, for five more seconds
  EXPECT_EQ(status(), authorCredit() + u" #0000ff"_s);
  EXPECT_GT(timer->remainingTime(), 4000);
  timer->start(1);
  QEventLoop wait;
  QTimer::singleShot(100, &wait, &QEventLoop::quit);
  wait.exec();
  EXPECT_EQ(status(), readyPrompt() + u" #000000"_s);
  sendMouse(child("Picture1"), QEvent::MouseButtonDblClick);
  EXPECT_EQ(m_prompter.messageTexts(), disclaimerText().toStdString() + '|');
  EXPECT_EQ(m_prompter.messages.at(0).icon, MsgIcon::None);
}

TEST_F(MainWindowTest, PointerOverAControlExplainsIt) {
  // The controls each topic explains, topic by topic in their order.
  const QStringList explained =
      QStringLiteral(
          "chk_CreateFullTree/chk_CreateOUs/chk_CreateDep/chk_CreateDuty/chk_CreateUsers/"
          "chk_UsersOnSpecificOU txt_UsersOU/chk_EmailDomain txt_EmailDomain/chk_PrivDir/"
          "opt_PrivateDirsLocation_0 opt_PrivateDirsLocation_1/chk_PubDirSingle//cmd_Browse4CSV "
          "cmd_Browse4FullFS/cmd_GroupsOUBrowse cmd_UsersOUBrowse "
          "cmd_Browse4UsersOU/cmd_userNamePat/"
          "txt_CSVFile/txt_DepartmentOU/txt_GroupsOU/txt_DirRoot/txt_Domain/txt_Password_0 "
          "txt_Password_1")
          .split(u'/');
  for (int topic = 1; topic <= explained.size(); ++topic) {
    for (const QString& name : explained[topic - 1].split(u' ', Qt::SkipEmptyParts)) {
      QWidget* control = child(name.toLatin1().constData());
      for (QEvent::Type type : {QEvent::Enter, QEvent::MouseMove}) {  // entering, moving on
        m_window->setHelp(u"before"_s);
        type == QEvent::Enter ? sendEnter(control) : sendMouse(control, type);
        EXPECT_EQ(text("txt_help"), shown(helpText(HelpTopic(topic)))) << name.toStdString();
      }
    }
  }
  // The public folder per department explains itself only on a button release.
  sendMouse(child("chk_PubDirDep"), QEvent::MouseMove);
  EXPECT_EQ(text("txt_help"), shown(helpText(HelpTopic::Password)));
  sendMouse(child("chk_PubDirDep"), QEvent::MouseButtonRelease);
  EXPECT_EQ(text("txt_help"), shown(helpText(HelpTopic::DepartmentPublic)));
}

TEST_F(MainWindowTest, FreeAreaOfEitherFrameClearsTheHelpAndOnlyTheDirectoryFrameTakesDrops) {
  m_window->show();  // lays the controls out
  QMimeData data;
  for (const char* frame : {"Frame1", "Frame2"}) {
    QWidget* f = child(frame);
    const QPoint freeArea(f->width() - 3, f->height() - 3);
    const QPoint control = f->findChild<QAbstractButton*>()->pos() + QPoint(3, 3);
    ASSERT_EQ(f->childAt(freeArea), nullptr) << frame;
    // What is left of "x" after the pointer enters and moves on the free area, and after a
    // move that a control passes on to its frame.
    QString left;
    for (QEvent::Type type : {QEvent::Enter, QEvent::MouseMove, QEvent::None}) {
      m_window->setHelp(u"x"_s);
      type == QEvent::Enter ? sendEnter(f, freeArea)
                            : sendMouse(f, QEvent::MouseMove, type ? freeArea : control);
      left += text("txt_help") + u'.';
    }
    EXPECT_EQ(left, u"..x."_s) << frame;
    // A drop reaches a widget only during a real drag: hand it to the filters.
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    static_cast<QObject*>(m_window->findChild<ContextHelp*>())->eventFilter(f, &drop);
    EXPECT_EQ(text("txt_help").isEmpty(), QByteArray(frame) == "Frame1" && f->acceptDrops());
  }
}

TEST_F(MainWindowTest, ClickedBoxesSelectAllAndTheDomainCarriesOnOnlyToAnotherControl) {
  ASSERT_TRUE(activate(m_window.get()));
  // A click into a box selects what it holds, so typing replaces it; passwords show stars.
  for (const char* name : {"txt_DirRoot", "txt_CSVFile", "txt_Password_0", "txt_EmailDomain",
                           "txt_Password_1", "txt_Domain"}) {
    QTest::mouseClick(child(name), Qt::LeftButton, {}, {5, 5});
    QTest::keyClicks(QApplication::focusWidget(), u"\\\\files\\data"_s);
    EXPECT_EQ(text(name), u"\\\\files\\data"_s) << name;
  }
  EXPECT_EQ(child<QLineEdit>("txt_Password_1")->displayText(), u"************"_s);
  // Neither a menu over the domain box nor another program's window carries the domain on;
  // the focus moving to the next control does.
  child<QLineEdit>("txt_Domain")->setText(u"corp.test"_s);
  QFocusEvent menu(QEvent::FocusOut, Qt::PopupFocusReason);
  QCoreApplication::sendEvent(child("txt_Domain"), &menu);
  QApplication::setActiveWindow(nullptr);
  EXPECT_EQ(text("txt_EmailDomain"), u"\\\\files\\data"_s);
  ASSERT_TRUE(activate(m_window.get()));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  EXPECT_EQ(text("txt_EmailDomain"), u"corp.test"_s);
  // The OU boxes show where a path begins, and the whole path on the pointer.
  const QString path = u"LDAP://example.test/OU=Team\\, A+B,OU=Users,OU=OU's,DC=example,DC=test"_s;
  m_window->setOuPath(OuBox::GroupsOU, path);
  EXPECT_EQ(child<QLineEdit>("txt_GroupsOU")->cursorPosition(), 0);
  EXPECT_EQ(child("txt_GroupsOU")->toolTip(), path);
}

// A prompter that keeps the folder the list's chooser starts in.
struct FolderPrompter : ScriptedPrompter {
  QString folder;
  QString browseForFile(QWidget* parent, const QString& title, const QString& start) override {
    folder = start;
    return browseForFolder(parent, title);
  }
};

TEST_F(MainWindowTest, BrowseButtonsFillTheirBoxesTheListsChooserStartingBesideTheList) {
  FolderPrompter prompter;
  MainWindow window(m_state.platform, m_state, prompter);
  window.findChild<QLineEdit*>(u"txt_CSVFile"_s)->setText(m_temp.filePath(u"lists/people.csv"_s));
  prompter.texts = {u"/home/admin/list.csv"_s};  // then a cancel
  for (const char* button : {"cmd_Browse4CSV", "cmd_Browse4FullFS"})
    window.findChild<QPushButton*>(QLatin1String(button))->click();
  EXPECT_EQ(prompter.folder, m_temp.filePath(u"lists"_s));
  EXPECT_EQ(window.options().txt_CSVFile + u'|' + window.options().txt_DirRoot,
            u"/home/admin/list.csv|"_s);
  EXPECT_EQ(prompter.shownTitles, QStringList(2, u"Choose a file"_s));
}

TEST_F(MainWindowTest, FitsLaptopAndScaledScreensKeepingTheCommandsInSight) {
  m_window->show();
  auto* help = child<QPlainTextEdit>("txt_help");
  const auto settle = [] { QCoreApplication::processEvents(); };
  // Where the screen allows, every help text shows whole at the default size.
  m_window->fitToScreen({0, 0, 2560, 1600});
  settle();
  for (int topic = 1; topic <= int(HelpTopic::Clear); ++topic) {
    m_window->setHelp(topic == int(HelpTopic::Clear) ? disclaimerText()
                                                     : helpText(HelpTopic(topic)));
    settle();
    EXPECT_EQ(help->verticalScrollBar()->maximum(), 0) << topic;
  }
  // Rows the rules hide give their height back.
  const int fullTree = child("Frame1")->sizeHint().height();
  click("chk_CreateFullTree");
  EXPECT_GT(child("Frame1")->sizeHint().height(), fullTree);
  click("chk_CreateFullTree");
  // Laptop, 150 % and smaller screens, less a panel: the help box gives way, then the options
  // scroll; the commands, the status line and the bar stay inside the window and the screen.
  const auto options = child<QScrollArea>("scr_Options")->verticalScrollBar();
  for (const auto& [width, height, scale, scrolls] :
       {std::tuple{1366, 768, 1.0, false}, {1920, 1080, 1.5, false}, {1024, 600, 1.0, true}}) {
    const QRect screen(0, 0, int(width / scale), int(height / scale) - 32);
    m_window->fitToScreen(screen);
    settle();
    EXPECT_TRUE(screen.contains(m_window->frameGeometry())) << width;
    for (const char* name : {"cmd_GO", "cmd_DryRun", "lbl_Stat", "prg_ListRead"}) {
      const QRect at(child(name)->mapTo(m_window.get(), QPoint()), child(name)->size());
      EXPECT_TRUE(m_window->rect().contains(at)) << name << " " << width;
    }
    EXPECT_EQ(options->maximum() > 0, scrolls) << width;
    EXPECT_GE(help->height(), 3 * help->fontMetrics().lineSpacing()) << width;
  }
}

TEST_F(MainWindowTest, KeyboardReachesEveryCommand) {
  ASSERT_TRUE(activate(m_window.get()));
  // Each button and check box that has letters has a letter of its own.
  QSet<QString> keys;
  qsizetype buttons = 0;
  for (const QAbstractButton* b : m_window->findChildren<QAbstractButton*>()) {
    if (b->text() == u"..."_s) continue;
    ++buttons;
    keys << b->shortcut().toString();
    EXPECT_FALSE(b->shortcut().isEmpty()) << b->objectName().toStdString();
  }
  EXPECT_EQ(keys.size(), buttons);
  QTest::mouseClick(child("txt_Domain"), Qt::LeftButton, {}, {5, 5});
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_T, Qt::AltModifier);
  QTest::qWait(300);  // a mnemonic clicks as the eye can follow
  EXPECT_FALSE(checked("chk_CreateFullTree"));
  // Space on a preview button shows the picture while it is held.
  child("cmd_PreviewOU")->setFocus();
  QTest::keyPress(QApplication::focusWidget(), Qt::Key_Space);
  ASSERT_TRUE(m_window->previewWindow() && m_window->previewWindow()->isVisible());
  QKeyEvent up(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier, u" "_s);
  QCoreApplication::sendEvent(child("cmd_PreviewOU"), &up);
  EXPECT_FALSE(m_window->previewWindow()->isVisible());
  // Enter in a box presses "Go !".
  int goes = 0;
  QObject::connect(child<QPushButton>("cmd_GO"), &QPushButton::clicked, [&goes] { ++goes; });
  child("txt_Domain")->setFocus();
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  EXPECT_EQ(goes, 1);
}

TEST_F(MainWindowTest, OptionRulesShowHideLockAndCheckTheOptionsThatDependOnTheClickedOne) {
  const char* const directory =
      "chk_CreateFullTree chk_CreateDep chk_CreateDuty chk_CreateOUs chk_CreateUsers "
      "chk_UsersOnSpecificOU txt_DepartmentOU txt_GroupsOU txt_UsersOU txt_Password_0";
  const QString fullTree =
      u"chk_CreateFullTree chk_CreateDep! chk_CreateDuty! chk_CreateOUs! "_s
      u"chk_CreateUsers! txt_Password_0"_s;
  EXPECT_EQ(shownOf(directory), fullTree);
  EXPECT_TRUE(checked("chk_CreateDep") && checked("chk_CreateDuty") && checked("chk_CreateOUs"));
  EXPECT_GE(child("cmd_GO")->font().weight(), QFont::Bold);
  // Every OU row shows, even the users OU whose box is unchecked, until that box is clicked twice.
  click("chk_CreateFullTree");
  EXPECT_EQ(shownOf(directory), QString::fromLatin1(directory));
  for (const char* name : {"chk_UsersOnSpecificOU", "chk_UsersOnSpecificOU"}) click(name);
  EXPECT_FALSE(visible("txt_UsersOU") || visible("cmd_Browse4UsersOU"));
  // Accounts need department OUs or the single users OU: a message, then the other one (whose
  // rule runs quietly).
  click("chk_CreateOUs");
  EXPECT_TRUE(checked("chk_UsersOnSpecificOU") && visible("txt_UsersOU"));
  EXPECT_FALSE(visible("txt_DepartmentOU") || visible("cmd_UsersOUBrowse"));
  click("chk_UsersOnSpecificOU");
  EXPECT_TRUE(checked("chk_CreateOUs") && visible("txt_DepartmentOU") && !visible("txt_UsersOU"));
  EXPECT_EQ(m_prompter.messageTexts(),
            "If you uncheck this checkbox, A specific OU must be specified.|You must specify a "
            "specific OU if not creating departmental OU's.|");
  EXPECT_EQ(m_prompter.messages.at(0).icon, MsgIcon::None);
  EXPECT_EQ(m_prompter.messages.at(1).icon, MsgIcon::Information);
  // Without users neither rule speaks; users back without department OUs get the single OU
  // quietly (its box was unchecked, so nothing complains).
  click("chk_UsersOnSpecificOU");
  click("chk_CreateUsers");
  EXPECT_EQ(shownOf(directory),
            u"chk_CreateFullTree chk_CreateDep chk_CreateDuty chk_CreateOUs "_s
            u"chk_CreateUsers txt_DepartmentOU txt_GroupsOU"_s);
  EXPECT_FALSE(checked("chk_UsersOnSpecificOU"));
  click("chk_CreateOUs");
  click("chk_CreateUsers");
  EXPECT_EQ(m_prompter.messages.size(), 2u) << m_prompter.messageTexts();
  EXPECT_TRUE(checked("chk_UsersOnSpecificOU") && visible("txt_UsersOU") && visible("Label2"));
  // Each click, then the follower that shows after it ("!" hidden): the groups OU row while
  // either group box is checked, the folder root while any folder box is.
  const char* const steps[] = {"chk_CreateDep",    "txt_GroupsOU",   "chk_CreateDuty",
                               "!Label3",          "chk_CreateDuty", "cmd_GroupsOUBrowse",
                               "chk_PrivDir",      "txt_DirRoot",    "chk_PubDirSingle",
                               "chk_HiddenShares", "chk_PubDirDep",  "!cmd_Browse4FullFS",
                               "chk_PubDirDep",    "txt_DirRoot"};
  for (int i = 0; i < 14; i += 2) {
    click(steps[i]);
    const bool hidden = steps[i + 1][0] == '!';
    EXPECT_EQ(visible(steps[i + 1] + hidden), !hidden) << steps[i] << " " << steps[i + 1];
  }
  EXPECT_EQ(shownOf("opt_PrivateDirsLocation_0 opt_PrivateDirsLocation_1"),
            u"opt_PrivateDirsLocation_0! opt_PrivateDirsLocation_1!"_s);
  click("chk_PrivDir");
  EXPECT_TRUE(child("opt_PrivateDirsLocation_0")->isEnabled());
  click("chk_CreateFullTree");  // checks the four again and runs their rules
  EXPECT_EQ(shownOf(directory), fullTree);
  EXPECT_TRUE(checked("chk_CreateDep") && checked("chk_CreateDuty") && checked("chk_CreateOUs"));
  // The options a run reads are the live controls.
  click("chk_HiddenShares");
  child<QLineEdit>("txt_Password_1")->setText(u"second"_s);
  EXPECT_TRUE(m_window->options().chk_HiddenShares);
  EXPECT_EQ(m_window->options().txt_Password[1], u"second"_s);
}

TEST_F(MainWindowTest, WhoTypedInTheHelpBoxOpensTheAboutBoxAndClosingClosesEveryOtherWindow) {
  m_window->show();
  for (const char* name : {"chk_CreateFullTree", "cmd_userNamePat", "cmd_Browse4UsersOU"})
    click(name);
  sendMouse(child("cmd_PreviewOU"), QEvent::MouseButtonPress);
  // Any keys may come between the letters of "Who?", but each in its place.
  typeKeys(child("txt_help"), u"who?WHO?x h ?o"_s);
  EXPECT_EQ(m_window->aboutBox(), nullptr);
  typeKeys(child("txt_help"), u"?"_s);
  QWidget* box = m_window->aboutBox();
  ASSERT_TRUE(box && box->isVisible() && !box->isModal());
  box->close();
  typeKeys(child("txt_help"), u"?"_s);  // once "Who" is typed, every "?" opens the box again
  EXPECT_EQ(text("txt_help"), shown(disclaimerText()));  // typing changes nothing in the box
  const QList<QWidget*> others = {m_window->ouBrowser(), m_window->userNameDialog(), box,
                                  m_window->previewWindow()};
  for (QWidget* w : others) ASSERT_TRUE(w && w->isVisible());
  EXPECT_TRUE(m_window->close());
  for (QWidget* w : others) EXPECT_FALSE(w->isVisible()) << w->objectName().toStdString();
}

TEST_F(MainWindowTest, LogoAndIconsAreDrawnAtTheScreensResolution) {
  // The logo on a screen of three times the pixels is the program's icon drawn there.
  const auto image = [] {
    QImage blank(192, 192, QImage::Format_ARGB32_Premultiplied);
    blank.fill(Qt::transparent);
    return blank;
  };
  QImage shown = image();
  shown.setDevicePixelRatio(3);
  child("Picture1")->render(&shown, QPoint(), QRegion(), QWidget::RenderFlags());
  QImage icon = image();
  QPainter painter(&icon);
  QSvgRenderer(QStringLiteral(QUILL_SOURCE_DIR "/data/quillstead.svg")).render(&painter);
  painter.end();
  shown.setDevicePixelRatio(1);
  EXPECT_EQ(shown, icon);
  // The pictures of the dialogs come in the pixels asked for.
  ImageList icons = makeBrowseImageList();
  icons.push_back(drawNewOuIcon());
  icons.push_back(drawAcceptIcon());
  for (const QIcon& i : icons) EXPECT_EQ(i.pixmap(QSize(20, 20), 3.0).size(), QSize(60, 60));
}

TEST_F(MainWindowTest, TheBusyPointerIsSetOnceAndRestoredOnce) {
  m_window->setBusy(true);
  m_window->setBusy(true);
  EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::BusyCursor);
  m_window->setBusy(false);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  m_window->setBusy(true);
  reopenWindow();  // a window that goes while busy takes its pointer along
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(WindowMode, BackendsThatCannotBeOpenedEndTheProgramWithTheReason) {
  testing::internal::CaptureStderr();
  EXPECT_EQ(runWindow(CommandLine{},
                      [](CredentialsProvider, QString* error) {
                        *error = u"no server answers"_s;
                        return std::unique_ptr<Backends>();
                      }),
            1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "quillstead: no server answers\n");
}

TEST_F(WindowTest, RunsThroughTheWindow) {
  const QStringList persons = {u"John,Smith,Clerk at desk 4,Sales,Clerk,555-0101"_s,
                               u"Mary,Jones,Sales manager,Sales,Manager,555-0102"_s,
                               u"Linda,Brown,Chief accountant,Finance,Manager,555-0202"_s};
  click("Command2");  // no log before the first run
  EXPECT_TRUE(m_prompter.openedLogs.isEmpty());
  prepareRun(persons, u"\\\\files\\data\\"_s);
  m_window->show();
  // During a run GO is ignored, options apply from the next person on, and closing the window
  // ends the run after the current person.
  bool acted = false;
  bool closedDuringRun = true;
  QTimer during;
  QObject::connect(&during, &QTimer::timeout, m_window.get(), [&] {
    if (!m_window->isRunActive()) return;
    if (!acted && text("lbl_Stat").startsWith(u"1 "_s)) {
      acted = true;  // after the first person, John
      click("cmd_GO");
      child<QLineEdit>("txt_EmailDomain")->setText(u"later.test"_s);
    } else if (acted && text("lbl_Stat").startsWith(u"2 "_s) && closedDuringRun) {
      closedDuringRun = m_window->close();  // after Mary: Linda is left for another run
    }
  });
  during.start(0);
  int savesBeforeSummary = -1;
  m_prompter.onAsk = [&] { savesBeforeSummary = m_saves; };
  click("cmd_GO");
  EXPECT_TRUE(acted && !closedDuringRun);
  EXPECT_EQ(m_prompter.messages.size(), 1u) << m_prompter.messageTexts();  // the summary
  const QString sales = u",OU=Sales,OU=Users,OU=OU's,DC=example,DC=test"_s;
  EXPECT_EQ(m_sandbox->directory().values(u"CN=John Smith"_s + sales, u"mail"_s) +
                m_sandbox->directory().values(u"CN=Mary Jones"_s + sales, u"mail"_s),
            QStringList({u"JSmith@example.test"_s, u"MJones@later.test"_s}));
  EXPECT_FALSE(m_sandbox->directory().contains(
      u"CN=Linda Brown,OU=Finance,OU=Users,OU=OU's,DC=example,DC=test"_s));
  // The window closed once the run had ended and the sandbox was saved.
  EXPECT_FALSE(m_window->isVisible());
  EXPECT_EQ(m_saves, 1);
  EXPECT_EQ(savesBeforeSummary, 0);
  // The folder plan's root, the log's lines in the help box, an idle pointer, a bar that
  // stopped where the run did.
  EXPECT_EQ(text("txt_DirRoot"), u"\\\\files\\data"_s);
  EXPECT_NE(text("txt_help"), shown(disclaimerText()));
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  auto* bar = child<QProgressBar>("prg_ListRead");
  EXPECT_LT(bar->value(), bar->maximum());

  // A mixed-mode domain asks whether to go on without nesting groups; going on ends with
  // errors, and the user asks to see the log, which Command2 opens too.
  reopenSandbox();
  MemoryDirectory& dir = m_sandbox->directory();
  PendingError err;
  std::unique_ptr<DirObject> root = dir.Bind(u"LDAP://example.test"_s, err);
  dir.Put(*root, u"nTMixedDomain"_s, u"1"_s);
  dir.SetInfo(*root, err);
  prepareRun(persons, u"\\\\files\\data"_s);
  m_prompter = ScriptedPrompter();
  m_prompter.answers = {MsgAnswer::Yes, MsgAnswer::Yes};
  click("cmd_GO");
  ASSERT_EQ(m_prompter.messages.size(), 2u) << m_prompter.messageTexts();
  EXPECT_EQ(m_prompter.messages[0].buttons, MsgButtons::YesNo);
  EXPECT_TRUE(dir.contains(u"CN=Linda Brown,OU=Finance,OU=Users,OU=OU's,DC=example,DC=test"_s));
  click("Command2");
  EXPECT_EQ(m_prompter.openedLogs,
            QStringList(2, QFileInfo(m_state.runLog.path()).absoluteFilePath()));
  EXPECT_EQ(QFileInfo(m_prompter.openedLogs.value(0)).absolutePath(),
            QFileInfo(m_temp.path()).absoluteFilePath());
}

}  // namespace
}  // namespace quill::test
