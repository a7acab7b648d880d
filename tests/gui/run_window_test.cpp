// Whole runs started with GO in the window, on a sandbox.
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include "gui/about_box.h"
#include "gui/preview_window.h"
#include "sandbox/memory_directory.h"
#include "sandbox/sandbox_share_service.h"
#include "support/gui_support.h"

namespace quill::test {
namespace {

const QStringList kPersons = {
    QStringLiteral("John,Smith,Clerk at desk 4,Sales,Clerk,555-0101"),
    QStringLiteral("Mary,Jones,Sales manager,Sales,Manager,555-0102"),
    QStringLiteral("Peter,Miller,Accountant,Finance,Clerk,555-0201"),
    QStringLiteral("Linda,Brown,Chief accountant,Finance,Manager,555-0202"),
};

class RunWindowTest : public WindowTest {
 protected:
  void clickGo() { child<QPushButton>("cmd_GO")->click(); }
  QString status() { return child<QLabel>("lbl_Stat")->text(); }
};

TEST_F(RunWindowTest, GoRunsTheWholeRunThroughTheWindow) {
  prepareRun(writeUserList(QStringLiteral("people.csv"), kPersons),
             QStringLiteral("\\\\files\\data\\"));
  clickGo();

  ASSERT_FALSE(m_prompter.messages().empty());
  EXPECT_EQ(m_prompter.messages().back().text, QStringLiteral("Processed 4 users succesfully."))
      << m_prompter.messageTexts().join(u'|').toStdString();
  EXPECT_EQ(m_prompter.messages().back().icon, MsgIcon::Information);
  EXPECT_EQ(status(), QStringLiteral("4 users processed  Succesfully."));
  // The folder plan shortened the root in the window.
  EXPECT_EQ(child<QLineEdit>("txt_DirRoot")->text(), QStringLiteral("\\\\files\\data"));
  // The help box shows the last line written to the log.
  QFile log(m_state.runLog.path());
  ASSERT_TRUE(log.open(QIODevice::ReadOnly)) << m_state.runLog.path().toStdString();
  const QStringList logLines =
      QString::fromUtf8(log.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
  ASSERT_FALSE(logLines.isEmpty());
  const QString help = child<QPlainTextEdit>("txt_help")->toPlainText();
  EXPECT_FALSE(help.isEmpty());
  EXPECT_TRUE(logLines.last().endsWith(QStringLiteral(", ") + help)) << help.toStdString();
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(child<QProgressBar>("prg_ListRead")->value(),
            child<QProgressBar>("prg_ListRead")->maximum());
  EXPECT_EQ(m_saves, 1);

  // What the run made is on disk.
  QString error;
  auto reloaded = Sandbox::open(m_sandbox->dir(), &error);
  ASSERT_TRUE(reloaded) << error.toStdString();
  EXPECT_TRUE(reloaded->directory().contains(
      QStringLiteral("CN=Sales_Clerk,OU=Groups,OU=OU's,DC=example,DC=test")));
  EXPECT_NE(reloaded->shares().findShare(QStringLiteral("files"), QStringLiteral("Finance_Public")),
            nullptr);
}

TEST_F(RunWindowTest, SecondGoDuringARunStartsNothingAndCloseWaitsForTheEnd) {
  prepareRun(writeUserList(QStringLiteral("people.csv"), kPersons),
             QStringLiteral("\\\\files\\data"));
  m_window->show();
  bool sawRun = false;
  bool closedDuringRun = true;
  int savesBeforeClose = -1;
  QTimer during;
  during.setInterval(0);
  QObject::connect(&during, &QTimer::timeout, m_window.get(), [&] {
    if (!m_window->isRunActive() || sawRun) return;
    sawRun = true;
    clickGo();  // refused: one run at a time
    closedDuringRun = m_window->close();
  });
  during.start();
  m_prompter.onAsk = [&](const ScriptedPrompter::Message&) { savesBeforeClose = m_saves; };
  clickGo();
  during.stop();

  ASSERT_TRUE(sawRun);
  EXPECT_FALSE(closedDuringRun);
  const QStringList summaries = m_prompter.messageTexts().filter(QStringLiteral("Processed"));
  EXPECT_EQ(summaries, QStringList({QStringLiteral("Processed 4 users succesfully.")}));
  // The window closed once the run had ended and the sandbox was saved.
  EXPECT_FALSE(m_window->isVisible());
  EXPECT_EQ(m_saves, 1);
  EXPECT_EQ(savesBeforeClose, 0);  // the summary came before the save
  EXPECT_EQ(status(), QStringLiteral("4 users processed  Succesfully."));
}

TEST_F(RunWindowTest, OpenLogDoesNothingBeforeTheFirstRunAndOpensTheLogAfter) {
  child<QPushButton>("Command2")->click();
  EXPECT_TRUE(m_prompter.openedLogs().isEmpty());

  // A person with a missing field makes errors; Yes opens the log.
  QStringList persons = kPersons;
  persons << QStringLiteral("Short,Line");
  prepareRun(writeUserList(QStringLiteral("people.csv"), persons),
             QStringLiteral("\\\\files\\data"));
  m_prompter.scriptAnswers({MsgAnswer::Yes});
  clickGo();
  EXPECT_EQ(status(), QStringLiteral("5 users processed . Some errors occurred."));
  ASSERT_EQ(m_prompter.openedLogs().size(), 1);
  const QString log = m_prompter.openedLogs().first();
  EXPECT_TRUE(QFileInfo(log).isFile()) << log.toStdString();
  EXPECT_EQ(QFileInfo(log).absolutePath(), QFileInfo(m_temp.path()).absoluteFilePath());

  child<QPushButton>("Command2")->click();
  EXPECT_EQ(m_prompter.openedLogs(), QStringList({log, log}));
}

TEST_F(RunWindowTest, BrowseButtonsWriteTheChoiceAndCancelEmptiesTheBox) {
  m_prompter.scriptChoices({QStringLiteral("/home/admin/list.csv")});
  child<QPushButton>("cmd_Browse4CSV")->click();
  EXPECT_EQ(child<QLineEdit>("txt_CSVFile")->text(), QStringLiteral("/home/admin/list.csv"));
  child<QPushButton>("cmd_Browse4CSV")->click();  // cancelled
  EXPECT_TRUE(child<QLineEdit>("txt_CSVFile")->text().isEmpty());
  child<QPushButton>("cmd_Browse4FullFS")->click();
  EXPECT_TRUE(child<QLineEdit>("txt_DirRoot")->text().isEmpty());
  EXPECT_EQ(m_prompter.chooserTitles(), QStringList(3, QStringLiteral("Choose a file")));
}

TEST_F(RunWindowTest, OuBrowseButtonsCheckTheDomainAndOpenTheBrowserForTheirRow) {
  QList<OuBox> opened;
  m_window->setOuBrowserOpener([&opened](OuBox target) -> QWidget* {
    opened.append(target);
    return nullptr;
  });
  child<QCheckBox>("chk_CreateFullTree")->click();
  child<QPushButton>("cmd_GroupsOUBrowse")->click();
  child<QPushButton>("cmd_UsersOUBrowse")->click();
  child<QPushButton>("cmd_Browse4UsersOU")->click();
  EXPECT_EQ(opened, QList<OuBox>({OuBox::GroupsOU, OuBox::DepartmentOU, OuBox::UsersOU}));
  EXPECT_EQ(m_state.BrowseTarget, OuBox::UsersOU);
  EXPECT_EQ(m_state.DomainFqdn, QStringLiteral("example.test"));
  EXPECT_TRUE(m_prompter.messages().empty());

  // Results land in the row of the button, not the one its name suggests.
  m_window->setOuPath(OuBox::DepartmentOU,
                      QStringLiteral("LDAP://example.test/OU=Depts,DC=example,DC=test"));
  EXPECT_EQ(child<QLineEdit>("txt_DepartmentOU")->text(),
            QStringLiteral("LDAP://example.test/OU=Depts,DC=example,DC=test"));

  child<QLineEdit>("txt_Domain")->setText(QStringLiteral("nowhere.test"));
  child<QPushButton>("cmd_GroupsOUBrowse")->click();
  EXPECT_EQ(opened.size(), 3);
  ASSERT_EQ(m_prompter.messages().size(), 1u);
  EXPECT_EQ(m_prompter.messages()[0].text,
            QStringLiteral("Unable to find \\\\nowhere.test\\sysvol.\nPlease verify the the "
                           "domain name can be resolved and that you have proper permissions"));
  EXPECT_EQ(m_prompter.messages()[0].icon, MsgIcon::Critical);
  EXPECT_EQ(m_state.DomainFqdn, QStringLiteral("example.test"));
}

TEST_F(RunWindowTest, ClosingTheWindowClosesEveryOtherWindow) {
  QWidget browser;
  QWidget patterns;
  m_window->setOuBrowserOpener([&browser](OuBox) {
    browser.show();
    return &browser;
  });
  m_window->setUserNameDialogOpener([&patterns] {
    patterns.show();
    return &patterns;
  });
  m_window->show();
  child<QPushButton>("cmd_userNamePat")->click();
  child<QPushButton>("cmd_Browse4UsersOU")->click();
  typeKeys(child<QWidget>("txt_help"), QStringLiteral("Who?"));
  sendMouse(child<QPushButton>("cmd_PreviewOU"), QEvent::MouseButtonPress);
  ASSERT_TRUE(browser.isVisible() && patterns.isVisible());
  ASSERT_TRUE(m_window->aboutBox()->isVisible() && m_window->previewWindow()->isVisible());

  EXPECT_TRUE(m_window->close());
  EXPECT_FALSE(browser.isVisible());
  EXPECT_FALSE(patterns.isVisible());
  EXPECT_FALSE(m_window->aboutBox()->isVisible());
  EXPECT_FALSE(m_window->previewWindow()->isVisible());
}

}  // namespace
}  // namespace quill::test
