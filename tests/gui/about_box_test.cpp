// The start-up disclaimer and credit, Timer1, the logo and the hidden about
// box.
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include "gui/about_box.h"
#include "gui/help_texts.h"
#include "support/gui_support.h"

namespace quill::test {
namespace {

class AboutBoxTest : public WindowTest {
 protected:
  QLabel* status() { return child<QLabel>("lbl_Stat"); }
  QColor statusColour() { return status()->palette().color(QPalette::WindowText); }
  QPlainTextEdit* help() { return child<QPlainTextEdit>("txt_help"); }
  QTimer* timer() { return child<QTimer>("Timer1"); }
  bool aboutBoxShown() { return m_window->aboutBox() && m_window->aboutBox()->isVisible(); }
};

TEST_F(AboutBoxTest, StartUpShowsTheDisclaimerAndTheCreditInBlue) {
  EXPECT_EQ(help()->toPlainText(), shown(disclaimerText()));
  EXPECT_EQ(status()->text(), authorCredit());
  EXPECT_EQ(statusColour(), QColor(0, 0, 255));
  EXPECT_TRUE(timer()->isActive());
  EXPECT_TRUE(timer()->isSingleShot());
  EXPECT_EQ(timer()->interval(), 5000);
}

TEST_F(AboutBoxTest, TimerReplacesTheStartUpTextsWithTheReadyPrompt) {
  timer()->start(1);
  ASSERT_TRUE(processUntil([this] { return !timer()->isActive(); }, 2000));
  EXPECT_EQ(status()->text(), QStringLiteral(" Click 'GO !' to start..."));
  EXPECT_EQ(statusColour(), QColor(Qt::black));
  EXPECT_TRUE(help()->toPlainText().isEmpty());
  // A later firing empties the help box whatever it shows.
  m_window->setHelp(QStringLiteral("a progress line"));
  m_window->Timer1_Timer();
  EXPECT_TRUE(help()->toPlainText().isEmpty());
  EXPECT_FALSE(timer()->isActive());
}

TEST_F(AboutBoxTest, PointerOverTheLogoBringsTheCreditBackUntilTheTimerFires) {
  m_window->Timer1_Timer();
  ASSERT_EQ(status()->text(), readyPrompt());
  sendEnter(child<QWidget>("Picture1"));
  EXPECT_EQ(status()->text(), authorCredit());
  EXPECT_EQ(statusColour(), QColor(0, 0, 255));
  EXPECT_TRUE(timer()->isActive());
  EXPECT_EQ(timer()->remainingTime() > 4000, true);
  m_window->Timer1_Timer();
  EXPECT_EQ(status()->text(), readyPrompt());
}

TEST_F(AboutBoxTest, DoubleClickOnTheLogoShowsTheDisclaimer) {
  sendMouse(child<QWidget>("Picture1"), QEvent::MouseButtonDblClick);
  ASSERT_EQ(m_prompter.messages().size(), 1u);
  EXPECT_EQ(m_prompter.messages()[0].text, disclaimerText());
  EXPECT_EQ(m_prompter.messages()[0].buttons, MsgButtons::Ok);
  EXPECT_EQ(m_prompter.messages()[0].icon, MsgIcon::None);
}

TEST_F(AboutBoxTest, KeySequenceInTheHelpBoxOpensTheAboutBox) {
  struct Row {
    const char* keys;
    bool opens;
  };
  const Row rows[] = {
      {"Who?", true},  {"Wxho?", true}, {"W h o ?", true}, {"who?", false},
      {"Wh?o", false}, {"WHO?", false}, {"?Who", false},   {"Woh?", false},
  };
  for (const Row& row : rows) {
    reopenWindow();
    typeKeys(child<QWidget>("txt_help"), QString::fromLatin1(row.keys));
    EXPECT_EQ(aboutBoxShown(), row.opens) << row.keys;
  }
}

TEST_F(AboutBoxTest, OnceWhoIsTypedEveryQuestionMarkOpensTheBoxAgain) {
  QWidget* helpBox = child<QWidget>("txt_help");
  typeKeys(helpBox, QStringLiteral("Who?"));
  ASSERT_TRUE(aboutBoxShown());
  FrmEE* first = m_window->aboutBox();
  first->close();
  typeKeys(helpBox, QStringLiteral("xyz"));
  EXPECT_FALSE(aboutBoxShown());
  typeKeys(helpBox, QStringLiteral("?"));
  EXPECT_TRUE(aboutBoxShown());
  EXPECT_EQ(m_window->aboutBox(), first);  // one instance, kept
  // Typing does not change the read-only help box.
  EXPECT_EQ(child<QPlainTextEdit>("txt_help")->toPlainText(), shown(disclaimerText()));
}

TEST_F(AboutBoxTest, AboutBoxNamesTheProgramAndClosesOnOk) {
  typeKeys(child<QWidget>("txt_help"), QStringLiteral("Who?"));
  FrmEE* box = m_window->aboutBox();
  ASSERT_NE(box, nullptr);
  EXPECT_TRUE(box->windowTitle().contains(QStringLiteral("Quillstead")));
  EXPECT_TRUE(box->windowTitle().contains(QStringLiteral("1.0")));
  EXPECT_FALSE(box->isModal());
  auto* icon = box->findChild<QLabel*>(QStringLiteral("picIcon"));
  ASSERT_NE(icon, nullptr);
  EXPECT_FALSE(icon->pixmap().isNull());
  box->findChild<QPushButton*>(QStringLiteral("cmdSysInfo"))->click();
  EXPECT_TRUE(box->findChild<QLabel*>(QStringLiteral("lblDescription"))
                  ->text()
                  .contains(QStringLiteral("Qt: ")));
  box->findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
  EXPECT_FALSE(box->isVisible());
  EXPECT_TRUE(m_prompter.messages().empty());
}

}  // namespace
}  // namespace quill::test
