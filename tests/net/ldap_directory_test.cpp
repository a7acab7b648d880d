// The LDAP directory against a real Samba AD DC. What was written is checked with ldapsearch in a
// separate process, not with the code under test.
#include <QFile>
#include <QTemporaryDir>
#include <set>

#include "core/dn.h"
#include "support/qt_print.h"
#include "support/samba_fixture.h"

namespace quill {
namespace {

using SambaDirectory = test::SambaTest;
using test::uniqueName;

constexpr char kGoodPassword[] = "Quill-Start-2024!";

TEST_F(SambaDirectory, BindsTheDomainRootByDomainAndByDn) {
  const std::unique_ptr<DirObject> root = bind(rootPath());
  ASSERT_TRUE(root);
  EXPECT_EQ(root->dn.toLower(), m_dc->baseDn().toLower());
  EXPECT_EQ(DirectoryService::Class(*root), QStringLiteral("domainDNS"));

  // "LDAP://DN" finds its server through the DN's domain.
  const std::unique_ptr<DirObject> users =
      bind(QStringLiteral("LDAP://CN=Users,") + m_dc->baseDn());
  ASSERT_TRUE(users);
  EXPECT_EQ(DirectoryService::Class(*users), QStringLiteral("container"));
  EXPECT_EQ(DirectoryService::Name(*users), QStringLiteral("CN=Users"));
  EXPECT_EQ(DirectoryService::Parent(*users), QStringLiteral("LDAP://") + root->dn);

  PendingError err;
  EXPECT_EQ(m_dir->Get(*users, QStringLiteral("distinguishedName"), err).toLower(),
            (QStringLiteral("CN=Users,") + m_dc->baseDn()).toLower());
  EXPECT_EQ(m_dir->Get(*users, QStringLiteral("noSuchAttributeHere"), err), QString());
  EXPECT_EQ(err.number(), kErrPropertyNotFound);

  err.clear();
  EXPECT_FALSE(m_dir->Bind(pathOf(QStringLiteral("OU=Nowhere,") + m_dc->baseDn()), err));
  EXPECT_EQ(err.number(), kErrNoSuchObject) << err.description().toStdString();
  err.clear();
  EXPECT_FALSE(m_dir->Bind(pathOf(QStringLiteral("OU=x,,DC=quill")), err));
  EXPECT_EQ(err.number(), kErrInvalidDnSyntax) << err.description().toStdString();
}

TEST_F(SambaDirectory, CreatesACompletedEnabledUserAsTheAccountStepDoes) {
  const std::unique_ptr<DirObject> ou = makeOu(QStringLiteral("Acc"));
  ASSERT_TRUE(ou);
  const QString sam = uniqueName(QStringLiteral("u"));
  const QString cn = QStringLiteral("Lee, Ann + \u00c5sa");  // DN syntax characters are data
  PendingError err;
  std::unique_ptr<DirObject> user =
      m_dir->Create(*ou, QStringLiteral("user"), QStringLiteral("CN=") + escapeDnValue(cn), err);
  ASSERT_TRUE(user);
  m_dir->Put(*user, QStringLiteral("sAMAccountName"), sam);
  m_dir->Put(*user, QStringLiteral("userPrincipalName"), sam + QStringLiteral("@quill.test"));
  m_dir->SetInfo(*user, err);
  ASSERT_FALSE(err.isSet()) << err.description().toStdString();
  const QString dn = QStringLiteral("CN=") + escapeDnValue(cn) + u',' + ou->dn;
  // Stored but not completed: disabled, no password needed yet.
  EXPECT_EQ(m_dc->attributeValues(dn, QStringLiteral("userAccountControl")),
            QStringList{QStringLiteral("546")});

  m_dir->Put(*user, QStringLiteral("description"), QStringLiteral("Clerk"));
  m_dir->Put(*user, QStringLiteral("telephoneNumber"), QStringLiteral("555 0101"));
  m_dir->Put(*user, QStringLiteral("mail"), sam + QStringLiteral("@mail.quill.test"));
  m_dir->PutInteger(*user, QStringLiteral("pwdLastSet"), 0);
  m_dir->SetPassword(*user, QString::fromUtf8(kGoodPassword));
  m_dir->SetAccountDisabled(*user, false);
  m_dir->SetFullName(*user, QStringLiteral("Ann \u00c5sa Lee"));
  m_dir->SetFirstName(*user, QStringLiteral("Ann"));
  m_dir->SetLastName(*user, QStringLiteral("Lee"));
  m_dir->SetInfo(*user, err);
  ASSERT_FALSE(err.isSet()) << err.description().toStdString();
  EXPECT_EQ(normalizeDn(m_dir->Get(*user, QStringLiteral("distinguishedName"), err)),
            normalizeDn(dn));
  EXPECT_EQ(DirectoryService::Name(*user), QStringLiteral("CN=") + escapeDnValue(cn));

  const QString ldif = m_dc->search(
      dn, QStringLiteral("base"), QStringLiteral("(objectClass=*)"),
      {QStringLiteral("userAccountControl"), QStringLiteral("pwdLastSet"),
       QStringLiteral("userPrincipalName"), QStringLiteral("mail"),
       QStringLiteral("sAMAccountName"), QStringLiteral("description"),
       QStringLiteral("telephoneNumber"), QStringLiteral("sn"), QStringLiteral("givenName"),
       QStringLiteral("objectClass"), QStringLiteral("displayName")});
  const auto has = [&](const QString& line) { return ldif.split(u'\n').contains(line); };
  const QStringList uac = m_dc->attributeValues(dn, QStringLiteral("userAccountControl"));
  ASSERT_EQ(uac.size(), 1) << ldif.toStdString();
  EXPECT_TRUE(uac[0] == u"512" || uac[0] == u"544") << uac[0].toStdString();
  EXPECT_TRUE(has(QStringLiteral("pwdLastSet: 0"))) << ldif.toStdString();
  EXPECT_TRUE(has(QStringLiteral("userPrincipalName: ") + sam + QStringLiteral("@quill.test")));
  EXPECT_TRUE(has(QStringLiteral("mail: ") + sam + QStringLiteral("@mail.quill.test")));
  EXPECT_TRUE(has(QStringLiteral("sAMAccountName: ") + sam));
  EXPECT_TRUE(has(QStringLiteral("description: Clerk")));
  EXPECT_TRUE(has(QStringLiteral("telephoneNumber: 555 0101")));
  EXPECT_TRUE(has(QStringLiteral("givenName: Ann")));
  EXPECT_TRUE(has(QStringLiteral("sn: Lee")));
  EXPECT_TRUE(has(QStringLiteral("objectClass: user"))) << ldif.toStdString();
  // displayName holds a non-ASCII letter, so ldapsearch prints it base64-encoded.
  EXPECT_TRUE(has(QStringLiteral("displayName:: ") +
                  QString::fromLatin1(QStringLiteral("Ann \u00c5sa Lee").toUtf8().toBase64())))
      << ldif.toStdString();

  // The password was set: a logon with it is refused only because it must be changed first
  // (AD's "data 773"), while a wrong one is refused as wrong ("data 52e").
  const auto logon = [&](const QByteArray& pw) {
    QTemporaryDir tmp;
    QFile file(tmp.filePath(QStringLiteral("pw")));
    if (!file.open(QIODevice::WriteOnly) || file.write(pw) != pw.size()) return QString();
    file.close();
    QString output;
    m_dc->run(QStringLiteral("ldapwhoami"),
              {QStringLiteral("-x"), QStringLiteral("-H"),
               QStringLiteral("ldaps://") + m_dc->host(), QStringLiteral("-D"),
               sam + QStringLiteral("@quill.test"), QStringLiteral("-y"), file.fileName()},
              {}, &output);
    return output;
  };
  EXPECT_TRUE(logon(kGoodPassword).contains(u"data 773")) << logon(kGoodPassword).toStdString();
  EXPECT_TRUE(logon("Wrong-Password-1").contains(u"data 52e"));
}

TEST_F(SambaDirectory, DuplicateNamesAreAlreadyExists) {
  const std::unique_ptr<DirObject> ou = makeOu(QStringLiteral("Dup"));
  ASSERT_TRUE(ou);
  PendingError err;
  std::unique_ptr<DirObject> again =
      m_dir->Create(*bind(DirectoryService::Parent(*ou)), QStringLiteral("organizationalUnit"),
                    DirectoryService::Name(*ou), err);
  ASSERT_TRUE(again);
  m_dir->SetInfo(*again, err);
  EXPECT_EQ(err.number(), kErrAlreadyExists) << err.description().toStdString();

  const QString sam = uniqueName(QStringLiteral("d"));
  for (const char* cn : {"CN=First Holder", "CN=Second Holder"}) {
    err.clear();
    std::unique_ptr<DirObject> user =
        m_dir->Create(*ou, QStringLiteral("user"), QString::fromUtf8(cn), err);
    m_dir->Put(*user, QStringLiteral("sAMAccountName"), sam);
    m_dir->SetInfo(*user, err);
  }
  EXPECT_EQ(err.number(), kErrAlreadyExists) << err.description().toStdString();
  EXPECT_TRUE(m_dc->search(ou->dn, QStringLiteral("one"), QStringLiteral("(cn=Second Holder)"),
                           {QStringLiteral("dn")})
                  .trimmed()
                  .isEmpty());
}

TEST_F(SambaDirectory, RefusedPasswordLeavesTheAccountDisabled) {
  const std::unique_ptr<DirObject> ou = makeOu(QStringLiteral("Pol"));
  ASSERT_TRUE(ou);
  PendingError err;
  std::unique_ptr<DirObject> user =
      m_dir->Create(*ou, QStringLiteral("user"), QStringLiteral("CN=Short Pw"), err);
  m_dir->Put(*user, QStringLiteral("sAMAccountName"), uniqueName(QStringLiteral("p")));
  m_dir->SetInfo(*user, err);
  ASSERT_FALSE(err.isSet()) << err.description().toStdString();

  m_dir->PutInteger(*user, QStringLiteral("pwdLastSet"), 0);
  m_dir->SetPassword(*user, QStringLiteral("abc"));
  m_dir->SetAccountDisabled(*user, false);
  m_dir->SetFullName(*user, QStringLiteral("Short Pw"));
  m_dir->SetInfo(*user, err);
  EXPECT_TRUE(err.number() == kErrUnwillingToPerform || err.number() == kErrConstraintViolation)
      << errorNumberText(err.number()).toStdString();
  EXPECT_TRUE(err.description().contains(u"0000052D")) << err.description().toStdString();
  EXPECT_FALSE(err.description().contains(u"abc")) << err.description().toStdString();
  // Nothing of the refused SetInfo was stored.
  const QString dn = QStringLiteral("CN=Short Pw,") + ou->dn;
  EXPECT_EQ(m_dc->attributeValues(dn, QStringLiteral("userAccountControl")),
            QStringList{QStringLiteral("546")});
  EXPECT_TRUE(m_dc->attributeValues(dn, QStringLiteral("displayName")).isEmpty());
}

TEST_F(SambaDirectory, GroupsAreGlobalSecurityAndTakeAMemberOnce) {
  const std::unique_ptr<DirObject> ou = makeOu(QStringLiteral("Grp"));
  ASSERT_TRUE(ou);
  PendingError err;
  const QString name = uniqueName(QStringLiteral("g"));
  std::unique_ptr<DirObject> group =
      m_dir->Create(*ou, QStringLiteral("group"), QStringLiteral("CN=") + name, err);
  m_dir->Put(*group, QStringLiteral("sAMAccountName"), name);
  m_dir->SetInfo(*group, err);
  std::unique_ptr<DirObject> nested =
      m_dir->Create(*ou, QStringLiteral("group"), QStringLiteral("CN=") + name + u'n', err);
  m_dir->Put(*nested, QStringLiteral("sAMAccountName"), name + u'n');
  m_dir->SetInfo(*nested, err);
  ASSERT_FALSE(err.isSet()) << err.description().toStdString();
  EXPECT_EQ(DirectoryService::Class(*group), QStringLiteral("group"));
  EXPECT_EQ(m_dc->attributeValues(group->dn, QStringLiteral("groupType")),
            QStringList{QStringLiteral("-2147483646")});

  // Bound again by path, as the group step finds a group it did not create.
  std::unique_ptr<DirObject> found = bind(pathOf(group->dn));
  ASSERT_TRUE(found);
  m_dir->Add(*found, pathOf(nested->dn), err);
  ASSERT_FALSE(err.isSet()) << err.description().toStdString();
  EXPECT_EQ(normalizeDn(m_dc->attributeValues(group->dn, QStringLiteral("member")).value(0)),
            normalizeDn(nested->dn));
  m_dir->Add(*found, pathOf(nested->dn), err);
  EXPECT_EQ(err.number(), kErrAlreadyExists) << err.description().toStdString();
  err.clear();
  m_dir->Add(*found, pathOf(QStringLiteral("CN=Nobody,") + ou->dn), err);
  EXPECT_TRUE(err.isSet());
  EXPECT_NE(err.number(), kErrAlreadyExists);
}

TEST_F(SambaDirectory, ChildrenListsContainersLargerThanOnePage) {
  const std::unique_ptr<DirObject> ou = makeOu(QStringLiteral("Big"));
  ASSERT_TRUE(ou);
  constexpr int kCount = 1100;
  QByteArray ldif;
  for (int i = 0; i < kCount; ++i) {
    ldif += "dn: OU=c" + QByteArray::number(i) + "," + ou->dn.toUtf8() +
            "\nobjectClass: organizationalUnit\n\n";
  }
  QString output;
  ASSERT_TRUE(m_dc->modify(ldif, true, &output)) << output.right(500).toStdString();

  PendingError err;
  const std::vector<ChildObject> children = m_dir->Children(*ou, err);
  ASSERT_FALSE(err.isSet()) << err.description().toStdString();
  std::set<QString> names;
  for (const ChildObject& c : children) {
    names.insert(c.name);
    EXPECT_EQ(c.objectClass, QStringLiteral("organizationalUnit"));
  }
  EXPECT_EQ(children.size(), size_t{kCount});
  EXPECT_EQ(names.size(), size_t{kCount});
  EXPECT_TRUE(names.count(QStringLiteral("OU=c0")) && names.count(QStringLiteral("OU=c1099")));
}

TEST_F(SambaDirectory, AccountExistsSeesUsersGroupsAndComputers) {
  const std::unique_ptr<DirObject> ou = makeOu(QStringLiteral("Ex"));
  ASSERT_TRUE(ou);
  const QString user = uniqueName(QStringLiteral("e"));
  const QString group = uniqueName(QStringLiteral("eg"));
  const QString computer = uniqueName(QStringLiteral("PC"));
  QByteArray ldif;
  ldif += "dn: CN=" + user.toUtf8() + "," + ou->dn.toUtf8() +
          "\nobjectClass: user\nsAMAccountName: " + user.toUtf8() + "\n\n";
  ldif += "dn: CN=" + group.toUtf8() + "," + ou->dn.toUtf8() +
          "\nobjectClass: group\nsAMAccountName: " + group.toUtf8() + "\n\n";
  ldif += "dn: CN=" + computer.toUtf8() + "," + ou->dn.toUtf8() +
          "\nobjectClass: computer\nsAMAccountName: " + computer.toUtf8() + "$\n\n";
  QString output;
  ASSERT_TRUE(m_dc->modify(ldif, true, &output)) << output.toStdString();

  const QString domain = m_dc->domain();
  EXPECT_TRUE(m_dir->AccountExists(domain, user));
  EXPECT_TRUE(m_dir->AccountExists(domain, user.toUpper()));
  EXPECT_TRUE(m_dir->AccountExists(domain, group));
  EXPECT_TRUE(m_dir->AccountExists(domain, computer));
  EXPECT_TRUE(m_dir->AccountExists(domain, QStringLiteral("Administrator")));
  EXPECT_FALSE(m_dir->AccountExists(domain, user + u'x'));
  EXPECT_FALSE(m_dir->AccountExists(domain, user.left(3) + u'*'));  // no wildcard match
  EXPECT_FALSE(m_dir->AccountExists(domain, QStringLiteral("*)(sAMAccountName=*")));
  EXPECT_FALSE(m_dir->AccountExists(domain, QString()));
}

TEST_F(SambaDirectory, StartTlsConnectionsWorkLikeLdaps) {
  NetSettings settings = m_dc->adminSettings();
  settings.startTls = true;
  LdapDirectory dir(settings);
  PendingError err;
  const std::unique_ptr<DirObject> root = dir.Bind(rootPath(), err);
  ASSERT_TRUE(root) << err.description().toStdString();
  std::unique_ptr<DirObject> ou =
      dir.Create(*root, QStringLiteral("organizationalUnit"),
                 QStringLiteral("OU=") + uniqueName(QStringLiteral("tls")), err);
  dir.SetInfo(*ou, err);
  EXPECT_FALSE(err.isSet()) << err.description().toStdString();
  EXPECT_EQ(m_dc->attributeValues(ou->dn, QStringLiteral("objectClass")).value(1),
            QStringLiteral("organizationalUnit"));
}

}  // namespace
}  // namespace quill
