// How the LDAP directory fails against a real Samba AD DC: refused logons, missing rights, an
// untrusted certificate, a server that cannot be reached or stops answering.
#include <signal.h>

#include <QElapsedTimer>

#include "support/qt_print.h"
#include "support/samba_fixture.h"

namespace quill {
namespace {

using SambaFailure = test::SambaTest;
using test::EnvGuard;
using test::uniqueName;

// Creates an enabled plain user with password through ldapadd; returns its account name.
QString addPlainUser(const test::SambaDc& dc, const QString& password) {
  const QString sam = uniqueName(QStringLiteral("n"));
  const QByteArray pwd = (u'"' + password + u'"').toUtf8();
  QByteArray utf16;
  for (const QChar c : QString::fromUtf8(pwd)) {
    utf16.append(static_cast<char>(c.unicode() & 0xff)).append(static_cast<char>(c.unicode() >> 8));
  }
  const QByteArray ldif = "dn: CN=" + sam.toUtf8() + ",CN=Users," + dc.baseDn().toUtf8() +
                          "\nobjectClass: user\nsAMAccountName: " + sam.toUtf8() +
                          "\nunicodePwd:: " + utf16.toBase64() + "\nuserAccountControl: 512\n\n";
  QString output;
  EXPECT_TRUE(dc.modify(ldif, true, &output)) << output.toStdString();
  return sam;
}

// Sets an attribute of the domain root for the life of the guard.
class DomainPolicy {
 public:
  DomainPolicy(const test::SambaDc& dc, const QString& attribute, const QString& value)
      : m_dc(dc), m_attribute(attribute) {
    m_old = dc.attributeValues(dc.baseDn(), attribute).value(0, QStringLiteral("0"));
    set(value);
  }
  ~DomainPolicy() { set(m_old); }
  DomainPolicy(const DomainPolicy&) = delete;
  DomainPolicy& operator=(const DomainPolicy&) = delete;

