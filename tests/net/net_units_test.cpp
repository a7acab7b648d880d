// The network backends' pieces that need no server: SMB URLs and UNC paths, server addresses,
// credentials files, and what the backends say about themselves.
#include <sys/prctl.h>

#include <QFile>
#include <QTemporaryDir>

#include "app/backend_choice.h"
#include "app/command_line.h"
#include "net/ldap_values.h"
#include "net/net_backends.h"
#include "net/net_credentials.h"
#include "net/smb_url.h"
#include "support/samba_dc.h"

namespace quill::test {
namespace {

TEST(NetNames, UrlsEncodeWhatTheirParserReadsAsSyntaxAndServersArePlainNames) {
  EXPECT_EQ(smbUrl("user:pw@evil", "data$", {"a~b-c_d.e", "50%25 off", "q?x=1;y#z&a+b", "it's!\""}),
            "smb://user%3Apw%40evil/data%24/a~b-c_d.e/50%2525%20off/q%3Fx%3D1%3By%23z%26a%2Bb/"
            "it%27s%21%22");
  // A directory server is a plain host name or address, with a port at most.
  QStringList uris;
  for (const char* address :
       {"dc1.quill.test", "127.0.0.1:1636", "[fe80::1]:3269", "::1", "", "a b", "ldaps://x", "x:0",
        "x:65536", "x:+1", "[::1", "dc,q", "[::g]"}) {
    uris << ldapServerUri(address, false) + ldapServerUri(address, true);
  }
  EXPECT_EQ(uris.join(' ').simplified(),
            "ldaps://dc1.quill.test:636ldap://dc1.quill.test:389 ldaps://127.0.0.1:1636ldap://"
            "127.0.0.1:1636 ldaps://[fe80::1]:3269ldap://[fe80::1]:3269 "
            "ldaps://[::1]:636ldap://[::1]:389");
}

TEST(NetCredentials, AFileInTheSmbclientFormatSwitchesCoreDumpsOffAndIsNeverEchoed) {
  // clang-format off
  const char* cases[][4] = {  // text, then user, domain and password, or the error
      {"# who\n; how\n\n  username\t=  admin  \r\npassword =  two words \r\n", "admin", "", "two words "},
      {"password = a=b#c;d\nUSERNAME = QUILL\\admin", "admin", "QUILL", "a=b#c;d"},
      {"username = Q/admin\ndomain = quill.test\npassword = x\npassword = y", "admin", "quill.test", "y"},
      {"username = admin\npassword = Hunter2\nHunter2\n", "line 3: expected \"name = value\""},
      {"user = a\n", "line 1: unknown setting \"user\" (expected username, password or domain)"},
      {"password = x\n", "no username given"}, {"username = admin\npassword =   \n", "no password given"}};
  // clang-format on
  NetCredentials creds;
  QString error;
  for (const auto& c : cases) {
    const bool ok = parseAuthFile(c[0], &creds, &error);
    EXPECT_EQ((ok ? QStringList{creds.user, creds.domain, creds.password} : QStringList{error}),
              (c[2] ? QStringList{c[1], c[2], c[3]} : QStringList{c[1]}))
        << c[0];
  }
  QTemporaryDir tmp;
  QFile file(tmp.filePath("auth"));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("username = a\npassword = pw\n") > 0);
  file.close();
  ASSERT_TRUE(resolveCredentials(file.fileName(), &creds, &error)) << error;
  EXPECT_EQ(creds.password + QString::number(prctl(PR_GET_DUMPABLE, 0, 0, 0, 0)), "pw0");
  EXPECT_FALSE(resolveCredentials(tmp.filePath("missing"), &creds, &error));
  EXPECT_TRUE(error.startsWith(tmp.filePath("missing") + ':')) << error;
}

TEST(NetBackends, SayWhereAndAsWhomButNeverThePasswordAndNeedCredentials) {
  QString error;
  const std::unique_ptr<Backends> backends = openNetworkBackends(
      NetSettings{"dc1.example.test", true, "admin", "EXAMPLE", "Secret-Pw-42", false, 10}, &error);
  ASSERT_TRUE(backends) << error;
  EXPECT_EQ(backends->describe(),
            "domain controller dc1.example.test over LDAP with StartTLS, as EXAMPLE\\admin");
  const EnvGuard cache("KRB5CCNAME", "FILE:/nonexistent/no-ticket");
  NetCredentials creds;
  EXPECT_FALSE(hasKerberosTicket() || resolveCredentials({}, &creds, &error));
  EXPECT_EQ(error, kNoCredentialsMessage);
  error.clear();
  EXPECT_FALSE(openBatchBackends(parseCommandLine({"--batch", "--dc", "x"}).commandLine, &error));
  EXPECT_EQ(error, kNoCredentialsMessage);
}

}  // namespace
}  // namespace quill::test
