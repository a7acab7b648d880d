// The OU browser over the directory of the fixture's Samba DC: it lists the domain's containers
// and organizational units, enters the skeleton's OU=OU's and creates an OU there, which ldapsearch
// (a separate process, not the code under test) then finds. Also opened over the backends that
// ask "Connect as" through the prompter.
#include <QLineEdit>
#include <QListWidget>
#include <deque>
#include <memory>
#include <set>

#include "app/app_state.h"
#include "gui/connect_as_dialog.h"
#include "gui/ou_browser_dialog.h"
#include "net/ldap_directory.h"
#include "net/net_credentials.h"
#include "net/net_lazy_backends.h"
#include "support/gui_support.h"
#include "support/qt_print.h"
#include "support/samba_dc.h"

namespace quill::test {
namespace {

const QString kUp = QStringLiteral("Up one level");
const QStringList kSkeleton = {QStringLiteral("Users"), QStringLiteral("Groups"),
                               QStringLiteral("GPO's"), QStringLiteral("Computers")};

// A scripted prompter that also answers the "Connect as" dialog from a script
// (cancelling once it is used up) and counts how often it was shown.
class ConnectAsPrompter : public ScriptedPrompter {
 public:
  void scriptCredentials(const QString& user, const QString& domain, const QString& password) {
    m_credentials.push_back(ConnectAsCredentials{user, domain, password});
  }
  std::optional<ConnectAsCredentials> connectAs(QWidget*, const ConnectAsCredentials&) override {
    ++m_shown;
    if (m_credentials.empty()) return std::nullopt;
    ConnectAsCredentials next = m_credentials.front();
    m_credentials.pop_front();
    return next;
  }
  int shown() const { return m_shown; }

 private:
  std::deque<ConnectAsCredentials> m_credentials;
  int m_shown = 0;
};

class SambaOuBrowser : public ::testing::Test {
 protected:
  void SetUp() override {
    QString why;
    m_dc = SambaDc::fromEnvironment(&why);
    if (!m_dc) GTEST_SKIP() << why.toStdString();
    m_ca = std::make_unique<EnvGuard>("LDAPTLS_CACERT", m_dc->caCert().toUtf8());
    m_state.DomainFqdn = m_dc->domain();
    m_state.BrowseTarget = OuBox::DepartmentOU;
  }
  void TearDown() override { m_browser.reset(); }

  // Administrator as the fixture's authfile names it, to the DC's address.
  NetSettings adminFromAuthFile() {
    NetCredentials admin;
    QString error;
    EXPECT_TRUE(loadAuthFile(m_dc->value("QUILL_DC_AUTH"), &admin, &error)) << error.toStdString();
    NetSettings settings;
    settings.dcHost = m_dc->host();
    settings.user = admin.user;
    settings.domain = admin.domain;
    settings.password = admin.password;
    return settings;
  }

  // The run's OU skeleton, as the OU tree step leaves it: OU=OU's under the
  // root with its four OUs. An earlier test or run may have made it already.
  void makeSkeleton(DirectoryService& dir) {
    PendingError err;
    std::unique_ptr<DirObject> parent = dir.Bind(QStringLiteral("LDAP://") + m_dc->domain(), err);
    ASSERT_TRUE(parent) << err.description().toStdString();
    for (const QString& name : QStringList{QStringLiteral("OU's")} + kSkeleton) {
      err.clear();
      std::unique_ptr<DirObject> ou = dir.Create(*parent, QStringLiteral("organizationalUnit"),
                                                 QStringLiteral("OU=") + name, err);
      ASSERT_TRUE(ou) << name.toStdString();
      dir.SetInfo(*ou, err);
      ASSERT_TRUE(!err.isSet() || err.number() == kErrAlreadyExists)
          << name.toStdString() << ": " << err.description().toStdString();
      if (name == QStringLiteral("OU's")) {
        err.clear();
        parent = dir.Bind(
            QStringLiteral("LDAP://%1/OU=OU's,%2").arg(m_dc->domain(), m_dc->baseDn()), err);
        ASSERT_TRUE(parent) << err.description().toStdString();
      }
    }
  }

