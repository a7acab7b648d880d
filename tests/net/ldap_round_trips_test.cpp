// What the LDAP directory answers from what the server told it, counted in requests, and that
// those answers are the ones the server gives: each outcome is compared with the same call over a
// directory that has seen nothing yet and so asks.
#include <QTemporaryDir>

#include "core/dn.h"
#include "core/user_name_pattern.h"
#include "core/user_record.h"
#include "engine/run_context.h"
#include "engine/run_log.h"
#include "engine/user_accounts.h"
#include "sandbox/sandbox.h"
#include "sandbox/sandbox_file_system.h"
#include "sandbox/sandbox_share_service.h"
#include "support/qt_print.h"
#include "support/samba_fixture.h"
#include "support/scripted_host.h"

namespace quill {
namespace {

class SambaRoundTrips : public test::SambaTest {
 protected:
  void SetUp() override {
    SambaTest::SetUp();
    if (IsSkipped()) return;
    m_ou = makeOu(QStringLiteral("Rt"));
    ASSERT_TRUE(m_ou);
    requests();
  }

  // Requests sent by m_dir since the last call, as "searches adds modifies".
  QString requests() {
    const LdapConnection::Tally t = m_dir->tally();
    const QString text = QStringLiteral("%1 %2 %3")
                             .arg(t.searches - m_seen.searches)
                             .arg(t.adds - m_seen.adds)
                             .arg(t.modifies - m_seen.modifies);
    m_seen = t;
    return text;
  }

  std::unique_ptr<DirObject> makeGroup(const QString& name) {
    PendingError err;
    std::unique_ptr<DirObject> group =
        m_dir->Create(*m_ou, QStringLiteral("group"), QStringLiteral("CN=") + name, err);
    m_dir->Put(*group, QStringLiteral("sAMAccountName"), test::uniqueName(QStringLiteral("g")));
    m_dir->SetInfo(*group, err);
    EXPECT_FALSE(err.isSet()) << err.description().toStdString();
    return group;
  }

