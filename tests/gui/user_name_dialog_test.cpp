// The user-name pattern dialog, opened from the main window and driven
// through its sliders, boxes and buttons.
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QToolButton>

#include "gui/user_name_dialog.h"
#include "support/gui_support.h"

namespace quill::test {
namespace {

using Counts = std::vector<int>;  // lead, trail of patterns 1, 2, 3
const Counts kInitial = {1, 12, 2, 12, 3, 12};
const char* const kSliders[] = {"sld_Name_0",    "sld_Name_1",    "sld_SecName_0",
                                "sld_SecName_1", "sld_ThrName_0", "sld_ThrName_1"};

class UserNameDialogTest : public WindowTest {
 protected:
  void open() {
    child<QPushButton>("cmd_userNamePat")->click();
    m_dialog = qobject_cast<FrmUserName*>(m_window->userNameDialog());
    ASSERT_NE(m_dialog, nullptr);
  }
  template <typename T>
  T* part(const char* name) {
    return m_dialog->findChild<T*>(QString::fromLatin1(name));
  }
  QSlider* slider(const char* name) { return part<QSlider>(name); }
  QLineEdit* box(const char* name) { return part<QLineEdit>(name); }
  QString sentence(const char* name) { return part<QLabel>(name)->text(); }
  QStringList samples() {
    return {box("txt_UserName")->text(), box("txt_SecUserName")->text(),
            box("txt_ThrUserName")->text()};
  }
  Counts positions() {
    Counts values;
    for (const char* name : kSliders) values.push_back(slider(name)->value());
    return values;
  }
  Counts stored() {
    Counts values;
    for (const UserNamePattern& p : m_state.patterns.pattern) {
      values.insert(values.end(), {p.LeadLetters, p.TrailLetters});
    }
    return values;
  }