  void open(DirectoryService& dir, Prompter& prompter) {
    m_browser = std::make_unique<FrmBrowse4OU>(
        dir, m_state, prompter,
        [this](OuBox target, const QString& path) {
          m_delivered << QString::number(static_cast<int>(target)) + u' ' + path;
        },
        nullptr);
    m_browser->showAtDomainRoot();
  }

  QStringList listed() const {
    auto* list = m_browser->findChild<QListWidget*>(QStringLiteral("lst_Browse"));
    QStringList texts;
    for (int row = 0; list && row < list->count(); ++row) texts << list->item(row)->text();
    return texts;
  }
  QString shownPath() const {
    return m_browser->findChild<QLineEdit*>(QStringLiteral("txt_CurCont"))->text();
  }
  void enter(const QString& text) {
    auto* list = m_browser->findChild<QListWidget*>(QStringLiteral("lst_Browse"));
    const QList<QListWidgetItem*> found = list->findItems(text, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << text.toStdString();
    list->setCurrentItem(found.front());
    m_browser->lst_Browse_DblClick();
  }

  // What ldapsearch says lives directly under dn: the names of the children
  // whose most specific class is container or organizationalUnit, and the
  // count of them (names with escapes are counted but not named).
  std::pair<std::set<QString>, int> containersUnder(const QString& dn) const {
    const QString ldif = m_dc->search(dn, QStringLiteral("one"), QStringLiteral("(objectClass=*)"),
                                      {QStringLiteral("objectClass")});
    std::set<QString> names;
    int count = 0;
    for (const QString& entry : ldif.split(QStringLiteral("\n\n"), Qt::SkipEmptyParts)) {
      QString childDn;
      QString lastClass;
      for (const QString& line : entry.split(u'\n')) {
        if (line.startsWith(u"dn:: "))
          childDn = QString::fromUtf8(QByteArray::fromBase64(line.mid(5).toLatin1()));
        else if (line.startsWith(u"dn: "))
          childDn = line.mid(4);
        else if (line.startsWith(u"objectClass: "))
          lastClass = line.mid(13);
      }
      if (childDn.isEmpty()) continue;
      if (lastClass != QStringLiteral("container") &&
          lastClass != QStringLiteral("organizationalUnit")) {
        continue;
      }
      ++count;
      const QString rdn = childDn.section(u',', 0, 0);
      if (!childDn.contains(u'\\')) names.insert(rdn.mid(3));
    }
    return {names, count};
  }

  std::optional<SambaDc> m_dc;
  std::unique_ptr<EnvGuard> m_ca;
  AppState m_state;
  std::unique_ptr<FrmBrowse4OU> m_browser;
  QStringList m_delivered;
};

TEST_F(SambaOuBrowser, ListsTheDomainEntersOusAndCreatesOneThatTheDirectoryKeeps) {
  LdapDirectory dir(adminFromAuthFile());
  makeSkeleton(dir);
  ScriptedPrompter prompter;
  open(dir, prompter);

  // The root: "Up one level", then the containers and OUs only, as the directory has them.
  const QString root = QStringLiteral("LDAP://") + m_dc->domain();
  EXPECT_EQ(m_browser->currentPath(), root);
  EXPECT_EQ(shownPath(), m_dc->baseDn());
  const QStringList atRoot = listed();
  ASSERT_FALSE(atRoot.isEmpty());
  EXPECT_EQ(atRoot.front(), kUp);
  for (const char* name : {"Users", "Computers", "Domain Controllers", "OU's"}) {
    EXPECT_TRUE(atRoot.contains(QString::fromLatin1(name)))
        << name << atRoot.join(u'|').toStdString();
  }
  for (const char* name : {"Builtin", "Infrastructure", "LostAndFound"}) {
    EXPECT_FALSE(atRoot.contains(QString::fromLatin1(name))) << name;
  }
  const auto [rootNames, rootCount] = containersUnder(m_dc->baseDn());
  EXPECT_EQ(atRoot.size() - 1, rootCount) << atRoot.join(u'|').toStdString();
  for (const QString& name : rootNames) EXPECT_TRUE(atRoot.contains(name)) << name.toStdString();

  // Into the skeleton.
  enter(QStringLiteral("OU's"));
  const QString skeletonDn = QStringLiteral("OU=OU's,") + m_dc->baseDn();
  EXPECT_EQ(m_browser->currentPath(), root + u'/' + skeletonDn);
  EXPECT_EQ(shownPath(), skeletonDn);
  for (const QString& name : kSkeleton) EXPECT_TRUE(listed().contains(name)) << name.toStdString();

  // A new OU, named in the input box.
  const QString name = uniqueName(QStringLiteral("Browsed "));
  prompter.scriptInputs({name});
  m_browser->Command1_Click();
  EXPECT_EQ(prompter.inputPrompts(),
            QStringList{QStringLiteral("Enter a name for the new organizational unit:")});
  EXPECT_EQ(prompter.messageTexts(), QStringList());
  EXPECT_TRUE(listed().contains(name)) << listed().join(u'|').toStdString();
  EXPECT_EQ(m_browser->currentPath(), root + u'/' + skeletonDn);

  const QString newDn = QStringLiteral("OU=") + name + u',' + skeletonDn;
  const QString found =
      m_dc->search(newDn, QStringLiteral("base"), QStringLiteral("(objectClass=*)"),
                   {QStringLiteral("objectClass")});
  EXPECT_TRUE(found.contains(QStringLiteral("dn: ") + newDn)) << found.toStdString();
  EXPECT_TRUE(found.contains(QStringLiteral("objectClass: organizationalUnit")))
      << found.toStdString();

  // The same name again fails silently and leaves one entry.
  prompter.scriptInputs({name});
  m_browser->Command1_Click();
  EXPECT_EQ(prompter.messageTexts(), QStringList());
  EXPECT_EQ(listed().count(name), 1);

  // Accepting the new OU hands its full path to the target box.
  enter(kUp);
  EXPECT_EQ(m_browser->currentPath(), root + u'/' + m_dc->baseDn());
  enter(QStringLiteral("OU's"));
  auto* list = m_browser->findChild<QListWidget*>(QStringLiteral("lst_Browse"));
  list->setCurrentItem(list->findItems(name, Qt::MatchExactly).front());
  m_browser->Command2_Click();
  EXPECT_EQ(m_delivered, QStringList{QStringLiteral("2 ") + root + u'/' + newDn});
  EXPECT_TRUE(m_browser->isHidden());
}

TEST_F(SambaOuBrowser, OverConnectAsBackendsTheWindowsPrompterAsksAndTheRootIsListed) {
  ConnectAsPrompter prompter;
  const NetSettings admin = adminFromAuthFile();
  prompter.scriptCredentials(admin.user, admin.domain, QStringLiteral("Wrong-Password-1"));
  prompter.scriptAnswers({MsgAnswer::Yes});
  prompter.scriptCredentials(admin.user, admin.domain, admin.password);
  NetSettings settings;
  settings.dcHost = m_dc->host();
  std::unique_ptr<Backends> backends = openConnectAsBackends(settings, connectAsProvider(prompter));
  backends->setRunDomain(m_dc->domain());
  open(*backends->platform().directory, prompter);

  EXPECT_EQ(prompter.shown(), 2);
  ASSERT_EQ(prompter.messages().size(), 1u);
  EXPECT_EQ(prompter.messages().front().text, QString::fromLatin1(kLogonFailedQuestion));
  EXPECT_EQ(prompter.messages().front().buttons, MsgButtons::YesNo);
  EXPECT_TRUE(listed().contains(QStringLiteral("Users"))) << listed().join(u'|').toStdString();
  EXPECT_EQ(shownPath(), m_dc->baseDn());
}

}  // namespace
}  // namespace quill::test
