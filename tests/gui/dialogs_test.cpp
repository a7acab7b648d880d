// The dialogs: "Connect as", the user-name patterns and the OU browser over a
// fresh sandbox, the last two opened from the main window.
#include "gui/connect_as_dialog.h"
#include "gui/ou_browser_dialog.h"
#include "gui/user_name_dialog.h"
#include "sandbox/memory_directory.h"
#include "support/gui_support.h"

namespace quill::test {
namespace {

QPushButton* button(QWidget* dialog, QDialogButtonBox::StandardButton which) {
  return dialog->findChild<QDialogButtonBox*>()->button(which);
}

TEST(ConnectAsDialog, OffersThePreviousUserNeedsAUserKeepsNoPasswordAndAsksThroughThePrompter) {
  ConnectAsDialog empty(ConnectAsCredentials{}, nullptr);
  EXPECT_FALSE(button(&empty, QDialogButtonBox::Ok)->isEnabled());
  ConnectAsDialog dialog({u"admin"_s, u"QUILL"_s, {}}, nullptr);
  auto* user = part<QLineEdit>(&dialog, "txt_User");
  auto* password = part<QLineEdit>(&dialog, "txt_Password");
  EXPECT_EQ(user->text() + u'@' + part<QLineEdit>(&dialog, "txt_Domain")->text(), u"admin@QUILL"_s);
  EXPECT_TRUE(password->text().isEmpty() && password->echoMode() == QLineEdit::Password);
  password->setText(u"abc"_s);
  EXPECT_EQ(password->displayText(), u"***"_s);
  for (const char* typed : {"admin", "  ", " other "}) {
    user->setText(QString::fromLatin1(typed));
    EXPECT_EQ(button(&dialog, QDialogButtonBox::Ok)->isEnabled(), typed[1] != ' ') << typed;
  }
  password->setText(u" Pass word "_s);  // blanks are part of a password
  const ConnectAsCredentials typed = dialog.takeCredentials();
  EXPECT_EQ(typed.user + u'@' + typed.domain + u'/' + typed.password, u"other@QUILL/ Pass word "_s);
  EXPECT_TRUE(password->text().isEmpty());

  // Run modally: OK gives what was typed, Cancel nothing.
  for (bool accept : {true, false}) {
    QTimer::singleShot(0, [accept] {
      QWidget* dialog = QApplication::activeModalWidget();
      part<QLineEdit>(dialog, "txt_Password")->setText(u"Secret-1"_s);
      button(dialog, accept ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel)->click();
    });
    const auto given = runConnectAsDialog(nullptr, {u"a"_s, QString(), {}});
    EXPECT_EQ(given ? given->user + u' ' + given->password : u"-"_s,
              accept ? u"a Secret-1"_s : u"-"_s);
  }
  // What window mode hands the backends asks through the prompter.
  ScriptedPrompter prompter;
  const CredentialsProvider provider = connectAsProvider(prompter);
  prompter.credentials = {ConnectAsCredentials{u"u"_s, u"d"_s, u"p"_s}};
  EXPECT_EQ(provider.askCredentials({u"prev"_s, u"dom"_s, {}}).value().password, u"p"_s);
  EXPECT_FALSE(provider.askCredentials({}));  // cancelled
  EXPECT_EQ(prompter.offered.at(0).user + u'@' + prompter.offered.at(0).domain, u"prev@dom"_s);
  prompter.answers = {MsgAnswer::Yes, MsgAnswer::No};  // a Yes/No box; the user's answer
  EXPECT_TRUE(provider.askYesNo(u"Connect as another user?"_s));
  EXPECT_FALSE(provider.askYesNo(u"Connect as another user?"_s));
  EXPECT_EQ(prompter.messages.at(1).text, u"Connect as another user?"_s);
  EXPECT_EQ(prompter.messages.at(1).buttons, MsgButtons::YesNo);
}

class UserNameDialogTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    open();
  }
  void open() {
    click("cmd_userNamePat");
    m_dialog = qobject_cast<FrmUserName*>(m_window->userNameDialog());
    ASSERT_NE(m_dialog, nullptr);
  }
  QSlider* slider(const char* name) { return part<QSlider>(m_dialog, name); }
  void type(const char* box, const char* name) {
    part<QLineEdit>(m_dialog, box)->setText(QLatin1String(name));
  }
  // The slider positions (lead, trail of patterns 1 to 3), the stored patterns
  // likewise, the two names and the three sample login names.
  QString state() {
    QStringList all;
    for (const QSlider* s : m_dialog->findChildren<QSlider*>()) all << QString::number(s->value());
    all << u"|"_s;
    for (const UserNamePattern& p : m_state.patterns.pattern)
      all << QString::number(p.LeadLetters) << QString::number(p.TrailLetters);
    all << u"|"_s;
    for (const QLineEdit* box : m_dialog->findChildren<QLineEdit*>()) all << box->text();
    return all.join(u' ');
  }
  QPointer<FrmUserName> m_dialog;
};