  QPointer<FrmUserName> m_dialog;
};

TEST_F(UserNameDialogTest, SlidersRefuseBothZeroAndAFallBackEqualToThePatternAbove) {
  open();
  slider("sld_Name_1")->setValue(0);  // (1, 0) is a pattern; (0, 0) is not
  slider("sld_Name_0")->setValue(0);
  EXPECT_EQ(slider("sld_Name_0")->value(), 1);
  EXPECT_EQ(m_beeps, 1);
  EXPECT_EQ(sentence("lbl_Explain"),
            QStringLiteral("The username will be created using first letter of the first name."));
  EXPECT_EQ(box("txt_UserName")->text(), QStringLiteral("J"));
  slider("sld_Name_1")->setValue(12);

  const struct {
    const char* slider;
    int moveTo;
    int expected;
    int beeps;
  } steps[] = {
      {"sld_SecName_0", 1, 2, 2},    // pattern 2 would equal pattern 1
      {"sld_ThrName_0", 2, 3, 3},    // pattern 3 would equal pattern 2
      {"sld_ThrName_0", 1, 1, 3},    // pattern 3 may equal pattern 1
      {"sld_Name_0", 12, 12, 3},     // pattern 1 is never bumped
      {"sld_SecName_0", 12, 11, 4},  // no room above the entire name: one below
      {"sld_ThrName_1", 4, 4, 4},   {"sld_ThrName_0", 11, 11, 4},
      {"sld_ThrName_1", 12, 11, 5},  // (11, 12) would equal pattern 2
  };
  for (const auto& step : steps) {
    slider(step.slider)->setValue(step.moveTo);
    EXPECT_EQ(slider(step.slider)->value(), step.expected) << step.slider << " " << step.moveTo;
    EXPECT_EQ(m_beeps, step.beeps) << step.slider << " " << step.moveTo;
  }
  EXPECT_EQ(samples(), QStringList({"JamesBond", "JamesBond", "JamesBond"}));
  part<QToolButton>("Command2")->click();
  EXPECT_EQ(stored(), Counts({12, 12, 11, 12, 11, 11}));
}

TEST_F(UserNameDialogTest, SwitchAndSampleNames) {
  open();
  EXPECT_EQ(samples(), QStringList({"JBond", "JaBond", "JamBond"}));
  box("txt_Name_1")->setText(QStringLiteral("Christopherson"));  // twelve letters at most
  EXPECT_EQ(samples(), QStringList({"JChristophers", "JaChristophers", "JamChristophers"}));

  part<QPushButton>("cmd_Switch")->click();  // replaces what was typed
  EXPECT_TRUE(m_state.patterns.LastNameFirst);
  EXPECT_EQ(box("txt_Name_0")->text(), QStringLiteral("Bond"));
  EXPECT_EQ(box("txt_Name_1")->text(), QStringLiteral("James"));
  EXPECT_EQ(samples(), QStringList({"BJames", "BoJames", "BonJames"}));
  EXPECT_EQ(sentence("lbl_Explain"),
            QStringLiteral("The username will be created using first letter of the last name and  "
                           "the entire first name."));
  EXPECT_EQ(sentence("lbl_thrExplain"),
            QStringLiteral("The username will be created using first 3 letters of the last name "
                           "and  the entire first name"));
  part<QPushButton>("cmd_Switch")->click();
  EXPECT_FALSE(m_state.patterns.LastNameFirst);
  EXPECT_EQ(samples(), QStringList({"JBond", "JaBond", "JamBond"}));
  EXPECT_EQ(m_beeps, 0);
}

TEST_F(UserNameDialogTest, Command2HidesAndTheNextOpeningShowsTheSameStateUnrefreshed) {
  open();
  box("txt_Name_0")->setText(QStringLiteral("Zed"));
  slider("sld_ThrName_1")->setValue(5);
  slider("sld_Name_0")->setValue(2);  // now equal to pattern 2, which is not refreshed
  part<QToolButton>("Command2")->click();
  EXPECT_FALSE(m_dialog->isVisible());
  const Counts expected = {2, 12, 2, 12, 3, 5};
  EXPECT_EQ(stored(), expected);

  FrmUserName* first = m_dialog;
  open();
  EXPECT_TRUE(m_dialog == first && m_dialog->isVisible());
  EXPECT_EQ(positions(), expected);
  EXPECT_EQ(box("txt_Name_0")->text(), QStringLiteral("Zed"));
  EXPECT_EQ(m_beeps, 0);                              // no refresh on showing, so no bump yet
  box("txt_Name_0")->setText(QStringLiteral("Zoe"));  // a name change refreshes
  EXPECT_EQ(slider("sld_SecName_0")->value(), 3);
  EXPECT_EQ(m_beeps, 1);
}

TEST_F(UserNameDialogTest, TheCloseBoxWritesBackAndTheNextOpeningStartsAfresh) {
  open();
  part<QPushButton>("cmd_Switch")->click();
  slider("sld_Name_0")->setValue(4);
  slider("sld_SecName_1")->setValue(7);
  EXPECT_TRUE(m_dialog->close());
  EXPECT_EQ(stored(), Counts({4, 12, 2, 7, 3, 12}));
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(m_dialog.isNull());

  open();
  EXPECT_EQ(positions(), kInitial);  // the stored patterns are not read back
  for (const char* name : kSliders) {
    const QSlider* s = slider(name);
    EXPECT_TRUE(s->minimum() == 0 && s->maximum() == 12 && s->singleStep() == 1 &&
                s->pageStep() == 5)
        << name;
  }
  EXPECT_EQ(box("txt_Name_0")->text(), QStringLiteral("James"));
  EXPECT_EQ(box("txt_Name_1")->text(), QStringLiteral("Bond"));
  EXPECT_TRUE(m_state.patterns.LastNameFirst);
  EXPECT_EQ(stored(), Counts({4, 12, 2, 7, 3, 12}));

  // Closing the main window unloads the dialog, which writes back.
  slider("sld_ThrName_0")->setValue(6);
  EXPECT_TRUE(m_window->close());
  EXPECT_EQ(stored(), Counts({1, 12, 2, 12, 6, 12}));
}

}  // namespace
}  // namespace quill::test