  std::unique_ptr<DirObject> m_ou;
  LdapConnection::Tally m_seen;
};

// The account step of the run over directory for a person of last name last: its result, its
// log lines, the DN it hands back and the account's attributes.
struct Account {
  int result = 0;
  QStringList lines;
  QString dn;
  QStringList attributes;
};

TEST_F(SambaRoundTrips, AnAccountCostsOneAddAndOneModifyAndEndsAsWhenEverythingIsAsked) {
  QTemporaryDir tmp;
  QString error;
  std::unique_ptr<Sandbox> sandbox = Sandbox::open(tmp.path() + QStringLiteral("/sb"), &error);
  ASSERT_TRUE(sandbox) << error.toStdString();
  test::ScriptedHost host;
  host.runOptions().txt_Password = {QStringLiteral("Quill-Trip-2024!"), {}};
  RunLog log;
  QString folder = tmp.path();
  QString fileName = QStringLiteral("run.log");
  log.OpenRunLog({}, folder, fileName, 0);
  UserNamePatterns patterns;
  auto account = [&](DirectoryService& directory, const QString& last) {
    RunContext ctx(host, directory, sandbox->files(), sandbox->shares(), log, patterns);
    ctx.domain.DomainFqdn = m_dc->domain();
    const qsizetype before = host.helpHistory().size();
    const UserRecord person(QStringLiteral("Ann,") + last + QStringLiteral(",Clerk,Rt,C,555-0100"));
    Account a;
    a.result = CreateUserAccount(ctx, person, *m_ou, test::uniqueName(QStringLiteral("a")), a.dn);
    a.lines = host.helpHistory().mid(before);
    for (const char* name :
         {"userAccountControl", "pwdLastSet", "description", "telephoneNumber"}) {
      const QString attribute = QString::fromLatin1(name);
      a.attributes << attribute + u'=' + m_dc->attributeValues(a.dn, attribute).join(u'|');
    }
    // Named after the person, so the same once the last name is taken out.
    a.dn.replace(last, QStringLiteral("*"));
    return a;
  };
  // m_dir made the OU, so it knows the account's DN; it stored the account's control flags
  // itself, so enabling needs no read either.
  const Account known = account(*m_dir, QStringLiteral("Known"));
  EXPECT_EQ(requests(), QStringLiteral("0 1 1"));
  LdapDirectory fresh(m_dc->adminSettings());
  const Account asked = account(fresh, QStringLiteral("Asked"));
  EXPECT_EQ(known.result, kUserCreated) << known.lines.join(u'|').toStdString();
  EXPECT_EQ(known.result, asked.result);
  EXPECT_EQ(known.lines, asked.lines);
  EXPECT_EQ(known.dn, asked.dn);
  EXPECT_EQ(known.attributes, asked.attributes);
}

TEST_F(SambaRoundTrips, KnownObjectsAndMembersNeedNoRequestButEveryAddOfAnObjectIsAsked) {
  const std::unique_ptr<DirObject> group = makeGroup(QStringLiteral("RtGroup"));
  const std::unique_ptr<DirObject> inner = makeGroup(QStringLiteral("RtInner"));
  requests();
  PendingError err;
  std::unique_ptr<DirObject> bound = m_dir->Bind(pathOf(group->dn), err);
  ASSERT_TRUE(bound);
  EXPECT_EQ(m_dir->Get(*bound, QStringLiteral("distinguishedName"), err), group->dn);
  EXPECT_EQ(requests(), QStringLiteral("0 0 0"));
  // Known to be there, the group is still only the server's to refuse.
  std::unique_ptr<DirObject> again =
      m_dir->Create(*m_ou, QStringLiteral("group"), QStringLiteral("CN=RtGroup"), err);
  m_dir->Put(*again, QStringLiteral("sAMAccountName"), test::uniqueName(QStringLiteral("g")));
  m_dir->SetInfo(*again, err);
  EXPECT_EQ(err.number(), kErrAlreadyExists) << err.description().toStdString();
  EXPECT_EQ(requests(), QStringLiteral("0 1 0"));
  // A member is added once; asked again, the answer is the one the server gives.
  err.clear();
  m_dir->Add(*bound, pathOf(inner->dn), err);
  EXPECT_FALSE(err.isSet()) << err.description().toStdString();
  m_dir->Add(*bound, pathOf(inner->dn), err);
  EXPECT_EQ(requests(), QStringLiteral("0 0 1"));
  LdapDirectory fresh(m_dc->adminSettings());
  PendingError server;
  std::unique_ptr<DirObject> freshGroup = fresh.Bind(pathOf(group->dn), server);
  ASSERT_TRUE(freshGroup);
  fresh.Add(*freshGroup, pathOf(inner->dn), server);
  EXPECT_EQ(err.number(), server.number()) << server.description().toStdString();
  EXPECT_EQ(err.number(), kErrAlreadyExists);
}

TEST_F(SambaRoundTrips, AnObjectTheServerSaysIsMissingMakesEverythingKnownBeAskedAgain) {
  const std::unique_ptr<DirObject> gone = makeGroup(QStringLiteral("RtGone"));
  const std::unique_ptr<DirObject> kept = makeGroup(QStringLiteral("RtKept"));
  ASSERT_TRUE(m_dc->modify(("dn: " + gone->dn + "\nchangetype: delete\n").toUtf8(), false));
  requests();
  PendingError err;
  m_dir->Add(*gone, pathOf(kept->dn), err);
  EXPECT_EQ(err.number(), kErrNoSuchObject) << err.description().toStdString();
  for (const DirObject* obj : {gone.get(), kept.get(), m_ou.get()}) {
    err.clear();
    const bool found = m_dir->Bind(pathOf(obj->dn), err) != nullptr;
    EXPECT_EQ(found, obj != gone.get()) << obj->dn.toStdString();
  }
  EXPECT_EQ(requests(), QStringLiteral("3 0 1"));
}

TEST_F(SambaRoundTrips, IdentitiesOfObjectsMadeInOneContainerAreReadTogetherAndHandedOutOnce) {
  std::vector<std::unique_ptr<DirObject>> made;
  for (const char* name : {"RtOne", "RtTwo", "RtThree"}) {
    made.push_back(makeGroup(QString::fromLatin1(name)));
  }
  requests();
  LdapDirectory fresh(m_dc->adminSettings());
  for (const auto& obj : made) {
    PendingError err, server;
    const QString guid = m_dir->ObjectGuid(*obj, err);
    EXPECT_FALSE(guid.isEmpty()) << obj->dn.toStdString() << err.description().toStdString();
    EXPECT_EQ(guid, fresh.ObjectGuid(*obj, server)) << obj->dn.toStdString();
  }
  EXPECT_EQ(requests(), QStringLiteral("1 0 0"));
  PendingError err;
  EXPECT_FALSE(m_dir->ObjectGuid(*made.front(), err).isEmpty());
  EXPECT_EQ(requests(), QStringLiteral("1 0 0"));
}

}  // namespace
}  // namespace quill
