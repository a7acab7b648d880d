// The network backends with a Kerberos ticket instead of a password, against the Samba DC.
#include <QTemporaryDir>
#include <QThread>

#include "net/net_credentials.h"
#include "support/qt_print.h"
#include "support/samba_fixture.h"

namespace quill {
namespace {

using test::EnvGuard;
using test::uniqueName;

class SambaKerberos : public test::SambaTest {
 protected:
  void SetUp() override {
    test::SambaTest::SetUp();
    if (IsSkipped()) return;
    ASSERT_TRUE(m_tmp.isValid());
    m_cache = std::make_unique<EnvGuard>("KRB5CCNAME", "FILE:" + m_tmp.filePath("cc").toUtf8());
    m_config = std::make_unique<EnvGuard>("KRB5_CONFIG", m_dc->value("KRB5_CONFIG").toUtf8());
  }

  // kinit as Administrator into this test's cache; the password goes on stdin.
  void kinit(const QStringList& options = {}) {
    QProcessEnvironment env;
    env.insert(QStringLiteral("KRB5CCNAME"), qEnvironmentVariable("KRB5CCNAME"));
    QString output;
    const int status = m_dc->run(
        QStringLiteral("kinit"),
        options + QStringList{QStringLiteral("Administrator@") + m_dc->value("QUILL_DC_REALM")},
        m_dc->adminPassword().toUtf8() + '\n', &output, env);
    ASSERT_EQ(status, 0) << output.toStdString();
  }

  QTemporaryDir m_tmp;
  std::unique_ptr<EnvGuard> m_cache;
  std::unique_ptr<EnvGuard> m_config;
};

TEST_F(SambaKerberos, TicketIsFoundAndUsedWhenNoPasswordIsGiven) {
  NetCredentials creds;
  QString error;
  EXPECT_FALSE(hasKerberosTicket());
  EXPECT_FALSE(resolveCredentials(QString(), &creds, &error));

  kinit();
  QString principal;
  EXPECT_TRUE(hasKerberosTicket(&principal));
  EXPECT_EQ(principal, QStringLiteral("Administrator@QUILL.TEST"));
  ASSERT_TRUE(resolveCredentials(QString(), &creds, &error)) << error.toStdString();
  EXPECT_TRUE(creds.useKerberos);
  EXPECT_EQ(creds.user, QStringLiteral("Administrator"));
  EXPECT_EQ(creds.domain, QStringLiteral("QUILL.TEST"));
  EXPECT_TRUE(creds.password.isEmpty());

  NetSettings settings;
  settings.dcHost = m_dc->host();
  settings.user = creds.user;
  settings.domain = creds.domain;
  settings.useKerberos = true;
  LdapDirectory dir(settings);
  PendingError err;
  const std::unique_ptr<DirObject> root = dir.Bind(rootPath(), err);
  ASSERT_TRUE(root) << err.description().toStdString();
  std::unique_ptr<DirObject> ou =
      dir.Create(*root, QStringLiteral("organizationalUnit"),
                 QStringLiteral("OU=") + uniqueName(QStringLiteral("krb")), err);
  dir.SetInfo(*ou, err);
  const QString sam = uniqueName(QStringLiteral("k"));
  std::unique_ptr<DirObject> user =
      dir.Create(*ou, QStringLiteral("user"), QStringLiteral("CN=Kerberos Made"), err);
  dir.Put(*user, QStringLiteral("sAMAccountName"), sam);
  dir.SetInfo(*user, err);
  // Inside TLS the password may be sent although the SASL layer adds no encryption.
  dir.SetPassword(*user, QStringLiteral("Quill-Kerberos-2024!"));
  dir.SetAccountDisabled(*user, false);
  dir.SetInfo(*user, err);
  ASSERT_FALSE(err.isSet()) << err.description().toStdString();
  const QStringList uac = m_dc->attributeValues(user->dn, QStringLiteral("userAccountControl"));
  EXPECT_TRUE(uac == QStringList{QStringLiteral("544")} ||
              uac == QStringList{QStringLiteral("512")})
      << uac.join(u',').toStdString();
}

TEST_F(SambaKerberos, ExpiredTicketDoesNotCount) {
  kinit({QStringLiteral("-l"), QStringLiteral("4s")});
  EXPECT_TRUE(hasKerberosTicket());
  QThread::sleep(6);
  EXPECT_FALSE(hasKerberosTicket());
}

}  // namespace
}  // namespace quill
