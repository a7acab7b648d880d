// The option rules of the main window, driven by clicks on the controls.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "support/gui_support.h"

namespace quill::test {
namespace {

const char* const kFourOptions[] = {"chk_CreateDep", "chk_CreateDuty", "chk_CreateOUs",
                                    "chk_CreateUsers"};
const char* const kOuRows[] = {
    "chk_UsersOnSpecificOU", "txt_DepartmentOU", "txt_UsersOU", "cmd_UsersOUBrowse",
    "cmd_Browse4UsersOU",    "Label3",           "Label5",      "txt_GroupsOU",
    "cmd_GroupsOUBrowse"};
const char* const kUserRows[] = {"Label2",         "Label4",          "txt_Password_0",
                                 "txt_Password_1", "chk_EmailDomain", "txt_EmailDomain",
                                 "cmd_userNamePat"};

const QString kR2Message =
    QStringLiteral("If you uncheck this checkbox, A specific OU must be specified.");
const QString kR5Message =
    QStringLiteral("You must specify a specific OU if not creating departmental OU's.");

class OptionRulesTest : public WindowTest {
 protected:
  QCheckBox* box(const char* name) { return child<QCheckBox>(name); }
  bool shownNow(const char* name) { return !child<QWidget>(name)->isHidden(); }
  void click(const char* name) { box(name)->click(); }
};

TEST_F(OptionRulesTest, StartUpLocksTheFourOptionsAndHidesTheOuRows) {
  EXPECT_TRUE(box("chk_CreateFullTree")->isChecked());
  for (const char* name : kFourOptions) {
    EXPECT_TRUE(box(name)->isChecked()) << name;
    EXPECT_FALSE(box(name)->isEnabled()) << name;
  }
  for (const char* name : kOuRows) EXPECT_FALSE(shownNow(name)) << name;
  for (const char* name : kUserRows) EXPECT_TRUE(shownNow(name)) << name;
  EXPECT_TRUE(m_prompter.messages().empty());
}

TEST_F(OptionRulesTest, UncheckingFullTreeUnlocksAndShowsEveryOuRow) {
  click("chk_CreateFullTree");
  for (const char* name : kFourOptions) EXPECT_TRUE(box(name)->isEnabled()) << name;
  // All three OU rows show, even the users OU whose box is unchecked...
  for (const char* name : kOuRows) EXPECT_TRUE(shownNow(name)) << name;
  EXPECT_FALSE(box("chk_UsersOnSpecificOU")->isChecked());
  // ...until that box is clicked twice.
  click("chk_UsersOnSpecificOU");
  click("chk_UsersOnSpecificOU");
  EXPECT_FALSE(shownNow("txt_UsersOU"));
  EXPECT_FALSE(shownNow("cmd_Browse4UsersOU"));
  EXPECT_TRUE(m_prompter.messages().empty());
}

TEST_F(OptionRulesTest, DepartmentOusAndSingleUsersOuKeepAPlaceForTheAccounts) {
  click("chk_CreateFullTree");
  click("chk_CreateOUs");  // R2: message, then the single users OU (R5 runs quietly)
  ASSERT_EQ(m_prompter.messages().size(), 1u);
  EXPECT_EQ(m_prompter.messages()[0].text, kR2Message);
  EXPECT_EQ(m_prompter.messages()[0].buttons, MsgButtons::Ok);
  EXPECT_EQ(m_prompter.messages()[0].icon, MsgIcon::None);
  EXPECT_TRUE(box("chk_UsersOnSpecificOU")->isChecked());
  EXPECT_TRUE(shownNow("txt_UsersOU"));
  EXPECT_FALSE(shownNow("txt_DepartmentOU"));
  EXPECT_FALSE(shownNow("cmd_UsersOUBrowse"));

  click("chk_UsersOnSpecificOU");  // R5: message, then department OUs again (R2 quietly)
  ASSERT_EQ(m_prompter.messages().size(), 2u);
  EXPECT_EQ(m_prompter.messages()[1].text, kR5Message);
  EXPECT_EQ(m_prompter.messages()[1].buttons, MsgButtons::Ok);
  EXPECT_EQ(m_prompter.messages()[1].icon, MsgIcon::Information);
  EXPECT_TRUE(box("chk_CreateOUs")->isChecked());
  EXPECT_TRUE(shownNow("txt_DepartmentOU"));
  EXPECT_FALSE(shownNow("txt_UsersOU"));
}

TEST_F(OptionRulesTest, UncheckingUsersHidesTheUserRowsWithoutAMessage) {
  click("chk_CreateFullTree");
  click("chk_UsersOnSpecificOU");
  ASSERT_TRUE(box("chk_UsersOnSpecificOU")->isChecked());
  click("chk_CreateUsers");
  for (const char* name : kUserRows) EXPECT_FALSE(shownNow(name)) << name;
  EXPECT_FALSE(shownNow("chk_UsersOnSpecificOU"));
  EXPECT_FALSE(shownNow("txt_UsersOU"));
  EXPECT_FALSE(box("chk_UsersOnSpecificOU")->isChecked());
  EXPECT_TRUE(m_prompter.messages().empty());
}

TEST_F(OptionRulesTest, UsersWithoutDepartmentOusGetTheSingleOuWithoutAMessage) {
  click("chk_CreateFullTree");
  click("chk_CreateUsers");
  click("chk_CreateOUs");  // users are off: no message
  ASSERT_TRUE(m_prompter.messages().empty());
  // R4 leaves the single-OU box alone while it is already unchecked (its
  // rule would complain), then checks it because department OUs are off.
  click("chk_CreateUsers");
  EXPECT_TRUE(m_prompter.messages().empty()) << m_prompter.messageTexts().join(u'|').toStdString();
  EXPECT_TRUE(box("chk_UsersOnSpecificOU")->isChecked());
  EXPECT_FALSE(box("chk_CreateOUs")->isChecked());
  EXPECT_TRUE(shownNow("txt_UsersOU"));
  for (const char* name : kUserRows) EXPECT_TRUE(shownNow(name)) << name;
}

TEST_F(OptionRulesTest, CheckingFullTreeAgainRechecksTheOptionsAndRunsTheirRules) {
  click("chk_CreateFullTree");
  click("chk_CreateUsers");
  click("chk_CreateDep");
  click("chk_CreateDuty");
  ASSERT_FALSE(shownNow("txt_Password_0"));
  ASSERT_FALSE(shownNow("txt_GroupsOU"));
  click("chk_CreateFullTree");
  for (const char* name : kFourOptions) {
    EXPECT_TRUE(box(name)->isChecked()) << name;
    EXPECT_FALSE(box(name)->isEnabled()) << name;
  }
  for (const char* name : kUserRows) EXPECT_TRUE(shownNow(name)) << name;  // R4 ran
  for (const char* name : kOuRows) EXPECT_FALSE(shownNow(name)) << name;
  EXPECT_TRUE(m_prompter.messages().empty());
}

TEST_F(OptionRulesTest, GroupsOuRowShowsWhileEitherGroupBoxIsChecked) {
  click("chk_CreateFullTree");
  const char* groupRow[] = {"Label3", "Label5", "txt_GroupsOU", "cmd_GroupsOUBrowse"};
  click("chk_CreateDep");
  for (const char* name : groupRow) EXPECT_TRUE(shownNow(name)) << name;
  click("chk_CreateDuty");
  for (const char* name : groupRow) EXPECT_FALSE(shownNow(name)) << name;
  click("chk_CreateDuty");  // the duty box runs the same rule
  for (const char* name : groupRow) EXPECT_TRUE(shownNow(name)) << name;
}

TEST_F(OptionRulesTest, FolderRootRowFollowsTheThreeFolderBoxes) {
  auto* central = child<QRadioButton>("opt_PrivateDirsLocation_0");
  auto* perDepartment = child<QRadioButton>("opt_PrivateDirsLocation_1");
  const char* rootRow[] = {"txt_DirRoot", "cmd_Browse4FullFS", "chk_HiddenShares"};
  click("chk_PrivDir");
  EXPECT_FALSE(central->isEnabled());
  EXPECT_FALSE(perDepartment->isEnabled());
  for (const char* name : rootRow) EXPECT_TRUE(shownNow(name)) << name;
  click("chk_PubDirSingle");
  click("chk_PubDirDep");
  for (const char* name : rootRow) EXPECT_FALSE(shownNow(name)) << name;
  EXPECT_TRUE(shownNow("Label7"));
  click("chk_PubDirDep");
  for (const char* name : rootRow) EXPECT_TRUE(shownNow(name)) << name;
  click("chk_PrivDir");
  EXPECT_TRUE(central->isEnabled());
  EXPECT_TRUE(perDepartment->isEnabled());
}

TEST_F(OptionRulesTest, OptionsAreReadFromTheLiveControls) {
  child<QLineEdit>("txt_Password_0")->setText(QStringLiteral("first"));
  child<QLineEdit>("txt_Password_1")->setText(QStringLiteral("second"));
  child<QRadioButton>("opt_PrivateDirsLocation_1")->click();
  click("chk_HiddenShares");
  child<QLineEdit>("txt_Domain")->setText(QStringLiteral("corp.example"));
  const RunOptions o = m_window->options();
  EXPECT_EQ(o.txt_Password[0], QStringLiteral("first"));
  EXPECT_EQ(o.txt_Password[1], QStringLiteral("second"));
  EXPECT_EQ(o.opt_PrivateDirsLocation, kPrivateDirsPerDepartment);
  EXPECT_TRUE(o.chk_HiddenShares);
  EXPECT_EQ(o.txt_Domain, QStringLiteral("corp.example"));
  // Start-up values otherwise.
  const RunOptions defaults;
  EXPECT_EQ(o.txt_DirRoot, defaults.txt_DirRoot);
  EXPECT_EQ(o.txt_CSVFile, defaults.txt_CSVFile);
  EXPECT_TRUE(o.chk_CreateFullTree && o.chk_PubDirSingle && o.chk_PubDirDep && o.chk_PrivDir);
}

TEST_F(OptionRulesTest, CaptionsAndBoxesAreAsTheUserSeesThem) {
  EXPECT_EQ(m_window->windowTitle(), QStringLiteral("Quillstead - Version 1.0"));
  EXPECT_EQ(child<QLabel>("Label2")->text(),
            QStringLiteral("Initial passowrd  ") + QString(65, u'.'));
  EXPECT_EQ(child<QLabel>("Label4")->text(),
            QStringLiteral("Confirm Password  ") + QString(61, u'.'));
  EXPECT_EQ(child<QLabel>("Label7")->text(),
            QStringLiteral("Private/Public directories root path  ") + QString(49, u'.'));
  EXPECT_EQ(box("chk_UsersOnSpecificOU")->text(),
            QStringLiteral("Flat on the following OU  ") + QString(45, u'.'));
  EXPECT_EQ(box("chk_CreateOUs")->text(),
            QStringLiteral("Create Department OU's at the following location "));
  EXPECT_EQ(child<QLabel>("Label3")->text(), QStringLiteral("....................Groups' OU:"));
  for (const char* name : {"txt_DepartmentOU", "txt_GroupsOU", "txt_UsersOU"}) {
    EXPECT_TRUE(child<QLineEdit>(name)->isReadOnly()) << name;
  }
  for (const char* name : {"txt_Password_0", "txt_Password_1"}) {
    EXPECT_EQ(child<QLineEdit>(name)->echoMode(), QLineEdit::Password) << name;
  }
  EXPECT_GE(child<QPushButton>("cmd_GO")->font().weight(), QFont::Bold);
}

}  // namespace
}  // namespace quill::test
