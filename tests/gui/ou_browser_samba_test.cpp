// The OU browser over the directory of the fixture's Samba DC: it lists the domain's containers
// and organizational units, enters the run's OU=OU's and creates an OU there, which ldapsearch
// (a separate process, not the code under test) then finds.
#include "gui/ou_browser_dialog.h"
#include "net/ldap_directory.h"
#include "support/gui_support.h"
#include "support/samba_dc.h"

namespace quill::test {
namespace {

TEST(SambaOuBrowser, ListsTheDomainEntersOusAndCreatesOneThatTheDirectoryKeeps) {
  QString why;
  const std::optional<SambaDc> dc = SambaDc::fromEnvironment(&why);
  if (!dc) GTEST_SKIP() << why.toStdString();
  const EnvGuard ca("LDAPTLS_CACERT", dc->caCert().toUtf8());
  LdapDirectory dir(dc->adminSettings());
  AppState state;
  state.DomainFqdn = dc->domain();
  state.BrowseTarget = OuBox::DepartmentOU;
  ScriptedPrompter prompter;
  QStringList delivered;
  FrmBrowse4OU browser(
      dir, state, prompter,
      [&](OuBox target, const QString& path) { delivered << u"%1 "_s.arg(int(target)) + path; },
      nullptr);
  auto* list = part<QListWidget>(&browser, "lst_Browse");
  const auto newOu = [&](const QString& name) {
    prompter.texts = {name};
    browser.Command1_Click();
  };
  const auto where = [&] {
    return browser.currentPath() + u' ' + part<QLineEdit>(&browser, "txt_CurCont")->text();
  };

  // The root: "Up one level", then the containers and OUs only.
  browser.showAtDomainRoot();
  const QString root = u"LDAP://"_s + dc->domain();
  EXPECT_EQ(where(), root + u' ' + dc->baseDn());
  newOu(u"OU's"_s);  // as a run leaves it; an earlier test or run may have made it already
  const QStringList atRoot = itemTexts(list);
  EXPECT_EQ(atRoot.value(0), u"Up one level"_s);
  for (const char* name : {"Users", "Computers", "Domain Controllers", "OU's"})
    EXPECT_TRUE(atRoot.contains(QLatin1String(name))) << name << atRoot.join(u'|').toStdString();
  for (const char* name : {"Builtin", "Infrastructure", "LostAndFound"})
    EXPECT_FALSE(atRoot.contains(QLatin1String(name))) << name;
  selectItem(list, u"OU's"_s);
  browser.lst_Browse_DblClick();
  const QString skeleton = u"OU=OU's,"_s + dc->baseDn();
  EXPECT_EQ(where(), root + u'/' + skeleton + u' ' + skeleton);

  // A new OU, named in the input box, that the directory keeps; the same
  // name again fails silently and leaves one entry.
  const QString name = uniqueName(u"Browsed "_s);
  newOu(name);
  newOu(name);
  EXPECT_EQ(itemTexts(list).count(name), 1) << itemTexts(list).join(u'|').toStdString();
  EXPECT_EQ(prompter.messageTexts(), "");
  const QString newDn = u"OU="_s + name + u',' + skeleton;
  EXPECT_EQ(dc->attributeValues(newDn, u"ou"_s), QStringList{name});
  // Accepting it hands its full path to the target box.
  selectItem(list, name);
  browser.Command2_Click();
  EXPECT_EQ(delivered, QStringList{u"2 "_s + root + u'/' + newDn});
  EXPECT_TRUE(browser.isHidden());
}

}  // namespace
}  // namespace quill::test
