#include "app/command_line.h"
#include "app/password_files.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "support/qt_print.h"

namespace quill {
namespace {

QStringList split(const char* args) {
  return QString::fromUtf8(args).split(' ', Qt::SkipEmptyParts);
}

TEST(CommandLineTest, BadUsageIsRefusedNamingTheFlag) {
  const struct {
    const char *args, *mentions;
  } cases[] = {
      // clang-format off
      {"--bogus", "--bogus"},                          {"stray", "stray"},
      {"--batch --full-tree maybe", "--full-tree"},    {"--batch --csv", "--csv"},
      {"--batch --pattern 4=1,12", "--pattern"},       {"--batch --pattern 0=1,12", "--pattern"},
      {"--batch --pattern 1=13,1", "--pattern"},       {"--batch --pattern 1=1,13", "--pattern"},
      {"--batch --pattern 1=0,0", "--pattern"},        {"--batch --pattern 1=a,b", "--pattern"},
      {"--batch --private-location x", "--private-location"},
      {"--sandbox x --dc dc1", "--sandbox"},           {"--sandbox=", "--sandbox"},
      {"--csv list.csv", "--csv"},                     {"--yes", "--yes"},
      {"--batch --last-name-first=yes", "--last-name-first"},
      // clang-format on
  };
  for (const auto& c : cases) {
    const CommandLineResult r = parseCommandLine(split(c.args));
    EXPECT_FALSE(r.ok) << c.args;
    EXPECT_TRUE(r.error.contains(c.mentions)) << c.args << " -> " << r.error.toStdString();
  }
}

// One flag of each kind; which flag sets which option is the code's own table.
TEST(CommandLineTest, RunFlagsApplyInOrderOnTopOfTheOptions) {
  const CommandLineResult r = parseCommandLine(
      split("--batch --sandbox sb --domain a.b --full-tree no --department-ous=no --flat-users yes "
            "--private-location per-department --pattern 3=12,0 --pattern 2=4,12 "
            "--last-name-first --domain c.d --yes"));
  ASSERT_TRUE(r.ok) << r.error.toStdString();
  EXPECT_EQ(r.commandLine.mode, CommandLine::Mode::Batch);
  EXPECT_TRUE(r.commandLine.answerYes);
  EXPECT_EQ(r.commandLine.sandboxDir, "sb");
  RunOptions o;
  UserNamePatterns p;
  applyRunFlags(r.commandLine, o, p);
  EXPECT_EQ(o.txt_Domain, "c.d");  // the later flag wins
  EXPECT_FALSE(o.chk_CreateFullTree);
  EXPECT_FALSE(o.chk_CreateOUs);
  EXPECT_TRUE(o.chk_UsersOnSpecificOU);
  EXPECT_EQ(o.opt_PrivateDirsLocation, kPrivateDirsPerDepartment);
  EXPECT_EQ(p.pattern[0], (UserNamePattern{1, 12}));
  EXPECT_EQ(p.pattern[1], (UserNamePattern{4, 12}));
  EXPECT_EQ(p.pattern[2], (UserNamePattern{12, 0}));
  EXPECT_TRUE(p.LastNameFirst);
}

TEST(CommandLineTest, PasswordFilesFillTheBoxesWhateverTheOrder) {
  QTemporaryDir dir;
  const QString pw = dir.filePath("pw"), confirm = dir.filePath("confirm");
  for (const auto& [path, text] :
       {std::pair{pw, "Secret 1\r\nsecond line\r\n"}, {confirm, "Other"}}) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
  }
  const CommandLineResult r =
      parseCommandLine({"--batch", "--confirm-password-file", confirm, "--password-file", pw});
  ASSERT_TRUE(r.ok);
  InitialPasswords read;
  QString error;
  ASSERT_TRUE(readPasswordFiles(r.commandLine, &read, &error)) << error.toStdString();
  EXPECT_EQ(read.password, "Secret 1");
  EXPECT_EQ(read.confirmation, "Other");
}

TEST(CommandLineTest, ModesAndNetworkFlags) {
  EXPECT_EQ(parseCommandLine({}).commandLine.mode, CommandLine::Mode::Window);
  EXPECT_EQ(parseCommandLine(split("--batch --help")).commandLine.mode, CommandLine::Mode::Help);
  EXPECT_EQ(parseCommandLine(split("--version")).commandLine.mode, CommandLine::Mode::Version);
  const CommandLineResult r = parseCommandLine(split("--dc dc1 --starttls --credentials c"));
  ASSERT_TRUE(r.ok && !r.commandLine.useSandbox() && r.commandLine.startTls)
      << r.error.toStdString();
  EXPECT_EQ(r.commandLine.dcHost + " " + r.commandLine.credentialsFile, "dc1 c");
}

}  // namespace
}  // namespace quill
