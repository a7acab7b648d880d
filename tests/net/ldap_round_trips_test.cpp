// What the LDAP directory answers from what the server told it, counted in requests, and that
// those answers are the ones the server gives: each outcome is compared with the same call over a
// directory that has seen nothing yet and so asks.
#include <QTemporaryDir>

#include "core/user_name_pattern.h"
#include "core/user_record.h"
#include "engine/run_context.h"
#include "engine/run_log.h"
#include "engine/user_accounts.h"
#include "net/ldap_directory.h"
#include "sandbox/sandbox.h"
#include "sandbox/sandbox_file_system.h"
#include "sandbox/sandbox_share_service.h"
#include "support/qt_print.h"
#include "support/samba_dc.h"
#include "support/scripted_host.h"

namespace quill {
namespace {

using namespace Qt::StringLiterals;

class SambaRoundTrips : public test::SambaTest {
 protected:
  void SetUp() override {
    SambaTest::SetUp();
    if (IsSkipped()) return;
    m_dir = std::make_unique<LdapDirectory>(dc().settings());
    PendingError err;
    const std::unique_ptr<DirObject> root = m_dir->Bind(rootPath(), err);
    ASSERT_TRUE(root) << err.description().toStdString();
    m_ou = m_dir->Create(*root, u"organizationalUnit"_s, u"OU="_s + test::uniqueName(u"Rt"_s), err);
    m_dir->SetInfo(*m_ou, err);
    ASSERT_FALSE(err.isSet()) << err.description().toStdString();
    requests();
  }
  QString pathOf(const QString& dn) const { return rootPath() + u'/' + dn; }

  // Requests sent by m_dir since the last call, as "searches adds modifies".
  QString requests() {
    const LdapConnection::Tally t = m_dir->tally();
    const QString text = u"%1 %2 %3"_s.arg(t.searches - m_seen.searches)
                             .arg(t.adds - m_seen.adds)
                             .arg(t.modifies - m_seen.modifies);
    m_seen = t;
    return text;
  }

  std::unique_ptr<DirObject> makeGroup(const QString& name) {
    PendingError err;
    std::unique_ptr<DirObject> group = m_dir->Create(*m_ou, u"group"_s, u"CN="_s + name, err);
    m_dir->Put(*group, u"sAMAccountName"_s, test::uniqueName(u"g"_s));
    m_dir->SetInfo(*group, err);
    EXPECT_FALSE(err.isSet()) << err.description().toStdString();
    return group;
  }

