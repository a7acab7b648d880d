// Context help on pointer events, and the focus handlers of the text boxes.
#include <QCoreApplication>
#include <QDropEvent>
#include <QFocusEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>

#include "gui/context_help.h"
#include "gui/help_texts.h"
#include "support/gui_support.h"

namespace quill::test {
namespace {

class ContextHelpTest : public WindowTest {
 protected:
  QPlainTextEdit* help() { return child<QPlainTextEdit>("txt_help"); }
  void putInHelp(const QString& text) { m_window->setHelp(text); }
};

TEST_F(ContextHelpTest, PointerOverAnOptionShowsItsText) {
  struct Row {
    const char* control;
    int text;
  };
  const Row rows[] = {
      {"chk_CreateFullTree", 1},
      {"chk_CreateOUs", 2},
      {"chk_CreateDep", 3},
      {"chk_CreateDuty", 4},
      {"chk_CreateUsers", 5},
      {"chk_UsersOnSpecificOU", 6},
      {"txt_UsersOU", 6},
      {"chk_EmailDomain", 7},
      {"txt_EmailDomain", 7},
      {"chk_PrivDir", 8},
      {"opt_PrivateDirsLocation_0", 9},
      {"opt_PrivateDirsLocation_1", 9},
      {"chk_PubDirSingle", 10},
      {"cmd_Browse4CSV", 12},
      {"cmd_Browse4FullFS", 12},
      {"cmd_GroupsOUBrowse", 13},
      {"cmd_UsersOUBrowse", 13},
      {"cmd_Browse4UsersOU", 13},
      {"cmd_userNamePat", 14},
      {"txt_CSVFile", 15},
      {"txt_DepartmentOU", 16},
      {"txt_GroupsOU", 17},
      {"txt_DirRoot", 18},
      {"txt_Domain", 19},
      {"txt_Password_0", 20},
      {"txt_Password_1", 20},
  };
  for (const Row& row : rows) {
    QWidget* control = child<QWidget>(row.control);
    putInHelp(QStringLiteral("before"));
    sendEnter(control);
    EXPECT_EQ(help()->toPlainText(), shown(helpText(static_cast<HelpTopic>(row.text))))
        << row.control;
    putInHelp(QStringLiteral("a progress line"));
    sendMouseMove(control);  // moving on over it writes the text again
    EXPECT_EQ(help()->toPlainText(), shown(helpText(static_cast<HelpTopic>(row.text))))
        << row.control;
  }
}

TEST_F(ContextHelpTest, PublicFolderPerDepartmentShowsItsTextOnlyOnButtonRelease) {
  QWidget* box = child<QWidget>("chk_PubDirDep");
  putInHelp(QStringLiteral("before"));
  sendEnter(box);
  sendMouseMove(box);
  EXPECT_EQ(help()->toPlainText(), QStringLiteral("before"));
  sendMouse(box, QEvent::MouseButtonRelease);
  EXPECT_EQ(help()->toPlainText(), shown(helpText(static_cast<HelpTopic>(11))));
}

TEST_F(ContextHelpTest, FreeAreaOfEitherFrameClearsTheBox) {
  m_window->show();  // lays the controls out
  for (const char* frame : {"Frame1", "Frame2"}) {
    QWidget* f = child<QWidget>(frame);
    const QPoint freeArea(f->width() - 3, f->height() - 3);
    ASSERT_EQ(f->childAt(freeArea), nullptr) << frame;
    sendEnter(child<QWidget>("chk_CreateFullTree"));
    ASSERT_FALSE(help()->toPlainText().isEmpty());
    sendMouseMove(f, freeArea);
    EXPECT_TRUE(help()->toPlainText().isEmpty()) << frame;
    putInHelp(QStringLiteral("x"));
    sendEnter(f, freeArea);
    EXPECT_TRUE(help()->toPlainText().isEmpty()) << frame;
    // A move that a control passes on to its frame is not the free area.
    putInHelp(QStringLiteral("x"));
    QWidget* inside = f->childAt(QPoint(f->width() / 2, f->height() / 2));
    ASSERT_NE(inside, nullptr) << frame;
    sendMouseMove(f, inside->geometry().center());
    EXPECT_EQ(help()->toPlainText(), QStringLiteral("x")) << frame;
  }
}

TEST_F(ContextHelpTest, DropOntoTheDirectoryFrameClearsTheBox) {
  // A drop reaches a widget only during a real drag; give it to the
  // window's filters the way the application would.
  ContextHelp* filters = m_window->findChild<ContextHelp*>();
  ASSERT_NE(filters, nullptr);
  QMimeData data;
  data.setText(QStringLiteral("dragged"));
  for (const char* frame : {"Frame1", "Frame2"}) {
    putInHelp(QStringLiteral("x"));
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    static_cast<QObject*>(filters)->eventFilter(child<QWidget>(frame), &drop);
    // Only the directory options frame takes drops.
    EXPECT_EQ(help()->toPlainText().isEmpty(), QByteArray(frame) == "Frame1") << frame;
  }
  EXPECT_TRUE(child<QWidget>("Frame1")->acceptDrops());
}

TEST_F(ContextHelpTest, ControlsWithoutHelpLeaveTheTextAlone) {
  for (const char* name : {"cmd_GO", "Command2", "cmd_PreviewOU", "cmd_PreviewGrp", "cmd_PreviewFS",
                           "chk_HiddenShares", "Label2", "Label7", "txt_help"}) {
    putInHelp(QStringLiteral("stays"));
    sendEnter(child<QWidget>(name));
    sendMouseMove(child<QWidget>(name));
    EXPECT_EQ(help()->toPlainText(), QStringLiteral("stays")) << name;
  }
}

TEST_F(ContextHelpTest, HelpTextsKeepTheirLinesAndSample) {
  const QStringList h1 = helpText(static_cast<HelpTopic>(1)).split(QStringLiteral("\r\n"));
  ASSERT_EQ(h1.size(), 12);
  const char* items[] = {"    A.  First name.",
                         "    B.  Last name.",
                         "    C.  Login name.",
                         "    D.  User principle name.",
                         "    E.  E-Mail address (in the form of username@domain FQDN).",
                         "    F.  Phone number."};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(h1[3 + i], QString::fromLatin1(items[i])) << i;
  EXPECT_EQ(helpText(static_cast<HelpTopic>(14)).split(QStringLiteral("\r\n")).value(1),
            QStringLiteral("Smaple : James Bond will be JBond or JamesB..."));
  EXPECT_EQ(helpText(static_cast<HelpTopic>(19)),
            QStringLiteral("Enter fully qualified domain name. Sample: example.test"));
  EXPECT_TRUE(helpText(static_cast<HelpTopic>(21)).isEmpty());
  // The help box shows each line of a text on a line of its own.
  putInHelp(helpText(static_cast<HelpTopic>(1)));
  EXPECT_EQ(help()->document()->blockCount(), 12);
}

TEST_F(ContextHelpTest, TextBoxesSelectTheirTextOnFocus) {
  for (const char* name : {"txt_CSVFile", "txt_DirRoot", "txt_Domain", "txt_EmailDomain",
                           "txt_Password_0", "txt_Password_1"}) {
    auto* box = child<QLineEdit>(name);
    box->setText(QStringLiteral("some text"));
    box->deselect();
    QFocusEvent focusIn(QEvent::FocusIn, Qt::MouseFocusReason);
    QCoreApplication::sendEvent(box, &focusIn);
    EXPECT_EQ(box->selectionStart(), 0) << name;
    EXPECT_EQ(box->selectionLength(), box->text().size()) << name;
  }
}

TEST_F(ContextHelpTest, LeavingTheDomainBoxCarriesTheDomainIntoTheEmailDomain) {
  auto* domain = child<QLineEdit>("txt_Domain");
  auto* email = child<QLineEdit>("txt_EmailDomain");
  email->setText(QStringLiteral("typed.before"));
  domain->setText(QStringLiteral("corp.example"));
  QFocusEvent focusOut(QEvent::FocusOut, Qt::TabFocusReason);
  QCoreApplication::sendEvent(domain, &focusOut);
  EXPECT_EQ(email->text(), QStringLiteral("corp.example"));
  // Leaving another box copies nothing.
  email->setText(QStringLiteral("kept"));
  QCoreApplication::sendEvent(child<QLineEdit>("txt_DirRoot"), &focusOut);
  EXPECT_EQ(email->text(), QStringLiteral("kept"));
}

}  // namespace
}  // namespace quill::test
