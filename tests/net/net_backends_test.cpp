#include "net/net_backends.h"

#include <gtest/gtest.h>

#include "app/backend_choice.h"
#include "app/command_line.h"
#include "net/net_credentials.h"
#include "support/qt_print.h"
#include "support/samba_dc.h"

namespace quill {
namespace {

TEST(NetBackends, DescribeNamesTheDcAndTheUserButNeverThePassword) {
  NetSettings settings;
  settings.dcHost = QStringLiteral("dc1.example.test");
  settings.user = QStringLiteral("admin");
  settings.domain = QStringLiteral("EXAMPLE");
  settings.password = QStringLiteral("Secret-Pw-42");
  QString error;
  std::unique_ptr<Backends> backends = openNetworkBackends(settings, &error);
  ASSERT_TRUE(backends) << error.toStdString();
  const QString text = backends->describe();
  EXPECT_TRUE(text.contains(u"dc1.example.test")) << text.toStdString();
  EXPECT_TRUE(text.contains(u"EXAMPLE\\admin")) << text.toStdString();
  EXPECT_FALSE(text.contains(u"Secret")) << text.toStdString();
  const Platform platform = backends->platform();
  EXPECT_TRUE(platform.directory && platform.files && platform.shares);
  // Nothing is kept locally: saving has nothing to do and cannot fail.
  EXPECT_TRUE(backends->save(&error));
}

TEST(NetBackends, CommandLineWithoutCredentialsOpensNothing) {
  const test::EnvGuard cache("KRB5CCNAME", "FILE:/nonexistent/quill-no-ticket");
  const CommandLineResult parsed =
      parseCommandLine({QStringLiteral("--batch"), QStringLiteral("--dc"), QStringLiteral("x")});
  ASSERT_TRUE(parsed.ok) << parsed.error.toStdString();
  QString error;
  EXPECT_FALSE(openBatchBackends(parsed.commandLine, &error));
  EXPECT_EQ(error, QString::fromLatin1(kNoCredentialsMessage));
}

}  // namespace
}  // namespace quill