  std::unique_ptr<LdapDirectory> m_dir;
  std::unique_ptr<DirObject> m_ou;
  LdapConnection::Tally m_seen;
};

TEST_F(SambaRoundTrips, AnAccountIsOneAddThatEndsAsWhenEverythingIsAskedOrFallsBackToTwoSaves) {
  QTemporaryDir tmp;
  QString error;
  std::unique_ptr<Sandbox> sandbox = Sandbox::open(tmp.path() + u"/sb"_s, &error);
  ASSERT_TRUE(sandbox) << error.toStdString();
  test::ScriptedHost host;
  host.runOptions().txt_Password = {u"Quill-Trip-2024!"_s, {}};
  RunLog log;
  QString folder = tmp.path();
  QString fileName = u"run.log"_s;
  log.OpenRunLog({}, folder, fileName, 0);
  UserNamePatterns patterns;
  // The account step for a person of last name last: its result, the DN it hands back (last
  // name taken out), its log lines and the account's attributes, as one list.
  auto account = [&](DirectoryService& directory, const QString& last) {
    RunContext ctx(host, directory, sandbox->files(), sandbox->shares(), log, patterns);
    ctx.domain.DomainFqdn = dc().domain();
    const qsizetype before = host.helpHistory().size();
    const UserRecord person(u"Ann,"_s + last + u",Clerk,Rt,C,555-0100"_s);
    QString dn;
    const int result = CreateUserAccount(ctx, person, *m_ou, test::uniqueName(u"a"_s), dn);
    QStringList seen{QString::number(result), QString(dn).replace(last, u"*"_s)};
    dn = u"CN=Ann "_s + last + u',' + m_ou->dn;
    seen += host.helpHistory().mid(before);
    for (const QString& name :
         {u"userAccountControl"_s, u"pwdLastSet"_s, u"description"_s, u"telephoneNumber"_s}) {
      seen << name + u'=' + dc().values(dn, name).join(u'|');
    }
    return seen;
  };
  // m_dir made the OU, so it knows the account's DN: one add with the password and the flags.
  const QStringList known = account(*m_dir, u"Known"_s);
  EXPECT_EQ(requests(), u"0 1 0"_s);
  EXPECT_EQ(known.value(2), u"userAccountControl=512"_s);
  LdapDirectory fresh(dc().settings());
  EXPECT_EQ(known, account(fresh, u"Asked"_s));
  // A password the domain refuses: the one add stores nothing, the two saves follow and the
  // second meets the same refusal, so the account is there, disabled, without the rest, and
  // the step has nothing more to say, as always.
  host.runOptions().txt_Password = {u"a"_s, {}};
  EXPECT_EQ(account(*m_dir, u"Weak"_s), (QStringList{QString::number(kUserExistsOrIncomplete),
                                                     {},
                                                     u"userAccountControl=546"_s,
                                                     u"pwdLastSet=0"_s,
                                                     u"description="_s,
                                                     u"telephoneNumber="_s}));
  EXPECT_EQ(requests(), u"0 2 1"_s);
}

TEST_F(SambaRoundTrips, KnownObjectsAndMembersNeedNoRequestButEveryAddOfAnObjectIsAsked) {
  const std::unique_ptr<DirObject> group = makeGroup(u"RtGroup"_s);
  const std::unique_ptr<DirObject> inner = makeGroup(u"RtInner"_s);
  requests();
  PendingError err;
  std::unique_ptr<DirObject> bound = m_dir->Bind(pathOf(group->dn), err);
  ASSERT_TRUE(bound);
  EXPECT_EQ(m_dir->Get(*bound, u"distinguishedName"_s, err), group->dn);
  EXPECT_EQ(requests(), u"0 0 0"_s);
  // Known to be there, the group is still only the server's to refuse.
  std::unique_ptr<DirObject> again = m_dir->Create(*m_ou, u"group"_s, u"CN=RtGroup"_s, err);
  m_dir->Put(*again, u"sAMAccountName"_s, test::uniqueName(u"g"_s));
  m_dir->SetInfo(*again, err);
  EXPECT_EQ(err.number(), kErrAlreadyExists) << err.description().toStdString();
  EXPECT_EQ(requests(), u"0 1 0"_s);
  // A member is added once; asked again, the answer is the one the server gives.
  err.clear();
  m_dir->Add(*bound, pathOf(inner->dn), err);
  EXPECT_FALSE(err.isSet()) << err.description().toStdString();
  m_dir->Add(*bound, pathOf(inner->dn), err);
  EXPECT_EQ(requests(), u"0 0 1"_s);
  LdapDirectory fresh(dc().settings());
  PendingError server;
  std::unique_ptr<DirObject> freshGroup = fresh.Bind(pathOf(group->dn), server);
  ASSERT_TRUE(freshGroup);
  fresh.Add(*freshGroup, pathOf(inner->dn), server);
  EXPECT_EQ(err.number(), server.number()) << server.description().toStdString();
  EXPECT_EQ(err.number(), kErrAlreadyExists);
}

TEST_F(SambaRoundTrips, AnObjectTheServerSaysIsMissingMakesEverythingKnownBeAskedAgain) {
  const std::unique_ptr<DirObject> gone = makeGroup(u"RtGone"_s);
  const std::unique_ptr<DirObject> kept = makeGroup(u"RtKept"_s);
  ASSERT_TRUE(dc().modify("dn: " + gone->dn + "\nchangetype: delete\n", false));
  requests();
  PendingError err;
  m_dir->Add(*gone, pathOf(kept->dn), err);
  EXPECT_EQ(err.number(), kErrNoSuchObject) << err.description().toStdString();
  for (const DirObject* obj : {gone.get(), kept.get(), m_ou.get()}) {
    err.clear();
    const bool found = m_dir->Bind(pathOf(obj->dn), err) != nullptr;
    EXPECT_EQ(found, obj != gone.get()) << obj->dn.toStdString();
  }
  EXPECT_EQ(requests(), u"3 0 1"_s);
}

TEST_F(SambaRoundTrips, IdentitiesOfObjectsMadeInOneContainerAreReadTogetherAndHandedOutOnce) {
  std::vector<std::unique_ptr<DirObject>> made;
  for (const QString& name : {u"RtOne"_s, u"RtTwo"_s, u"RtThree"_s})
    made.push_back(makeGroup(name));
  requests();
  LdapDirectory fresh(dc().settings());
  for (const auto& obj : made) {
    PendingError err, server;
    const QString guid = m_dir->ObjectGuid(*obj, err);
    EXPECT_FALSE(guid.isEmpty()) << obj->dn.toStdString() << err.description().toStdString();
    EXPECT_EQ(guid, fresh.ObjectGuid(*obj, server)) << obj->dn.toStdString();
  }
  EXPECT_EQ(requests(), u"1 0 0"_s);
  PendingError err;
  EXPECT_FALSE(m_dir->ObjectGuid(*made.front(), err).isEmpty());
  EXPECT_EQ(requests(), u"1 0 0"_s);
}

}  // namespace
}  // namespace quill
