#include "support/backend_contracts.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <set>

#include "core/dn.h"

namespace quill::test {

void DirectoryContract::SetUp() {
  Contract::SetUp();
  if (IsSkipped()) return;
  base = "DC=" + QString(w->domain()).replace('.', ",DC=");
  const QString name = "OU=" + uniqueName("c");  // the test's own, under the domain root
  ASSERT_TRUE(ou = dir().Bind(path(base), err)) << err.description();
  ASSERT_EQ(make("organizationalUnit", name), 0u);
  ASSERT_TRUE(ou = dir().Bind(path(name + ',' + base), err)) << err.description();
}

uint32_t DirectoryContract::make(const QString& cls, const QString& rdn, const QString& sam) {
  PendingError e;
  std::unique_ptr<DirObject> obj = dir().Create(*ou, cls, rdn, e);
  if (obj && !sam.isEmpty()) dir().Put(*obj, "samAccountName", sam);  // any spelling will do
  if (obj) dir().SetInfo(*obj, e);
  return e.number();
}

TEST_P(DirectoryContract, BindsGetsAndNamesWhatItFinds) {
  const std::unique_ptr<DirObject> root = dir().Bind("LDAP://" + w->domain(), err),
                                   users = dir().Bind("LDAP://CN=Users," + base, err);  // no host
  ASSERT_TRUE(root && users) << err.description();
  EXPECT_EQ(root->dn.toLower() + ' ' + DirectoryService::Class(*root),
            base.toLower() + " domainDNS");
  EXPECT_EQ(DirectoryService::Class(*users) + DirectoryService::Name(*users), "containerCN=Users");
  EXPECT_EQ(dir().Get(*users, "distinguishedName", err) + dir().Get(*users, "cn", err),
            users->dn + "Users");
  EXPECT_FALSE(err.isSet()) << err.description();
  EXPECT_FALSE(dir().Bind(path("OU=x,,DC=quill"), err));
  EXPECT_EQ(err.number(), kErrInvalidDnSyntax);
  EXPECT_FALSE(dir().Bind(path("OU=Nowhere," + base), err));
  EXPECT_EQ(err.number(), kErrNoSuchObject);
  EXPECT_EQ(dir().Get(*users, "mail", err), "");
  EXPECT_EQ(err.number(), kErrPropertyNotFound);
  EXPECT_TRUE(dir().Bind(path(users->dn), err));  // a success leaves the pending error
  EXPECT_EQ(err.number(), kErrPropertyNotFound);
}

TEST_P(DirectoryContract, MakesAUserDisabledAndCompletesItWhenThePasswordIsTaken) {
  const QString sam = uniqueName("u"), rdn = "CN=" + escapeDnValue("Lee, Ann + \u00c5sa");
  const QString dn = rdn + ',' + ou->dn, password = "Quill-Start-2024!";
  std::unique_ptr<DirObject> user = dir().Create(*ou, "user", rdn, err);
  ASSERT_TRUE(user);
  dir().Put(*user, "sAMAccountName", sam);
  EXPECT_EQ(dir().Get(*user, "samaccountname", err), sam);  // what is staged is seen first
  dir().SetInfo(*user, err);
  ASSERT_FALSE(err.isSet()) << err.description();
  EXPECT_EQ(w->values(dn, "userAccountControl"), QStringList{"546"});  // disabled, no password
  for (const QString& pw : {QString("abc"), password}) {  // the first refused by the policy
    err.clear();
    dir().Put(*user, "description", "Clerk");
    dir().SetFullName(*user, "Ann \u00c5sa Lee");
    dir().PutInteger(*user, "pwdLastSet", 0);
    dir().SetPassword(*user, pw);
    dir().SetAccountDisabled(*user, false);
    dir().SetInfo(*user, err);
    if (pw == password) break;
    EXPECT_TRUE(err.number() == kErrUnwillingToPerform || err.number() == kErrConstraintViolation);
    EXPECT_TRUE(err.description().contains("0000052D") && !err.description().contains(pw))
        << err.description();
    EXPECT_TRUE(user->staged.empty() && !user->password && !user->accountDisabled);
    EXPECT_EQ(w->values(dn, "userAccountControl") + w->values(dn, "description"),
              QStringList{"546"});  // nothing of it was stored
  }
  ASSERT_FALSE(err.isSet()) << err.description();
  EXPECT_EQ(normalizeDn(dir().Get(*user, "distinguishedName", err)), normalizeDn(dn));
  EXPECT_EQ(w->values(dn, "description") + w->values(dn, "displayName") +
                w->values(dn, "pwdLastSet") + w->values(dn, "objectClass").mid(3),
            QStringList({"Clerk", "Ann \u00c5sa Lee", "0", "user"}));
  // Enabled, a normal account, and no "password not required" left over from its creation.
  EXPECT_EQ(w->values(dn, "userAccountControl"), QStringList{"512"});
  EXPECT_TRUE(w->hasPassword(dn, sam, password) && !w->hasPassword(dn, sam, password + '?'));
  EXPECT_EQ((w->values(dn, "unicodePwd") + w->values(dn, "userPassword")).filter(password),
            QStringList());
  // Each object has an identity of its own, which an undo finds it by after a rename.
  const QString guid = dir().ObjectGuid(*user, err);
  EXPECT_FALSE(guid.isEmpty() || guid == dir().ObjectGuid(*ou, err)) << guid;
  // A new name through an attribute is refused; an empty value before anything is stored.
  dir().Put(*ou, "ou", "Renamed");
  dir().SetInfo(*ou, err);
  EXPECT_EQ(err.number(), kErrGeneric) << err.description();
  std::unique_ptr<DirObject> empty = dir().Create(*ou, "organizationalUnit", "OU=Empty", err);
  dir().Put(*empty, "description", "");
  dir().SetInfo(*empty, err);
  EXPECT_EQ(err.number(), kErrConstraintViolation);
  EXPECT_EQ(w->values("OU=Empty," + ou->dn, "ou"), QStringList());
}

TEST_P(DirectoryContract, NamesAreUniqueAndAccountExistsSeesEveryKindOfAccount) {
  const QString name = uniqueName("Dup"), group = uniqueName("g"), pc = uniqueName("PC");
  // Names in a container, and login names across users, groups and computers, ignoring case.
  const uint32_t made[] = {make("organizationalUnit", "OU=" + name),
                           make("organizationalUnit", "OU=" + name.toUpper()),
                           make("user", "CN=First", name),
                           make("group", "CN=" + group, group),
                           make("computer", "CN=" + pc, pc + '$'),
                           make("user", "CN=Second", name.toLower()),
                           make("group", "CN=Third", group.toUpper())};
  EXPECT_EQ(
      std::vector<uint32_t>(std::begin(made), std::end(made)),
      std::vector<uint32_t>({0, kErrAlreadyExists, 0, 0, 0, kErrAlreadyExists, kErrAlreadyExists}));
  EXPECT_EQ(w->values("CN=Second," + ou->dn, "cn") + w->values("CN=Third," + ou->dn, "cn"),
            QStringList());
  for (const QString& sam : {name.toUpper(), group, pc, QString("Administrator")}) {
    EXPECT_TRUE(dir().AccountExists(w->domain(), sam)) << sam;
  }
  for (const QString& sam : {name + 'x', name.left(3) + '*', QString("*)(sAMAccountName=*"),
                             QString(), ou->dn.section(',', 0, 0).mid(3)}) {
    EXPECT_FALSE(dir().AccountExists(w->domain(), sam)) << sam;
  }
}

TEST_P(DirectoryContract, GroupsTakeAMemberOnceAndOnlyFromAnAccountWithWriteRights) {
  const QString name = uniqueName("g"), dn = "CN=" + name + ',' + ou->dn;
  const QString member = "CN=" + name + "n," + ou->dn;
  ASSERT_EQ(make("group", "CN=" + name, name) + make("group", "CN=" + name + 'n', name + 'n'), 0u);
  EXPECT_EQ(w->values(dn, "groupType"), QStringList{"-2147483646"});   // global security
  const std::unique_ptr<DirObject> group = dir().Bind(path(dn), err);  // as a run finds a group
  ASSERT_TRUE(group) << err.description();
  EXPECT_EQ(DirectoryService::Class(*group), "group");
  const std::pair<QString, uint32_t> adds[] = {
      {member, 0}, {member.toLower(), kErrAlreadyExists}, {"CN=No," + ou->dn, kErrNoSuchObject}};
  for (const auto& [added, error] : adds) {
    err.clear();
    dir().Add(*group, path(added), err);
    EXPECT_EQ(err.number(), error) << added << ": " << err.description();
  }
  EXPECT_EQ(normalizeDn(w->values(dn, "member").join(';')), normalizeDn(member));
  DirectoryService& ro = w->readOnly();
  const std::unique_ptr<DirObject> parent = ro.Bind(path(ou->dn), err),
                                   other = ro.Bind(path(dn), err);
  ASSERT_TRUE(parent && other) << err.description();
  std::unique_ptr<DirObject> child = ro.Create(*parent, "organizationalUnit", "OU=Denied", err);
  ro.SetInfo(*child, err);
  EXPECT_EQ(err.number(), kErrAccessDenied) << err.description();
  err.clear();
  ro.Add(*other, path("CN=Administrator,CN=Users," + base), err);
  EXPECT_EQ(err.number(), kErrAccessDenied) << err.description();
  EXPECT_EQ(w->values("OU=Denied," + ou->dn, "ou").size() + w->values(dn, "member").size(), 1);
}

TEST_P(DirectoryContract, ChildrenListsContainersOfMoreThanOnePage) {
  for (int i = 0; i <= 1000; ++i)
    ASSERT_EQ(make("organizationalUnit", QString("OU=c%1").arg(i)), 0u);
  std::set<QString> names;
  for (const ChildObject& c : dir().Children(*ou, err)) {
    EXPECT_EQ(c.objectClass, "organizationalUnit") << c.dn;
    EXPECT_EQ(normalizeDn(c.dn), normalizeDn(c.name + ',' + ou->dn));
    EXPECT_TRUE(names.insert(c.name).second) << c.name;
  }
  EXPECT_FALSE(err.isSet()) << err.description();
  EXPECT_EQ(names.size(), 1001u);
  EXPECT_TRUE(names.count("OU=c0") && names.count("OU=c1000"));
}

TEST_P(FileContract, FoldersAreMadeOneLevelAtATimeUnderTheirExactNamesAndNeverOutsideTheShare) {
  const QString top = uniqueName("made"), root = w->share() + '\\' + top;
  // Names that are plain for a file server but syntax for a URL, or look like "." and "..".
  QStringList names = {"with space",   "50%25off", "user@host", "a;b&c=d+e",
                       "#hash",        "~tilde!$", "it's",      "Vertrieb \u00dc",
                       "\u65e5\u672c", ".x",       "a..b"};
  QString error;
  ASSERT_TRUE(w->files().makeFolder(root, &error)) << error;
  for (const QString& name : names) {
    EXPECT_TRUE(w->files().makeFolder(root + '\\' + name, &error)) << name << ": " << error;
  }
  // Not below a missing folder, not an existing one, not a share, nothing leaving the share.
  for (const QString& path :
       {root + "\\no\\deeper", root, w->share(), root + "\\..", root + "\\.", root + "\\a/b",
        root + "\\..\\escaped", root + "\\../escaped", root + "\\x\ty",
        root + "\\a" + QChar(0) + 'b', w->share() + "\\..\\escaped"}) {
    error.clear();
    EXPECT_FALSE(w->files().makeFolder(path, &error) || error.isEmpty()) << path;
  }
  QStringList made =
      QDir(w->disk() + '/' + top).entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
  made.sort();
  names.sort();
  EXPECT_EQ(made, names);
  EXPECT_FALSE(QFileInfo::exists(w->disk() + "/escaped") ||
               QFileInfo::exists(w->disk() + "/../escaped"));
}

TEST_P(FileContract, ExistsTellsWhatIsThereFromWhatIsNot) {
  const QString name = uniqueName("seen"), top = w->share() + '\\' + name;
  const QString server = w->share().section('\\', 0, 2), share = w->share().section('\\', 3);
  ASSERT_TRUE(QDir().mkpath(w->disk() + '/' + name + "/sub/a b"));
  QFile file(w->disk() + '/' + name + "/sub/file.txt");
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  // clang-format off
  const std::pair<QString, bool> cases[] = {
      {w->share(), true}, {w->share() + '\\', true}, {server + '\\' + share.toUpper(), true},
      {top + "\\SUB", true}, {top + "\\sub\\a b", true}, {top + "\\sub\\file.txt", true},
      {top + "\\missing", false}, {top + "\\sub\\file.txt\\x", false}, {server, false},
      {server + "\\nosuchshare", false}, {server + "/x\\" + share, false}, {top.mid(1), false},
      {top.mid(2), false}, {QString(top).replace('\\', '/'), false},
      // Literal names: nothing is decoded, cut at "?" or "#", or read as a parent.
      {top + "\\sub\\a%20b", false}, {top + "\\sub?x", false}, {top + "\\sub#x", false},
      {top + "\\sub\\..", false}, {top + "\\..\\" + name, false}, {top + "/sub", false},
      {top + "\\sub\nx", false}};
  // clang-format on
  for (const auto& [path, exists] : cases) EXPECT_EQ(w->files().exists(path), exists) << path;
}

TEST_P(ShareContract, MakesVisibleAndHiddenSharesOnceAndRefusesWhatCannotBeAShare) {
  ShareService& s = w->shares();
  const QString name = uniqueName("Sales_Public"), local = w->folder(name);
  QString doubled = local;  // as a caller joins a path that ends in "\" and a name
  ASSERT_EQ(s.CreateShare(w->server(), doubled.insert(local.lastIndexOf('\\'), '\\'), name), 0);
  ASSERT_EQ(s.CreateShare(w->server(), local, name + '$'), 0);
  EXPECT_NE(s.CreateShare(w->server(), local, name.toLower()), 0);  // in any case
  EXPECT_EQ(w->pathOf(name) + w->pathOf(name + '$'), local + local);
  EXPECT_EQ(s.GetSharePath(w->server(), name.toUpper()), local);
  std::vector<ShareInfo> list;
  ASSERT_EQ(s.EnumShares(w->server(), {}, {}, {}, list), 0);
  const auto it = std::find_if(list.begin(), list.end(), [&](auto& i) { return i.Name == name; });
  ASSERT_NE(it, list.end());
  EXPECT_EQ(it->TypeText + ' ' + it->Path, "Disk " + local);
  for (const QString& bad : {QString(), name + "\n[global]", name + QChar(0) + "x", name + "/x",
                             name + "\\x", name + '?', name.leftJustified(81, 'q')}) {
    EXPECT_EQ(s.CreateShare(w->server(), local, bad), kShareInvalidName) << bad;
  }
  EXPECT_EQ(s.CreateShare(w->server(), local + "\nx", name + 'p'), kShareInvalidParameter);
  EXPECT_EQ(s.CreateShare(w->unreachable(), local, name + 'u'), kShareServerUnavailable);
  EXPECT_EQ(s.CreateShare(w->server(), local, name.leftJustified(80, 'q')), 0);
  EXPECT_EQ(w->listed().filter(name).size(), 3) << w->listed().join(' ');
}

TEST_P(ShareContract, ConnectsToAServerThatAnswersAndListsItsTable) {
  ShareService& s = w->shares();
  EXPECT_EQ(s.ConnectShareHost(w->unreachable(), {}, {}, {}), kShareHostFailed);
  {
    const EnvGuard computer("computername", w->server().toUtf8());  // an empty server: this one
    EXPECT_EQ(s.ConnectShareHost({}, {}, {}, {}), kShareHostConnected);
  }
  std::vector<ShareInfo> list, none;
  ASSERT_EQ(s.EnumShares({}, {}, {}, {}, list), 0);  // the connected server
  QStringList names, expected = w->listed();
  for (const ShareInfo& share : list) names << share.Name;
  names.sort(Qt::CaseInsensitive);
  expected.sort(Qt::CaseInsensitive);
  EXPECT_EQ(names, expected);
  s.DisconnectShareHost();
  EXPECT_NE(s.EnumShares(w->unreachable(), {}, {}, {}, none), 0);
  EXPECT_EQ(none.size(), 0u);
  EXPECT_EQ(s.GetSharePath(w->unreachable(), names.value(0)) + s.GetSharePath(w->server(), "no"),
            "");
}

}  // namespace quill::test
