// What a person costs in requests to the Samba DC, and that the shortcuts change no outcome: the
// account step over an LdapDirectory that already completed an account, checked against the same
// step over a fresh one (which takes the two steps).
#include <QTemporaryDir>

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
    QString error;
    m_sandbox = Sandbox::open(m_tmp.path() + QStringLiteral("/sandbox"), &error);
    ASSERT_TRUE(m_sandbox) << error.toStdString();
    QString folder = m_tmp.path();
    QString fileName = QStringLiteral("run.log");
    m_log.OpenRunLog({}, folder, fileName, 0);
    m_ou = makeOu(QStringLiteral("Rt"));
    ASSERT_TRUE(m_ou);
    m_host.runOptions().txt_Password = {QStringLiteral("Quill-Trip-2024!"), {}};
  }

  // The account step for person over directory: its result, its log lines and the account's
  // attributes that do not name the person.
  struct Outcome {
    int result;
    QStringList lines;
    QStringList attributes;
  };
  Outcome account(LdapDirectory& directory, const QString& first, const QString& last) {
    RunContext ctx(m_host, directory, m_sandbox->files(), m_sandbox->shares(), m_log, m_patterns);
    ctx.domain.DomainFqdn = m_dc->domain();
    const qsizetype before = m_host.helpHistory().size();
    const QString login = test::uniqueName(first.left(1));
    const UserRecord person(first + u',' + last + QStringLiteral(",Clerk,Rt,Clerk,555-0100"));
    QString dn;
    Outcome o{
        CreateUserAccount(ctx, person, *m_ou, login, dn), m_host.helpHistory().mid(before), {}};
    const QString stored = QStringLiteral("CN=%1 %2,").arg(first, last) + m_ou->dn;
    for (const char* a :
         {"userAccountControl", "pwdLastSet", "description", "telephoneNumber", "objectClass"}) {
      o.attributes << a + (u'=' + m_dc->attributeValues(stored, QString::fromLatin1(a)).join(u'|'));
    }
    return o;
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

  QTemporaryDir m_tmp;
  std::unique_ptr<Sandbox> m_sandbox;
  test::ScriptedHost m_host;
  RunLog m_log;
  UserNamePatterns m_patterns;
  std::unique_ptr<DirObject> m_ou;
  LdapConnection::Tally m_seen;
};

TEST_F(SambaRoundTrips, AfterTheFirstAccountEachTakesOneAddAndEndsTheSame) {
  const Outcome twoSteps = account(*m_dir, QStringLiteral("Ann"), QStringLiteral("First"));
  EXPECT_EQ(twoSteps.result, kUserCreated) << twoSteps.lines.join(u'|').toStdString();
  requests();
  for (const char* first : {"Bob", "Cid"}) {
    const Outcome oneAdd = account(*m_dir, QString::fromLatin1(first), QStringLiteral("Later"));
    EXPECT_EQ(oneAdd.result, twoSteps.result) << first;
    EXPECT_EQ(oneAdd.lines, twoSteps.lines) << first;
    EXPECT_EQ(oneAdd.attributes, twoSteps.attributes) << first;
  }
  // One add each, and once the domain's account names, which the adds must not collide with.
  EXPECT_EQ(requests(), QStringLiteral("1 2 0"));
}

TEST_F(SambaRoundTrips, ARefusedOneAddFallsBackToTheTwoStepsAndTheirOutcome) {
  EXPECT_EQ(account(*m_dir, QStringLiteral("Ann"), QStringLiteral("Armed")).result, kUserCreated);
  m_host.runOptions().txt_Password = {QStringLiteral("a"), {}};
  const Outcome fallBack = account(*m_dir, QStringLiteral("Walt"), QStringLiteral("Weak"));
  // The same step over a directory that has completed no account yet takes the two steps.
  LdapDirectory fresh(m_dc->adminSettings());
  const Outcome twoSteps = account(fresh, QStringLiteral("Wim"), QStringLiteral("Weak"));
  EXPECT_EQ(fallBack.result, kUserExistsOrIncomplete);
  EXPECT_EQ(fallBack.result, twoSteps.result);
  EXPECT_EQ(fallBack.lines, twoSteps.lines);
  EXPECT_EQ(fallBack.attributes, twoSteps.attributes);
  EXPECT_TRUE(fallBack.attributes.contains(QStringLiteral("userAccountControl=546")))
      << fallBack.attributes.join(u'|').toStdString();
}

TEST_F(SambaRoundTrips, KnownObjectsAndMembersNeedNoRequest) {
  PendingError err;
  std::unique_ptr<DirObject> group;
  for (const char* rdn : {"CN=RtInner", "CN=RtGroup"}) {
    group = m_dir->Create(*m_ou, QStringLiteral("group"), QString::fromLatin1(rdn), err);
    m_dir->Put(*group, QStringLiteral("sAMAccountName"), test::uniqueName(QStringLiteral("g")));
    m_dir->SetInfo(*group, err);
    ASSERT_FALSE(err.isSet()) << err.description().toStdString();
  }
  const QString innerPath = pathOf(QStringLiteral("CN=RtInner,") + m_ou->dn);
  requests();
  // Made here: bound, named and found there without asking.
  std::unique_ptr<DirObject> bound = m_dir->Bind(pathOf(group->dn), err);
  ASSERT_TRUE(bound);
  EXPECT_EQ(m_dir->Get(*bound, QStringLiteral("distinguishedName"), err), group->dn);
  std::unique_ptr<DirObject> again =
      m_dir->Create(*m_ou, QStringLiteral("group"), QStringLiteral("CN=RtGroup"), err);
  m_dir->SetInfo(*again, err);
  EXPECT_EQ(err.number(), kErrAlreadyExists);
  EXPECT_EQ(requests(), QStringLiteral("0 0 0"));
  // A member is added once; the server hears of it once.
  for (const uint32_t expected : {0u, kErrAlreadyExists}) {
    err.clear();
    m_dir->Add(*bound, innerPath, err);
    EXPECT_EQ(err.number(), expected) << err.description().toStdString();
  }
  EXPECT_EQ(requests(), QStringLiteral("0 0 1"));
}

}  // namespace
}  // namespace quill