 private:
  void set(const QString& value) {
    QString output;
    EXPECT_TRUE(m_dc.modify(("dn: " + m_dc.baseDn() + "\nchangetype: modify\nreplace: " +
                             m_attribute + "\n" + m_attribute + ": " + value + "\n")
                                .toUtf8(),
                            false, &output))
        << output.toStdString();
  }
  const test::SambaDc& m_dc;
  QString m_attribute;
  QString m_old;
};

TEST_F(SambaFailure, WrongPasswordIsALogonFailureTriedOnlyOnce) {
  // The DC counts bad passwords only while a lockout threshold is set; this one is never reached.
  const DomainPolicy counting(*m_dc, QStringLiteral("lockoutThreshold"), QStringLiteral("1000"));
  const QString sam = addPlainUser(*m_dc, QStringLiteral("Plain-User-Pw1"));
  LdapDirectory dir(m_dc->userSettings(sam, m_dc->domain(), QStringLiteral("Not-The-Pw-77")));
  PendingError err;
  for (int attempt = 0; attempt < 3; ++attempt) {
    err.clear();
    EXPECT_FALSE(dir.Bind(rootPath(), err));
    EXPECT_EQ(err.number(), kErrLogonFailure) << err.description().toStdString();
    EXPECT_FALSE(err.description().contains(u"Not-The-Pw-77"));
  }
  // One refused logon reached the server, not three: the account is not pushed towards lockout.
  EXPECT_EQ(m_dc->attributeValues(
                QStringLiteral("CN=") + sam + QStringLiteral(",CN=Users,") + m_dc->baseDn(),
                QStringLiteral("badPwdCount")),
            QStringList{QStringLiteral("1")});
}

TEST_F(SambaFailure, PlainUserMayReadButNotCreate) {
  const QString sam = addPlainUser(*m_dc, QStringLiteral("Plain-User-Pw1"));
  LdapDirectory dir(m_dc->userSettings(sam, m_dc->domain(), QStringLiteral("Plain-User-Pw1")));
  PendingError err;
  const std::unique_ptr<DirObject> root = dir.Bind(rootPath(), err);
  ASSERT_TRUE(root) << err.description().toStdString();
  std::unique_ptr<DirObject> ou =
      dir.Create(*root, QStringLiteral("organizationalUnit"),
                 QStringLiteral("OU=") + uniqueName(QStringLiteral("deny")), err);
  dir.SetInfo(*ou, err);
  EXPECT_EQ(err.number(), kErrAccessDenied) << err.description().toStdString();
}

TEST_F(SambaFailure, EveryAccountNameFormLogsOn) {
  const QString pw = m_dc->adminPassword();
  const struct {
    const char* user;
    QString domain;
  } forms[] = {
      {"Administrator", m_dc->domain()},                          // Administrator@quill.test
      {"Administrator", m_dc->value("QUILL_DC_NETBIOS_DOMAIN")},  // QUILL\Administrator
      {"Administrator", QString()},                               // the plain account name
  };
  for (const auto& form : forms) {
    LdapDirectory dir(m_dc->userSettings(QString::fromUtf8(form.user), form.domain, pw));
    PendingError err;
    EXPECT_TRUE(dir.Bind(rootPath(), err))
        << form.domain.toStdString() << ": " << err.description().toStdString();
  }
}

TEST_F(SambaFailure, UntrustedCertificateSendsNoCredentials) {
  {
    const EnvGuard noCa("LDAPTLS_CACERT", QByteArray());
    LdapDirectory dir(m_dc->adminSettings());
    PendingError err;
    EXPECT_FALSE(dir.Bind(rootPath(), err));
    EXPECT_EQ(err.number(), kErrServerDown) << err.description().toStdString();
  }
  {
    // The user's own choice to skip verification is honoured.
    const EnvGuard noCa("LDAPTLS_CACERT", QByteArray());
    const EnvGuard never("LDAPTLS_REQCERT", "never");
    LdapDirectory dir(m_dc->adminSettings());
    PendingError err;
    EXPECT_TRUE(dir.Bind(rootPath(), err)) << err.description().toStdString();
  }
}

TEST_F(SambaFailure, UnreachableServerIsServerDown) {
  NetSettings settings = m_dc->adminSettings();
  settings.dcHost = m_dc->host() + QStringLiteral(":1");
  LdapDirectory dir(settings);
  QElapsedTimer timer;
  timer.start();
  PendingError err;
  EXPECT_FALSE(dir.Bind(rootPath(), err));
  EXPECT_EQ(err.number(), kErrServerDown) << err.description().toStdString();
  EXPECT_FALSE(dir.AccountExists(m_dc->domain(), QStringLiteral("Administrator")));
  EXPECT_LT(timer.elapsed(), 3000);
}

// Resumes a stopped process however the test ends.
class Resumer {
 public:
  explicit Resumer(pid_t pid) : m_pid(pid) {}
  ~Resumer() { ::kill(m_pid, SIGCONT); }
  Resumer(const Resumer&) = delete;
  Resumer& operator=(const Resumer&) = delete;

 private:
  pid_t m_pid;
};

TEST_F(SambaFailure, StoppedServerFailsWithinTheTimeout) {
  const pid_t pid = m_dc->value("QUILL_DC_PID").toInt();
  ASSERT_GT(pid, 1);
  NetSettings settings = m_dc->adminSettings();
  settings.timeoutSeconds = 2;
  LdapDirectory open(settings);
  PendingError err;
  ASSERT_TRUE(open.Bind(rootPath(), err)) << err.description().toStdString();

  {
    const Resumer resume(pid);
    ASSERT_EQ(::kill(pid, SIGSTOP), 0);
    QElapsedTimer timer;
    timer.start();
    // An open connection: the request gets no answer.
    EXPECT_FALSE(open.Bind(pathOf(QStringLiteral("CN=Users,") + m_dc->baseDn()), err));
    EXPECT_EQ(err.number(), kErrServerDown) << err.description().toStdString();
    EXPECT_LT(timer.elapsed(), 8000);
    // A new connection: the TLS handshake gets no answer.
    timer.restart();
    LdapDirectory fresh(settings);
    err.clear();
    EXPECT_FALSE(fresh.Bind(rootPath(), err));
    EXPECT_EQ(err.number(), kErrServerDown) << err.description().toStdString();
    EXPECT_LT(timer.elapsed(), 8000);
  }
  // Running again, the server is found by a new connection.
  LdapDirectory after(settings);
  err.clear();
  EXPECT_TRUE(after.Bind(rootPath(), err)) << err.description().toStdString();
}

}  // namespace
}  // namespace quill
