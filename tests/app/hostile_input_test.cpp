// The real program in batch mode against inputs a careless or hostile operator
// could give it: password files, list values, damaged sandbox files, links,
// signals. Each case names the fault it keeps out.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <csignal>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include "sandbox/memory_directory.h"
#include "sandbox/sandbox.h"
#include "support/batch_program.h"
#include "support/qt_print.h"

namespace quill {
namespace {

const QString kPassword = QStringLiteral("Secret-1");

using test::Exit;
using HostileInput = test::BatchProgram;

TEST_F(HostileInput, PasswordFilesAreReadOnceWhole) {
  // A pipe can be read once only: the password must be the one that was in it.
  const Exit piped =
      quill({"--batch", "--sandbox", path("S"), "--csv", list({"John,Smith,d,Sales,Clerk,1"}),
             "--dir-root", "\\\\files\\data", "--password-file", "/dev/stdin"},
            "Secret-1\n");
  ASSERT_EQ(piped.status, 0) << piped.err.toStdString();
  QString error;
  std::unique_ptr<Sandbox> sandbox = Sandbox::open(path("S"), &error);
  ASSERT_TRUE(sandbox) << error.toStdString();
  const QString dn = QStringLiteral("CN=John Smith,OU=Sales,OU=Users,OU=OU's,DC=example,DC=test");
  EXPECT_TRUE(sandbox->directory().checkPassword(dn, kPassword));
  // An account that has its password no longer "needs no password".
  EXPECT_EQ(sandbox->directory().values(dn, "userAccountControl"), QStringList{"512"});
}

TEST_F(HostileInput, BadPasswordFilesStopBeforeAnythingIsCreated) {
  const struct {
    QByteArray content;
    const char* says;
  } cases[] = {
      {"", "empty"},
      {"\n", "empty"},
      {"\r\n", "empty"},
      {"\xef\xbb\xbf\n", "empty"},  // a byte order mark alone is no password
      {"Secr\xe9t\n", "not UTF-8"},
      {QByteArray(1025, 'x'), "longer than 1024"},
      {"Sec\rret\n", "carriage return"},
  };
  for (const auto& c : cases) {
    const Exit e = run({"--csv", list({"John,Smith,d,Sales,Clerk,1"})}, c.content);
    EXPECT_EQ(e.status, 64) << c.says;
    EXPECT_TRUE(e.err.contains(QLatin1String(c.says)) && e.err.contains(path("pw")))
        << e.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(path("S"))) << c.says;
  }
  const QString withCrLf = write("crlf", "Secret-1\r\nsecond line\n");
  EXPECT_EQ(quill({"--batch", "--sandbox", path("S"), "--csv", list({}), "--password-file",
                   withCrLf, "--dir-root", "\\\\files\\data"})
                .status,
            0);
  // Batch mode has no built-in password to fall back to.
  const Exit none = quill({"--batch", "--sandbox", path("T"), "--csv", list({})});
  EXPECT_EQ(none.status, 64);
  EXPECT_TRUE(none.err.contains("--password-file")) << none.err.toStdString();
  EXPECT_EQ(quill({"--batch", "--sandbox", path("T"), "--csv", list({}), "--users", "no",
                   "--dir-root", "\\\\files\\data"})
                .status,
            0);
}

TEST_F(HostileInput, ListValuesAreDataNeverExpandedNorObeyed) {
  qputenv("QUILL_TEST_SECRET", "leak");
  const Exit e = run({"--csv",
                      list({"A,B,d,%QUILL_TEST_SECRET%Fin,Clerk,1", "C,D,d,%NOPE%Fin,Clerk,1",
                            QStringLiteral("E,F\nForged log line,d,Sales,Clerk,1"),
                            QStringLiteral("G,H\x1b[2J,d,Sales,Clerk,1"),
                            QString::fromUtf8("I,J\0K,d,Sales,Clerk,1", 21)}),
                      "--private-dirs", "no", "--single-public", "no"});
  // The folder and its share carry the value as the list gives it.
  EXPECT_TRUE(QFileInfo(data("%QUILL_TEST_SECRET%Fin_Public")).isDir());
  EXPECT_TRUE(QFileInfo(data("%NOPE%Fin_Public")).isDir());
  EXPECT_FALSE(QFileInfo::exists(data("leakFin_Public")));
  EXPECT_TRUE(
      read("S/shares.tsv").contains("%NOPE%Fin_Public\tD:\\shares\\data\\%NOPE%Fin_Public"));
  // Controls are shown, not obeyed: no forged line, no escape sequence, no cut line.
  EXPECT_FALSE(e.out.contains(QLatin1String("\nForged log line")));
  EXPECT_TRUE(e.out.contains(QLatin1String("F\\nForged log line")));
  EXPECT_TRUE(e.out.contains(QLatin1String("H\\x1b[2J")) && !e.out.contains(QChar(0x1b)));
  EXPECT_TRUE(e.out.contains(QLatin1String("J\\x00K")));
  EXPECT_FALSE(read("quillstead.log").contains('\x1b'));
}

TEST_F(HostileInput, NamesThatLookAlikeOrBreakPathsAreHandledAsOne) {
  const QString composed = QString::fromUtf8("M\xc3\xbcller");     // ü as one letter
  const QString decomposed = QString::fromUtf8("Mu\xcc\x88ller");  // u + combining diaeresis
  const Exit e = run({"--csv",
                      list({"A,B,d," + composed + ",Clerk,1", "C,D,d," + decomposed + ",Clerk,1",
                            "E,F,d,,Clerk,1", QString::fromUtf8("G,H,d,Q\xc2\x85R,Clerk,1")}),
                      "--private-location", "per-department", "--dir-root", "\\\\files\\data\\\\"});
  const QStringList made = QDir(data("All")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
  EXPECT_EQ(made.filter(QStringLiteral("ller")).size(), 1) << made.join(' ').toStdString();
  // An empty department gets its folders under the doubled separator's one level.
  EXPECT_TRUE(QFileInfo(data("All/_Public")).isDir()) << made.join(' ').toStdString();
  // A C1 control never becomes part of a folder or a share.
  EXPECT_FALSE(made.join(' ').contains(QChar(0x85)));
  EXPECT_FALSE(QString::fromUtf8(read("S/shares.tsv")).contains(QChar(0x85)));
  EXPECT_EQ(e.status, 1) << e.out.toStdString();
}

TEST_F(HostileInput, ALineLongerThanAMegabyteIsOnePersonInError) {
  const Exit e =
      run({"--csv",
           list({"A,B,d,Sales,Clerk,1", QString(2 * 1024 * 1024, u'x'), "C,D,d,Sales,Clerk,1"})});
  EXPECT_EQ(e.status, 1);
  EXPECT_TRUE(e.out.contains(QLatin1String("longer than 1 MiB")));
  EXPECT_TRUE(e.out.contains(QLatin1String("Creating user 'CD'")));
}

TEST_F(HostileInput, TheSandboxNeverFollowsALinkOutOfItsFolder) {
  ASSERT_EQ(run({"--csv", list({}), "--users", "no"}).status, 0);
  ASSERT_TRUE(QDir().mkpath(path("outside")));
  ASSERT_TRUE(QFile::link(path("outside"), data("All/Sales_Public")));
  const Exit e = run({"--csv", list({"A,B,d,Sales,Clerk,1"})});
  EXPECT_EQ(e.status, 1);
  EXPECT_TRUE(QDir(path("outside")).isEmpty());
  EXPECT_FALSE(read("S/shares.tsv").contains("Sales_Public"));
}

TEST_F(HostileInput, DamagedSandboxFilesStopTheProgramAndNameTheLine) {
  ASSERT_EQ(run({"--csv", list({"A,B,d,Sales,Clerk,1"})}).status, 0);
  const QByteArray whole = read("S/directory.ldif");
  struct stat mode {};
  ASSERT_EQ(::stat(path("S/directory.ldif").toLocal8Bit().constData(), &mode), 0);
  EXPECT_EQ(mode.st_mode & 0777, 0600u);
  const QList<QByteArray> lines = whole.split('\n');
  const struct {
    QByteArray content;
    const char* says;
  } cases[] = {
      {lines.mid(0, 60).join('\n') + '\n', "cut short"},
      {whole.left(whole.size() / 2), "cut short"},
      {QByteArray(whole).replace("dn: OU=Sales", "dn: OU=Sales,,"), "line"},
  };
  for (const auto& c : cases) {
    write("S/directory.ldif", c.content);
    const Exit e = run({"--csv", list({})});
    EXPECT_EQ(e.status, 3) << c.says;
    EXPECT_TRUE(e.err.contains(path("S/directory.ldif")) && e.err.contains(QLatin1String(c.says)))
        << e.err.toStdString();
  }
  // A file of an earlier version, without its first and last lines, loads once with a warning.
  write("S/directory.ldif", QByteArray(whole)
                                .replace(lines.first() + '\n', "")
                                .replace(lines.at(lines.size() - 2) + '\n', ""));
  const Exit legacy = run({"--csv", list({}), "--users", "no"});
  EXPECT_TRUE(legacy.err.contains(QLatin1String("earlier version")));
  EXPECT_TRUE(read("S/directory.ldif").startsWith(lines.first()));
}

TEST_F(HostileInput, SmallerMistakesAreCaughtOrMended) {
  EXPECT_EQ(quill({"--batch", "--pattern", "1=99999999999,1"}).status, 64);
  // OUs picked on one server of the domain are the same OUs.
  const QString users = QStringLiteral("LDAP://dc1.example.test/CN=Users,DC=example,DC=test");
  Exit e = run({"--csv", list({"A,B,d,Sales,Clerk,1"}), "--full-tree", "no", "--department-ou",
                users, "--groups-ou", users, "--duty-groups", "no"});
  EXPECT_EQ(e.status, 0) << e.out.toStdString();
  EXPECT_TRUE(
      e.out.contains(QLatin1String("'LDAP://example.test/CN=A B,OU=Sales,CN=Users,DC=example,"
                                   "DC=test' to 'LDAP://example.test/CN=Sales,CN=Users")))
      << e.out.toStdString();
  // One full stop after a reason that has its own.
  e = run({"--csv", path(".")});
  EXPECT_TRUE(e.err.contains(QLatin1String("not a file.\n")) &&
              !e.err.contains(QLatin1String("..")))
      << e.err.toStdString();
  // A group name a domain refuses is refused by the sandbox as well.
  e = run({"--csv", list({"A,B,d,R&D+Ops,Clerk,1"})});
  EXPECT_TRUE(e.out.contains(QLatin1String("Error creating group 'R&D+Ops_Clerk'")))
      << e.out.toStdString();
  // The log is named after the program as it was started.
  ASSERT_TRUE(QFile::link(QStringLiteral(QUILL_BINARY), path("qs")));
  quill({"--batch", "--sandbox", path("S"), "--csv", list({}), "--users", "no", "--dir-root",
         "\\\\files\\data"},
        {}, path("qs"));
  EXPECT_TRUE(QFileInfo::exists(path("qs.log")));
}

TEST_F(HostileInput, AnUnwritableLogIsSaidOnceAndTheRunGoesOn) {
  ASSERT_TRUE(QDir().mkpath(path("quillstead.log")));  // a folder where the log should be
  const Exit e = run({"--csv", list({"A,B,d,Sales,Clerk,1", "C,D,d,Sales,Clerk,1"})});
  EXPECT_EQ(e.status, 0);
  EXPECT_EQ(e.err.count(QLatin1String("cannot be written")), 1) << e.err.toStdString();
  EXPECT_TRUE(e.err.contains(path("quillstead.log")));
}

TEST_F(HostileInput, ASignalEndsTheRunAfterThePersonAndKeepsItsWork) {
  QProcess p;
  const pid_t pid = static_cast<pid_t>(startLongRun(p));
  ASSERT_GT(pid, 0);
  ASSERT_TRUE(p.waitForReadyRead(60000));
  ::kill(pid, SIGTERM);
  ASSERT_TRUE(p.waitForFinished(60000));
  const QString out = QString::fromUtf8(p.readAllStandardOutput());
  EXPECT_EQ(p.exitCode(), 3);
  EXPECT_TRUE(out.contains(QLatin1String("The run was stopped (signal SIGTERM)")))
      << out.right(300).toStdString();
  EXPECT_TRUE(read("S/journal").isEmpty());
  QString error;
  std::unique_ptr<Sandbox> sandbox = Sandbox::open(path("S"), &error);
  ASSERT_TRUE(sandbox) << error.toStdString();
  EXPECT_TRUE(sandbox->warnings().isEmpty());
}

TEST_F(HostileInput, AKilledRunLosesNothingItLogged) {
  QProcess check;
  check.setProcessChannelMode(QProcess::MergedChannels);
  check.start(QStringLiteral("python3"),
              {QStringLiteral(QUILL_SOURCE_DIR "/scripts/crash-test"), "--persons", "4000",
               "--kills", "2", "--seed", "5", "--binary", QStringLiteral(QUILL_BINARY)});
  ASSERT_TRUE(check.waitForFinished(300000));
  const QString report = QString::fromUtf8(check.readAll());
  EXPECT_EQ(check.exitCode(), 0) << report.toStdString();
}

}  // namespace
}  // namespace quill
