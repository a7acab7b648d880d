// The OU browser over a fresh sandbox, opened from the main window's browse
// buttons and driven through its controls.
#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QToolButton>

#include "gui/ou_browser_dialog.h"
#include "sandbox/memory_directory.h"
#include "support/gui_support.h"

namespace quill::test {
namespace {

const QString kRoot = QStringLiteral("LDAP://example.test");
const QString kUp = QStringLiteral("Up one level");
const QStringList kRootListing = {kUp, QStringLiteral("Users"), QStringLiteral("Computers"),
                                  QStringLiteral("Domain Controllers")};

class OuBrowserTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    child<QCheckBox>("chk_CreateFullTree")->click();  // shows the OU rows
  }
  void open(const char* button = "cmd_GroupsOUBrowse") {
    child<QPushButton>(button)->click();
    m_browser = qobject_cast<FrmBrowse4OU*>(m_window->ouBrowser());
    ASSERT_NE(m_browser, nullptr);
  }
  template <typename T>
  T* part(const char* name) {
    return m_browser->findChild<T*>(QString::fromLatin1(name));
  }
  QString shownPath() { return part<QLineEdit>("txt_CurCont")->text(); }
  std::string message() {
    QLabel* line = part<QLabel>("lbl_Message");
    return line->isHidden() ? std::string() : line->text().toStdString();
  }
  QStringList listed() {
    QStringList texts;
    auto* list = part<QListWidget>("lst_Browse");
    for (int row = 0; row < list->count(); ++row) texts << list->item(row)->text();
    return texts;
  }
  // Selects the entry text; an empty text clears the selection.
  void select(const QString& text) {
    auto* list = part<QListWidget>("lst_Browse");
    list->clearSelection();
    if (text.isEmpty()) return;
    const QList<QListWidgetItem*> found = list->findItems(text, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << text.toStdString();
    list->setCurrentItem(found.front());
  }
  void enter(const QString& text) {
    select(text);
    m_browser->lst_Browse_DblClick();
  }
  // As the mouse does it, on the list's viewport.
  void doubleClick(const QString& text) {
    auto* list = part<QListWidget>("lst_Browse");
    const QList<QListWidgetItem*> found = list->findItems(text, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << text.toStdString();
    const QPointF at = list->visualItemRect(found.front()).center();
    const QPointF global = list->viewport()->mapToGlobal(at);
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                              QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease}) {
      const bool held = type != QEvent::MouseButtonRelease;
      QMouseEvent event(type, at, global, Qt::LeftButton, held ? Qt::LeftButton : Qt::NoButton,
                        Qt::NoModifier);
      QCoreApplication::sendEvent(list->viewport(), &event);
    }
  }
  void accept(const QString& selected) {
    select(selected);
    part<QToolButton>("Command2")->click();
  }
  void newOu(const QString& name) {
    m_prompter.scriptInputs({name});
    part<QToolButton>("Command1")->click();
  }
  MemoryDirectory& directory() { return m_sandbox->directory(); }

  FrmBrowse4OU* m_browser = nullptr;
};

TEST_F(OuBrowserTest, WalksContainersAndSurvivesAParentAboveTheRoot) {
  open();
  EXPECT_EQ(listed(), kRootListing);  // no CN=Builtin (builtinDomain)
  EXPECT_EQ(shownPath(), QStringLiteral("DC=example,DC=test"));
  enter(kUp);  // at the root as first opened: nothing happens
  EXPECT_EQ(m_browser->currentPath(), kRoot);

  doubleClick(QStringLiteral("Users"));  // holds only users and groups
  EXPECT_EQ(shownPath(), QStringLiteral("CN=Users,DC=example,DC=test"));
  EXPECT_EQ(listed(), QStringList({kUp}));
  enter(kUp);
  EXPECT_EQ(m_browser->currentPath(), kRoot + QStringLiteral("/DC=example,DC=test"));
  EXPECT_EQ(shownPath(), QStringLiteral("DC=example,DC=test"));
  EXPECT_EQ(listed(), kRootListing);

  // The root reached from below has a Parent (DC=test) that does not bind:
  // the dialog stays where it is and says why.
  enter(kUp);
  EXPECT_EQ(m_browser->currentPath(), kRoot + QStringLiteral("/DC=example,DC=test"));
  EXPECT_EQ(listed(), kRootListing);
  EXPECT_NE(message().find("LDAP://example.test/DC=test"), std::string::npos) << message();
  enter(QStringLiteral("Domain Controllers"));
  EXPECT_EQ(shownPath(), QStringLiteral("OU=Domain Controllers,DC=example,DC=test"));
  EXPECT_EQ(message(), "");
  EXPECT_TRUE(m_prompter.messages().empty());
}