TEST_F(UserNameDialogTest, SlidersRefuseBothZeroAndAFallBackEqualToThePatternAbove) {
  QStringList captions;  // only the fall-back patterns say when they apply
  for (const QGroupBox* frame : m_dialog->findChildren<QGroupBox*>()) captions << frame->title();
  EXPECT_EQ(captions, QStringList({u""_s, u" Incase the username exists in the domain: "_s,
                                   u" Incase the username exists in the domain: "_s}));
  const std::tuple<const char*, int, int, int> steps[] = {
      // slider, moved to, kept, beeps
      {"sld_Name_1", 0, 0, 0},                                   // (1, 0) is a pattern...
      {"sld_Name_0", 0, 1, 1},                                   // ...(0, 0) is not
      {"sld_Name_1", 12, 12, 1},    {"sld_SecName_0", 1, 2, 2},  // would equal pattern 1
      {"sld_ThrName_0", 2, 3, 3},                                // would equal pattern 2
      {"sld_ThrName_0", 1, 1, 3},                                // pattern 3 may equal pattern 1
      {"sld_Name_0", 12, 12, 3},                                 // pattern 1 is never bumped
      {"sld_SecName_0", 12, 11, 4},  // no room above the entire name: one below
      {"sld_ThrName_1", 4, 4, 4},   {"sld_ThrName_0", 11, 11, 4},
      {"sld_ThrName_1", 12, 11, 5}};  // (11, 12) would equal pattern 2
  for (const auto& [name, moveTo, kept, beeps] : steps) {
    slider(name)->setValue(moveTo);
    EXPECT_EQ(slider(name)->value(), kept) << name << " " << moveTo;
    EXPECT_EQ(m_beeps, beeps) << name << " " << moveTo;
  }
  part<QToolButton>(m_dialog, "Command2")->click();
  EXPECT_EQ(state(),
            u"12 12 11 12 11 11 | 12 12 11 12 11 11 | James Bond JamesBond JamesBond JamesBond"_s);
}

