#include "app/command_line.h"
#include "app/password_files.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace quill {
namespace {

QStringList split(const char* args) {
  return QString::fromUtf8(args).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

TEST(CommandLineTest, BadUsageIsRefusedNamingTheFlag) {
  struct Case {
    const char* args;
    const char* mentions;
  } cases[] = {
      {"--bogus", "--bogus"},
      {"--batch --full-tree maybe", "--full-tree"},
      {"--batch --pattern 4=1,12", "--pattern"},
      {"--batch --pattern 1=13,1", "--pattern"},
      {"--batch --pattern 1=0,0", "--pattern"},
      {"--batch --pattern 1=a,b", "--pattern"},
      {"--batch --private-location somewhere", "--private-location"},
      {"--batch --csv", "--csv"},
      {"--sandbox x --dc dc1", "--sandbox"},
      {"--csv list.csv", "--csv"},
      {"--yes", "--yes"},
      {"--batch --last-name-first=yes", "--last-name-first"},
      {"stray", "stray"},
  };
  for (const Case& c : cases) {
    const CommandLineResult r = parseCommandLine(split(c.args));
    EXPECT_FALSE(r.ok) << c.args;
    EXPECT_TRUE(r.error.contains(QLatin1String(c.mentions)))
        << c.args << " -> " << r.error.toStdString();
  }
}

TEST(CommandLineTest, RunFlagsSetTheirFieldsInOrder) {
  const CommandLineResult r = parseCommandLine(split(
      "--batch --sandbox sb --domain a.b --csv /x/list.csv --full-tree no --department-ous=no "
      "--department-ou LDAP://a.b/OU=D,DC=a,DC=b --department-groups no --duty-groups yes "
      "--groups-ou LDAP://a.b/OU=G,DC=a,DC=b --users no --flat-users yes "
      "--users-ou LDAP://a.b/OU=U,DC=a,DC=b --email no --email-domain mail.b "
      "--dir-root \\\\s\\d --private-dirs no --private-location per-department "
      "--single-public no --department-public no --hidden-shares yes --pattern 2=4,3 "
      "--last-name-first --domain c.d --yes"));
  ASSERT_TRUE(r.ok) << r.error.toStdString();
  EXPECT_EQ(r.commandLine.mode, CommandLine::Mode::Batch);
  EXPECT_TRUE(r.commandLine.answerYes);
  EXPECT_EQ(r.commandLine.sandboxDir, QStringLiteral("sb"));

  RunOptions o;
  UserNamePatterns p;
  QString error;
  applyRunFlags(r.commandLine, o, p);
  EXPECT_EQ(o.txt_Domain, QStringLiteral("c.d"));  // the later flag wins
  EXPECT_EQ(o.txt_CSVFile, QStringLiteral("/x/list.csv"));
  EXPECT_FALSE(o.chk_CreateFullTree);
  EXPECT_FALSE(o.chk_CreateOUs);
  EXPECT_EQ(o.txt_DepartmentOU, QStringLiteral("LDAP://a.b/OU=D,DC=a,DC=b"));
  EXPECT_FALSE(o.chk_CreateDep);
  EXPECT_TRUE(o.chk_CreateDuty);
  EXPECT_EQ(o.txt_GroupsOU, QStringLiteral("LDAP://a.b/OU=G,DC=a,DC=b"));
  EXPECT_FALSE(o.chk_CreateUsers);
  EXPECT_TRUE(o.chk_UsersOnSpecificOU);
  EXPECT_EQ(o.txt_UsersOU, QStringLiteral("LDAP://a.b/OU=U,DC=a,DC=b"));
  EXPECT_FALSE(o.chk_EmailDomain);
  EXPECT_EQ(o.txt_EmailDomain, QStringLiteral("mail.b"));
  EXPECT_EQ(o.txt_DirRoot, QStringLiteral("\\\\s\\d"));
  EXPECT_FALSE(o.chk_PrivDir);
  EXPECT_EQ(o.opt_PrivateDirsLocation, kPrivateDirsPerDepartment);
  EXPECT_FALSE(o.chk_PubDirSingle);
  EXPECT_FALSE(o.chk_PubDirDep);
  EXPECT_TRUE(o.chk_HiddenShares);
  EXPECT_EQ(p.pattern[1], (UserNamePattern{4, 3}));
  EXPECT_EQ(p.pattern[0], (UserNamePattern{1, 12}));
  EXPECT_TRUE(p.LastNameFirst);
}

TEST(CommandLineTest, PasswordFilesFillTheBoxesWhateverTheOrder) {
  QTemporaryDir dir;
  const QString pw = dir.filePath(QStringLiteral("pw"));
  const QString confirm = dir.filePath(QStringLiteral("confirm"));
  QFile f(pw);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("Secret 1\r\nsecond line\r\n");
  f.close();
  QFile g(confirm);
  ASSERT_TRUE(g.open(QIODevice::WriteOnly));
  g.write("Other");
  g.close();

  const CommandLineResult r =
      parseCommandLine({QStringLiteral("--batch"), QStringLiteral("--confirm-password-file"),
                        confirm, QStringLiteral("--password-file"), pw});
  ASSERT_TRUE(r.ok);
  RunOptions o;
  UserNamePatterns p;
  QString error;
  InitialPasswords read;
  ASSERT_TRUE(readPasswordFiles(r.commandLine, &read, &error));
  EXPECT_EQ(read.password, QStringLiteral("Secret 1"));
  EXPECT_EQ(read.confirmation, QStringLiteral("Other"));

  const CommandLineResult missing = parseCommandLine(
      {QStringLiteral("--batch"), QStringLiteral("--password-file"), dir.filePath("none")});
  ASSERT_TRUE(missing.ok);
  EXPECT_FALSE(readPasswordFiles(missing.commandLine, &read, &error));
  EXPECT_TRUE(error.contains(QLatin1String("password file")));
}

TEST(CommandLineTest, ModesAndWindowDefaults) {
  EXPECT_EQ(parseCommandLine({}).commandLine.mode, CommandLine::Mode::Window);
  EXPECT_EQ(parseCommandLine(split("--sandbox d --batch --help")).commandLine.mode,
            CommandLine::Mode::Help);
  EXPECT_EQ(parseCommandLine(split("--version")).commandLine.mode, CommandLine::Mode::Version);
  const CommandLineResult net = parseCommandLine(split("--dc dc1 --starttls --credentials c"));
  ASSERT_TRUE(net.ok);
  EXPECT_FALSE(net.commandLine.useSandbox());
  EXPECT_EQ(net.commandLine.dcHost, QStringLiteral("dc1"));
  EXPECT_TRUE(net.commandLine.startTls);
}

// The program's help names every flag (its exit on bad usage is a batch test).
TEST(CommandLineTest, ProgramHelpNamesEveryFlag) {
  QTemporaryDir dir;
  QProcess p;
  p.start(QStringLiteral(QUILL_BINARY),
          {QStringLiteral("--sandbox"), dir.filePath(QStringLiteral("sb")),
           QStringLiteral("--batch"), QStringLiteral("--help")});
  ASSERT_TRUE(p.waitForFinished(30000));
  EXPECT_EQ(p.exitCode(), 0);
  const QString help = QString::fromUtf8(p.readAllStandardOutput());
  const QStringList flags = split(
      "--sandbox --dc --starttls --credentials --batch --yes --domain --csv --full-tree "
      "--department-ous --department-ou --department-groups --duty-groups --groups-ou --users "
      "--flat-users --users-ou --password-file --confirm-password-file --email --email-domain "
      "--dir-root --private-dirs --private-location --single-public --department-public "
      "--hidden-shares --pattern --last-name-first --help --version");
  // A flag that is the start of another (--users, --users-ou) must stand alone somewhere.
  for (const QString& flag : flags) {
    EXPECT_TRUE(help.contains(QRegularExpression(QRegularExpression::escape(flag) + "\\b(?!-)")))
        << flag.toStdString();
  }
}

}  // namespace
}  // namespace quill