TEST_F(OuBrowserTest, CreatesOusOnlyWhereAllowedAndReportsRefusals) {
  open();
  newOu(QStringLiteral("Sales"));
  newOu(QStringLiteral("Sales"));  // exists already: fails silently
  EXPECT_TRUE(directory().contains(QStringLiteral("OU=Sales,DC=example,DC=test")));
  EXPECT_EQ(listed(), kRootListing + QStringList({QStringLiteral("Sales")}));
  EXPECT_TRUE(m_prompter.messages().empty());

  newOu(QString());  // cancelled or empty
  directory().setReadOnly(true);
  newOu(QStringLiteral("Denied"));
  directory().setReadOnly(false);
  enter(QStringLiteral("Users"));
  newOu(QStringLiteral("Never"));  // refused before the name is asked
  EXPECT_EQ(m_prompter.inputPrompts(),
            QStringList(4, QStringLiteral("Enter a name for the new organizational unit:")));
  EXPECT_FALSE(directory().contains(QStringLiteral("OU=Denied,DC=example,DC=test")));

  const ScriptedPrompter::Message expected[] = {
      {QStringLiteral("Error. You must specify a name"), MsgButtons::Ok, MsgIcon::None},
      {QStringLiteral("Error. Access denied."), MsgButtons::Ok, MsgIcon::None},
      {QStringLiteral("Current container is not an organizational unit, Please select a "
                      "different container."),
       MsgButtons::Ok, MsgIcon::Critical}};
  ASSERT_EQ(m_prompter.messages().size(), 3u);
  for (std::size_t i = 0; i < 3; ++i) {
    const ScriptedPrompter::Message& got = m_prompter.messages()[i];
    EXPECT_EQ(got.text, expected[i].text) << i;
    EXPECT_TRUE(got.icon == expected[i].icon && got.buttons == expected[i].buttons) << i;
  }
}

TEST_F(OuBrowserTest, AcceptsIntoTheBoxOfItsButtonWithAndWithoutASelection) {
  const struct {
    const char* button;
    const char* box;
  } rows[] = {{"cmd_GroupsOUBrowse", "txt_GroupsOU"},
              {"cmd_UsersOUBrowse", "txt_DepartmentOU"},
              {"cmd_Browse4UsersOU", "txt_UsersOU"}};
  for (const auto& row : rows) {
    open(row.button);
    accept(QString());  // nothing selected: the current path
    EXPECT_EQ(child<QLineEdit>(row.box)->text(), kRoot) << row.button;
    EXPECT_FALSE(m_browser->isVisible()) << row.button;
    open(row.button);  // the same dialog, back at the root
    accept(QStringLiteral("Domain Controllers"));
    EXPECT_EQ(child<QLineEdit>(row.box)->text(),
              kRoot + QStringLiteral("/OU=Domain Controllers,DC=example,DC=test"))
        << row.button;
  }
  open();
  enter(QStringLiteral("Users"));
  accept(kUp);
  EXPECT_EQ(child<QLineEdit>("txt_GroupsOU")->text(),
            kRoot + QStringLiteral("/CN=Users,DC=example,DC=test"));
  EXPECT_EQ(m_window->findChildren<FrmBrowse4OU*>().size(), 1);
}

TEST_F(OuBrowserTest, HostileNamesAreEnteredByTheirEscapedDnAndShownPlain) {
  const struct {
    QString name;
    QString rdn;
  } cases[] = {{QStringLiteral("a,b+c\\d"), QStringLiteral("OU=a\\,b\\+c\\\\d")},
               {QStringLiteral("x/y=z;\"q\""), QStringLiteral("OU=x/y=z\\;\\\"q\\\"")},
               {QStringLiteral("#lead "), QStringLiteral("OU=\\#lead\\ ")}};
  for (const auto& c : cases) {
    const QString dn = c.rdn + QStringLiteral(",DC=example,DC=test");
    open();
    newOu(c.name);
    enter(c.name);
    EXPECT_EQ(shownPath(), dn);
    newOu(QStringLiteral("inner"));
    EXPECT_TRUE(directory().contains(QStringLiteral("OU=inner,") + dn)) << dn.toStdString();
    EXPECT_EQ(listed(), QStringList({kUp, QStringLiteral("inner")}));
    accept(QString());
    EXPECT_EQ(child<QLineEdit>("txt_GroupsOU")->text(), kRoot + u'/' + dn);
  }
  EXPECT_TRUE(m_prompter.messages().empty());
}

TEST_F(OuBrowserTest, FailedBindsKeepTheDialogConsistent) {
  open();
  // A container that vanished after it was listed is not accepted in its place.
  const QByteArray before = directory().toLdif();
  newOu(QStringLiteral("Gone"));
  QString error;
  ASSERT_TRUE(directory().fromLdif(before, &error)) << error.toStdString();
  accept(QStringLiteral("Gone"));
  EXPECT_TRUE(m_browser->isVisible());
  EXPECT_TRUE(child<QLineEdit>("txt_GroupsOU")->text().isEmpty());
  EXPECT_EQ(m_browser->currentPath(), kRoot);
  EXPECT_NE(message(), "");

  // A domain no server answers for: its root, empty, with only the way up.
  m_state.DomainFqdn = QStringLiteral("other.test");
  m_browser->showAtDomainRoot();
  enter(kUp);
  EXPECT_EQ(m_browser->currentPath(), QStringLiteral("LDAP://other.test"));
  EXPECT_EQ(shownPath(), QStringLiteral("DC=other,DC=test"));
  EXPECT_EQ(listed(), QStringList({kUp}));
  EXPECT_NE(message(), "");
  EXPECT_TRUE(m_prompter.messages().empty());
}

}  // namespace
}  // namespace quill::test