TEST_F(UserNameDialogTest, SlidersAreJudgedWhereTheyComeToRestAndTabFollowsTheEye) {
  QSlider* lead = slider("sld_SecName_0");
  lead->setSliderDown(true);  // a drag passes over (1, 12), pattern 1, showing each step...
  for (int value : {1, 0}) lead->setValue(value);
  EXPECT_EQ(part<QLineEdit>(m_dialog, "txt_SecUserName")->text(), u"Bond"_s);
  lead->setSliderDown(false);  // ...and lets go on (0, 12), which is allowed
  QKeyEvent right(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
  EXPECT_EQ(QString::number(lead->value()) + QString::number(m_beeps), u"00"_s);
  QCoreApplication::sendEvent(lead, &right);  // a key step onto (1, 12) is put back at once
  EXPECT_EQ(QString::number(lead->value()) + QString::number(m_beeps), u"21"_s);
  QStringList order;
  for (QWidget* w = part(m_dialog, "txt_Name_0"); order.size() < 13; w = w->nextInFocusChain()) {
    if (w->focusPolicy() & Qt::TabFocus) order << w->objectName();
  }
  EXPECT_EQ(
      order.join(u' '),
      u"txt_Name_0 cmd_Switch txt_Name_1 sld_Name_0 sld_Name_1 txt_UserName sld_SecName_0 "_s
      u"sld_SecName_1 txt_SecUserName sld_ThrName_0 sld_ThrName_1 txt_ThrUserName Command2"_s);
}

TEST_F(UserNameDialogTest, SamplesSwitchAndADialogThatOutlivesHidingButNotItsCloseBox) {
  EXPECT_EQ(state(), u"1 12 2 12 3 12 | 1 12 2 12 3 12 | James Bond JBond JaBond JamBond"_s);
  type("txt_Name_1", "Christopherson");  // twelve letters at most
  EXPECT_TRUE(
      state().endsWith(u"James Christopherson JChristophers JaChristophers JamChristophers"_s));
  part<QPushButton>(m_dialog, "cmd_Switch")->click();  // replaces what was typed
  EXPECT_TRUE(state().endsWith(u"Bond James BJames BoJames BonJames"_s));
  EXPECT_EQ(part<QLabel>(m_dialog, "lbl_thrExplain")->text(), ExplainPattern(3, {3, 12}, true));
  part<QPushButton>(m_dialog, "cmd_Switch")->click();
  EXPECT_EQ(part<QLabel>(m_dialog, "lbl_Explain")->text(), ExplainPattern(1, {1, 12}, false));

  type("txt_Name_0", "Zed");
  slider("sld_ThrName_1")->setValue(5);
  slider("sld_Name_0")->setValue(2);  // now equal to pattern 2, which is not refreshed
  part<QToolButton>(m_dialog, "Command2")->click();
  EXPECT_FALSE(m_dialog->isVisible());
  FrmUserName* first = m_dialog;
  open();  // the same dialog, not refreshed on showing
  EXPECT_TRUE(m_dialog == first && m_dialog->isVisible());
  EXPECT_EQ(state(), u"2 12 2 12 3 5 | 2 12 2 12 3 5 | Zed Bond ZeBond ZeBond ZedBond"_s);
  EXPECT_EQ(m_beeps, 0);
  type("txt_Name_0", "Zoe");  // a name change refreshes
  EXPECT_EQ(slider("sld_SecName_0")->value(), 3);
  EXPECT_EQ(m_beeps, 1);

  part<QPushButton>(m_dialog, "cmd_Switch")->click();
  EXPECT_TRUE(m_dialog->close());  // writes back, and goes
  EXPECT_TRUE(state().startsWith(u"2 12 3 12 3 5 | 2 12 3 12 3 5 |"_s));
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(m_dialog.isNull());
  open();  // afresh: the stored patterns are not read back
  EXPECT_EQ(state(), u"1 12 2 12 3 12 | 2 12 3 12 3 5 | James Bond JBond JaBond JamBond"_s);
  EXPECT_TRUE(m_state.patterns.LastNameFirst);
  slider("sld_ThrName_0")->setValue(6);
  EXPECT_TRUE(m_window->close());  // closing the main window unloads the dialog, which writes back
  EXPECT_TRUE(state().contains(u"| 1 12 2 12 6 12 |"_s));
}

const QString kRoot = u"LDAP://example.test"_s;
const QString kUp = u"Up one level"_s;

class OuBrowserTest : public WindowTest {
 protected:
  void open(const char* button) {
    if (!visible(button)) click("chk_CreateFullTree");  // shows the OU rows
    click(button);
    m_browser = qobject_cast<FrmBrowse4OU*>(m_window->ouBrowser());
    ASSERT_NE(m_browser, nullptr);
    m_list = part<QListWidget>(m_browser, "lst_Browse");
  }
  // Where the browser stands and what it lists and says.
  QString where() {
    auto* line = part<QLabel>(m_browser, "lbl_Message");
    return m_browser->currentPath() + u' ' + part<QLineEdit>(m_browser, "txt_CurCont")->text() +
           u" ["_s + itemTexts(m_list).join(u',') + u"] "_s +
           (line->isHidden() ? u""_s : line->text());
  }
  void enter(const QString& name) {
    selectItem(m_list, name);
    m_browser->lst_Browse_DblClick();
  }
  void accept(const QString& selected) {
    selectItem(m_list, selected);
    part<QToolButton>(m_browser, "Command2")->click();
  }
  void newOu(const QString& name) {
    m_prompter.texts = {name};
    part<QToolButton>(m_browser, "Command1")->click();
  }
  FrmBrowse4OU* m_browser = nullptr;
  QListWidget* m_list = nullptr;
};

TEST_F(OuBrowserTest, WalksContainersAndHandsTheChosenOneToTheBoxOfItsButton) {
  open("cmd_GroupsOUBrowse");
  const QString atRoot =
      u" DC=example,DC=test [Up one level,Users,Computers,Domain Controllers] "_s;
  EXPECT_EQ(where(), kRoot + atRoot);  // no CN=Builtin (builtinDomain)
  enter(kUp);                          // at the root as first opened: nothing happens
  EXPECT_EQ(where(), kRoot + atRoot);
  // The mouse enters with a double click; Users holds only users and groups.
  const QPoint at = m_list->visualItemRect(m_list->item(1)).center();
  sendMouse(m_list->viewport(), QEvent::MouseButtonPress, at);
  sendMouse(m_list->viewport(), QEvent::MouseButtonDblClick, at);
  EXPECT_EQ(where(), kRoot + u"/CN=Users,DC=example,DC=test CN=Users,DC=example,DC=test ["_s + kUp +
                         u"] "_s);
  enter(kUp);
  EXPECT_EQ(where(), kRoot + u"/DC=example,DC=test"_s + atRoot);
  selectItem(m_list, u"Users"_s);  // Enter opens the selected container, as a double click does
  QKeyEvent enterKey(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QCoreApplication::sendEvent(m_list, &enterKey);
  EXPECT_TRUE(where().startsWith(kRoot + u"/CN=Users,"_s)) << where().toStdString();
  enter(kUp);
  // The root reached from below has a parent (DC=test) that does not bind: the dialog stays
  // where it is and says why, until the next step works.
  enter(kUp);
  EXPECT_TRUE(where().startsWith(kRoot + u"/DC=example,DC=test"_s + atRoot + u"Unable to open "_s +
                                 kRoot + u"/DC=test: "_s))
      << where().toStdString();
  accept(u"Domain Controllers"_s);
  EXPECT_EQ(text("txt_GroupsOU"), kRoot + u"/OU=Domain Controllers,DC=example,DC=test"_s);
  EXPECT_FALSE(m_browser->isVisible());

  // Each button opens the one dialog at the root; no selection accepts the
  // container it stands in, "Up one level" too.
  open("cmd_UsersOUBrowse");
  accept(QString());
  open("cmd_Browse4UsersOU");
  enter(u"Users"_s);
  accept(kUp);
  EXPECT_EQ(text("txt_DepartmentOU") + u' ' + text("txt_UsersOU"),
            kRoot + u' ' + kRoot + u"/CN=Users,DC=example,DC=test"_s);
  EXPECT_EQ(m_window->findChildren<FrmBrowse4OU*>().size(), 1);
  // A container that vanished after it was listed is not accepted in its place.
  open("cmd_UsersOUBrowse");
  const QByteArray before = m_sandbox->directory().toLdif();
  newOu(u"Gone"_s);
  QString error;
  ASSERT_TRUE(m_sandbox->directory().fromLdif(before, &error)) << error.toStdString();
  accept(u"Gone"_s);
  EXPECT_TRUE(m_browser->isVisible() && text("txt_DepartmentOU") == kRoot);
  EXPECT_TRUE(where().startsWith(kRoot + atRoot.chopped(2) + u",Gone] Unable to open "_s))
      << where().toStdString();
  // A domain no server answers for: its root, empty, with only the way up.
  m_state.DomainFqdn = u"other.test"_s;
  m_browser->showAtDomainRoot();
  enter(kUp);
  EXPECT_TRUE(where().startsWith(u"LDAP://other.test DC=other,DC=test [Up one level] Unable"_s));
  EXPECT_TRUE(m_prompter.messages.empty());
  // A domain whose sysvol cannot be found opens nothing.
  m_browser->hide();
  child<QLineEdit>("txt_Domain")->setText(u"nowhere.test"_s);
  click("cmd_GroupsOUBrowse");
  EXPECT_FALSE(m_browser->isVisible());
  EXPECT_EQ(m_state.BrowseTarget, OuBox::DepartmentOU);
  EXPECT_EQ(m_state.DomainFqdn, u"other.test"_s);
  EXPECT_EQ(m_prompter.messageTexts(),
            "Unable to find \\\\nowhere.test\\sysvol.\nPlease verify the the domain name can be "
            "resolved and that you have proper permissions|");
  EXPECT_EQ(m_prompter.messages.at(0).icon, MsgIcon::Critical);
}

TEST_F(OuBrowserTest, CreatesOusByEscapedNamesOnlyWhereAllowedAndReportsRefusals) {
  open("cmd_GroupsOUBrowse");
  for (const QString& name : {u"a,b+c\\d"_s, u"#x/y=z;\"q\" "_s}) {
    newOu(name);
    newOu(name);  // exists already: fails silently
    enter(name);  // entered by its escaped DN, listed and shown plain
    newOu(u"inner"_s);
    EXPECT_TRUE(where().endsWith(u" [Up one level,inner] "_s)) << where().toStdString();
    accept(QString());
    enter(kUp);
  }
  EXPECT_EQ(text("txt_GroupsOU"), kRoot + u"/OU=\\#x/y=z\\;\\\"q\\\"\\ ,DC=example,DC=test"_s);
  EXPECT_TRUE(m_sandbox->directory().contains(u"OU=inner,OU=a\\,b\\+c\\\\d,DC=example,DC=test"_s));
  EXPECT_TRUE(where().endsWith(u"Domain Controllers,a,b+c\\d,#x/y=z;\"q\" ] "_s))
      << where().toStdString();
  EXPECT_TRUE(m_prompter.messages.empty());

  newOu(QString());  // cancelled or empty
  m_sandbox->directory().setReadOnly(true);
  newOu(u"Denied"_s);
  m_sandbox->directory().setReadOnly(false);
  enter(u"Users"_s);
  newOu(u"Never"_s);  // refused before the name is asked
  EXPECT_EQ(m_prompter.shownTitles,
            QStringList(8, u"Enter a name for the new organizational unit:"_s));
  EXPECT_FALSE(m_sandbox->directory().contains(u"OU=Denied,DC=example,DC=test"_s));
  EXPECT_EQ(m_prompter.messageTexts(),
            "Error. You must specify a name|Error. Access denied.|Current container is not an "
            "organizational unit, Please select a different container.|");
  EXPECT_EQ(m_prompter.messages.at(1).icon, MsgIcon::None);
  EXPECT_EQ(m_prompter.messages.at(2).icon, MsgIcon::Critical);
}

TEST(DesktopPrompter, TheListsChooserPicksAFileBesideTheListTheRootsAFolder) {
  QTemporaryDir folder;
  QFile list(folder.filePath(u"people.csv"_s));
  ASSERT_TRUE(list.open(QIODevice::WriteOnly));
  list.close();
  DesktopPrompter prompter;
  QStringList seen;  // what each chooser showed
  const auto answer = [&seen](const QString& pick) {
    QTimer::singleShot(0, [&seen, pick] {
      auto* chooser = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      seen << QString::number(chooser->fileMode()) + u' ' + chooser->nameFilters().join(u';') +
                  u' ' + chooser->directory().path();
      if (pick.isEmpty()) return chooser->reject();
      chooser->selectFile(pick);
      static_cast<QDialog*>(chooser)->accept();
    });
  };
  answer(list.fileName());
  EXPECT_EQ(prompter.browseForFile(nullptr, u"Choose a file"_s, folder.path()), list.fileName());
  answer(QString());
  EXPECT_EQ(prompter.browseForFolder(nullptr, u"Choose a file"_s), QString());
  ASSERT_EQ(seen.size(), 2);
  EXPECT_EQ(seen[0], u"1 CSV and text files (*.csv *.txt);All files (*) "_s + folder.path());
  EXPECT_TRUE(seen[1].startsWith(u"2 "_s)) << seen[1].toStdString();  // a folder
}

}  // namespace
}  // namespace quill::test
