#include "net/net_credentials.h"

#include <gtest/gtest.h>
#include <sys/prctl.h>

#include <QFile>
#include <QTemporaryDir>

#include "support/qt_print.h"
#include "support/samba_dc.h"

namespace quill {
namespace {

TEST(NetCredentials, AuthFileParsesTheSmbclientFormat) {
  struct Case {
    const char* text;
    bool ok;
    const char* user;
    const char* domain;
    const char* password;  // or the error for a refused file
  };
  const Case cases[] = {
      {"username = admin\npassword = s3cret\ndomain = QUILL\n", true, "admin", "QUILL", "s3cret"},
      {"username=admin\npassword=s3cret", true, "admin", "", "s3cret"},
      {"# who\n; and how\n\n  username\t=  admin  \r\npassword =  two words \r\n", true, "admin",
       "", "two words "},
      {"password = a=b#c;d\nusername = admin\n", true, "admin", "", "a=b#c;d"},
      {"USERNAME = QUILL\\admin\nPassword = x\n", true, "admin", "QUILL", "x"},
      {"username = QUILL\\admin\ndomain = quill.test\npassword = x\n", true, "admin", "quill.test",
       "x"},
      {"username = admin@quill.test\npassword = x\n", true, "admin@quill.test", "", "x"},
      {"username = admin\npassword = x\npassword = y\n", true, "admin", "", "y"},
      {"username = admin\n\npassword x\n", false, "", "", "line 3: expected \"name = value\""},
      {"user = admin\npassword = x\n", false, "", "", "line 1: unknown setting \"user\""},
      {"password = x\n", false, "", "", "no username given"},
      {"username = admin\npassword =   \n", false, "", "", "no password given"},
      {"", false, "", "", "no username given"},
  };
  for (const Case& c : cases) {
    NetCredentials creds;
    QString error;
    const bool ok = parseAuthFile(QByteArray(c.text), &creds, &error);
    ASSERT_EQ(ok, c.ok) << c.text << " -> " << error.toStdString();
    if (ok) {
      EXPECT_EQ(creds.user, QString::fromUtf8(c.user)) << c.text;
      EXPECT_EQ(creds.domain, QString::fromUtf8(c.domain)) << c.text;
      EXPECT_EQ(creds.password, QString::fromUtf8(c.password)) << c.text;
      EXPECT_FALSE(creds.useKerberos);
    } else {
      EXPECT_TRUE(error.startsWith(QString::fromUtf8(c.password)))
          << c.text << " -> " << error.toStdString();
    }
  }
}

TEST(NetCredentials, RefusedFileNeverEchoesItsContent) {
  NetCredentials creds;
  QString error;
  ASSERT_FALSE(parseAuthFile("username = admin\npassword = Hunter2-secret\nHunter2-secret\n",
                             &creds, &error));
  EXPECT_EQ(error, QStringLiteral("line 3: expected \"name = value\""));
}

TEST(NetCredentials, FileCredentialsSwitchCoreDumpsOff) {
  QTemporaryDir tmp;
  ASSERT_TRUE(tmp.isValid());
  const QString path = tmp.filePath(QStringLiteral("auth"));
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("username = admin\npassword = pw\ndomain = quill.test\n");
  file.close();

  NetCredentials creds;
  QString error;
  ASSERT_TRUE(resolveCredentials(path, &creds, &error)) << error.toStdString();
  EXPECT_EQ(creds.user, QStringLiteral("admin"));
  EXPECT_EQ(creds.password, QStringLiteral("pw"));
  EXPECT_EQ(prctl(PR_GET_DUMPABLE, 0, 0, 0, 0), 0);

  ASSERT_FALSE(resolveCredentials(tmp.filePath(QStringLiteral("missing")), &creds, &error));
  EXPECT_TRUE(error.startsWith(tmp.filePath(QStringLiteral("missing")) + u':'))
      << error.toStdString();
}

TEST(NetCredentials, WithoutFileOrTicketTheMessageSaysWhatToDo) {
  QTemporaryDir tmp;
  const test::EnvGuard cache("KRB5CCNAME", "FILE:" + tmp.filePath("none").toUtf8());
  EXPECT_FALSE(hasKerberosTicket());
  NetCredentials creds;
  QString error;
  EXPECT_FALSE(resolveCredentials(QString(), &creds, &error));
  EXPECT_EQ(error,
            QStringLiteral("no credentials: give --credentials FILE or obtain a Kerberos ticket "
                           "with kinit"));
}

}  // namespace
}  // namespace quill
