// Whole runs of the real program (`quillstead --batch` with the network backends) against the
// fixture's Samba DC. What a run leaves behind is read back with the OpenLDAP and Samba tools and
// from the DC's disk, never through the code under test.
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "sandbox/sandbox.h"
#include "support/samba_dc.h"

namespace quill::test {
namespace {

const QString kPassword = "Quill-Run-2024!";
const QStringList kNoFolders =
    QString("--private-dirs no --single-public no --department-public no").split(' ');

// A person of the user list: "First,Last,Description,Department,Duty,Phone".
QString field(const QString& person, int i) { return person.section(',', i, i); }
QString login(const QString& person) { return field(person, 0).left(1) + field(person, 1); }

class SambaWholeRun : public SambaTest {
 protected:
  void SetUp() override {
    SambaTest::SetUp();
    if (IsSkipped()) return;
    m_auth = dc().value("QUILL_DC_AUTH");
    m_passwordFile = write("pw", (kPassword + '\n').toUtf8());
    // A sanitizer build of the program reports at its exit what the Samba client libraries and
    // SASL's Kerberos mechanism keep for the life of the process: passed over, as for the tests.
    qputenv("ASAN_OPTIONS", qgetenv("ASAN_OPTIONS") + ":fast_unwind_on_malloc=0");
    const QString leaks = "leak:debug_set_logfile\nleak:handle_debug_list\nleak:sasl_client_step\n";
    qputenv("LSAN_OPTIONS",
            "print_suppressions=0:suppressions=" + write("lsan", leaks.toUtf8()).toUtf8());
  }
  QString base() const { return dc().baseDn(); }
  QString userDn(const QString& p) const {
    return "CN=" + field(p, 0) + ' ' + field(p, 1) + ",OU=" + field(p, 3) + ",OU=Users,OU=OU's," +
           base();
  }
  QString groupDn(const QString& name) const {
    return "CN=" + name + ",OU=Groups,OU=OU's," + base();
  }
  QString write(const QString& name, const QByteArray& data) {
    QFile file(m_tmp.filePath(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(data) == data.size()) << name;
    return file.fileName();
  }
  // The folders below the folder root on the DC's disk.
  QString disk(const QString& below = "") const {
    return dc().value("QUILL_DC_SHARE_PATH") + '/' + m_tag + '/' + below;
  }
  // The program's arguments for a run over persons as the account of m_auth, then more.
  QStringList args(const QStringList& persons, const QStringList& more) {
    const QString list =
        "First,Last,Description,Department,Duty,Phone\r\n-\r\n" + persons.join("\r\n") + "\r\n";
    return QString("--batch --dc %1 --domain %2 --csv %3 --password-file %4 --credentials %5")
               .arg(dc().host(), dc().domain(), write("list.csv", list.toUtf8()), m_passwordFile,
                    m_auth)
               .split(' ') +
           more + QStringList{"--email-domain", "mail.quill.test"};
  }
  // The exit status and the output (both channels) of a run, in the test's folder, where its
  // run log lands.
  QString quill(const QStringList& persons, const QStringList& more = kNoFolders) {
    QString out;
    return QString::number(
               dc().run(QUILL_BINARY, args(persons, more), {}, &out, {}, m_tmp.path())) +
           ' ' + out;
  }
  int found(const QString& filter) const {  // how many entries filter finds in the domain
    return dc()
        .search(base(), "sub", filter, {"1.1"})
        .count(QRegularExpression("^dn:", QRegularExpression::MultilineOption));
  }
  // One account as the run makes it, under its login name, enabled, with the run's password that
  // has to be changed first. (What a run writes is the engine's; how it is stored, the contract's.)
  void expectAccount(const QString& p, const QString& login) {
    EXPECT_EQ(dc().values(userDn(p), "sAMAccountName"), QStringList{login});
    EXPECT_EQ(dc().values(userDn(p), "userAccountControl").value(0, "2").toInt() & 2, 0) << login;
    EXPECT_EQ(dc().bindResult(login, kPassword) + dc().bindResult(login, 'x' + kPassword),
              "data 773data 52e");
  }
  void expectGroup(const QString& name, QStringList members) {  // exactly these members
    QStringList stored = dc().values(groupDn(name), "member");
    stored.sort(Qt::CaseInsensitive);
    members.sort(Qt::CaseInsensitive);
    EXPECT_EQ(stored, members) << name;
  }

  // Everything a run can change, as seen from outside: the domain's DNs, the shares and the
  // folders below the run's root.
  QString world() const {
    QStringList dns = dc().search(base(), "sub", "(objectClass=*)", {"1.1"}).split('\n');
    dns.sort(Qt::CaseInsensitive);
    QStringList folders;
    for (QDirIterator it(disk(), QDirIterator::Subdirectories); it.hasNext();) folders << it.next();
    folders.sort();
    return dns.join('\n') + dc().shares().join('\n') + folders.join('\n');
  }
  QString highestUsn() const {
    return dc().search("", "base", "(objectClass=*)", {"highestCommittedUSN"});
  }
  // A dry run changes nothing (no write in the backends' counts, the domain's change counter and
  // the shares as they were) and prints, less its closing line, what the real run then prints:
  // the real run's status and output.
  QString expectDryRunForetells(const QStringList& persons, const QStringList& more = kNoFolders) {
    const QString usn = highestUsn(), was = world();
    QString out;
    QProcessEnvironment stats;
    stats.insert("QUILL_LDAP_STATS", "1");
    const int status = dc().run(QUILL_BINARY, args(persons, more + QStringList{"--dry-run"}), {},
                                &out, stats, m_tmp.path());
    EXPECT_EQ(highestUsn(), usn);
    EXPECT_EQ(world(), was);
    QStringList lines = out.split('\n');
    const QStringList counts = lines.filter(QRegularExpression("^quillstead: \\w+ operations: "));
    EXPECT_EQ(counts
                  .filter(QRegularExpression(" [1-9]\\d* (adds|modifies|deletes|added|deleted|"
                                             "folders made|removed)"))
                  .join('\n'),
              "");
    EXPECT_EQ(counts.filter("LDAP").size(), 1) << out;
    lines.removeIf([](const QString& l) {
      return l.startsWith("quillstead: ") || l.startsWith("Quillstead: Dry run: nothing");
    });
    const QString real = quill(persons, more);
    EXPECT_EQ(QString::number(status) + ' ' + lines.join('\n'), real);
    return real;
  }

  QTemporaryDir m_tmp;
  QString m_tag = uniqueName(""), m_auth, m_passwordFile;
};

TEST_F(SambaWholeRun, FirstRunBuildsDomainFoldersAndSharesAndARerunChangesNothing) {
  if (dc().shares().contains("All_Public")) GTEST_SKIP() << "the DC is not fresh";
  const QString t = m_tag, sales = "Sales" + t, lab = "Lab" + t;
  const QStringList persons = QString(
                                  "John,Smith%1,Clerk,Sales%1,Clerk,555-0101;Mary,Jones%1,"
                                  "Head,Sales%1,Manager,555-0102;Alan,Turing%1,,Lab%1,Clerk,;"
                                  "Ada,Lovelace%1,Engineer,Lab%1,Clerk,555-0104")
                                  .arg(t)
                                  .split(';');
  // The start-up options: full tree, department OUs, department and duty groups, accounts, one
  // public folder, a central private folder and a public folder per department.
  ASSERT_TRUE(QDir().mkpath(disk()));
  const QStringList folders = {"--dir-root", "\\\\" + dc().host() + "\\qdata\\" + t};
  const QString first = quill(persons, folders);
  EXPECT_TRUE(first.startsWith("0 ")) << first;
  EXPECT_TRUE(first.endsWith("\nQuillstead: Processed 4 users succesfully.\n")) << first;
  for (const QString& ou :
       QStringList{"OU=OU's", "OU=Users,OU=OU's", "OU=Groups,OU=OU's", "OU=GPO's,OU=OU's",
                   "OU=Computers,OU=OU's", "OU=" + sales + ",OU=Users,OU=OU's",
                   "OU=" + lab + ",OU=Users,OU=OU's"}) {
    EXPECT_EQ(dc().values(ou + ',' + base(), "objectClass").value(1), "organizationalUnit") << ou;
  }
  for (const QString& p : persons) expectAccount(p, login(p));
  expectGroup(sales + "_Clerk", {userDn(persons[0])});
  expectGroup(sales + "_Manager", {userDn(persons[1])});
  expectGroup(lab + "_Clerk", {userDn(persons[2]), userDn(persons[3])});
  // Each duty group is nested in its department's group.
  expectGroup(sales, {groupDn(sales + "_Clerk"), groupDn(sales + "_Manager")});
  expectGroup(lab, {groupDn(lab + "_Clerk")});
  // Each folder on the DC's disk, shared under its name with its path, served by smbd.
  const QStringList shares = dc().shares();
  for (const QString& share :
       QStringList{"All_Private", "All_Public", sales + "_Public", lab + "_Public"}) {
    const QString folder = disk("All/" + share);
    EXPECT_TRUE(QFileInfo(folder).isDir() && shares.contains(share)) << folder;
    EXPECT_EQ(dc().sharePath(share), "C:" + QString(folder).replace('/', '\\'));
    EXPECT_EQ(dc().samba("smbclient", {"//" + dc().host() + '/' + share, "-c", "ls"}), 0) << share;
  }
  // The same run again finds everything in place and changes nothing: uSNChanged, the
  // directory's own count of changes, stays as it was on every OU and group of the run.
  const auto stamps = [&] {
    return dc().search(base(), "sub", "(|(ou=*" + t + ")(&(objectClass=group)(cn=*" + t + "*)))",
                       {"uSNChanged"});
  };
  const QString before = stamps(), again = quill(persons, folders);
  ASSERT_EQ(before.count("uSNChanged"), 2 + 5);
  // Existing shares are errors, accounts warnings; batch mode asks nothing about the log.
  EXPECT_TRUE(again.startsWith("1 ") && !again.contains("Quillstead:")) << again;
  EXPECT_FALSE(again.contains("Adding '") || again.contains("Creating directory")) << again;
  EXPECT_EQ(stamps(), before);
  EXPECT_EQ(dc().shares(), shares);
  // The fall-back names were tried and refused too: each person has one account.
  EXPECT_EQ(found("(&(objectClass=user)(sAMAccountName=*" + t + "))"), 4);
}

TEST_F(SambaWholeRun, TakenLoginNameFallsBackAndTheAccountJoinsItsGroups) {
  const QString dep = "Taken" + m_tag, john = "John,Smith" + m_tag + ",Clerk," + dep + ",Clerk,555";
  // Someone else holds JSmith...: another name (CN), so only the login name collides.
  const QString other = "CN=Jim Smith" + m_tag + ",CN=Users," + base();
  ASSERT_TRUE(dc().modify("dn: " + other + "\nobjectClass: user\nsAMAccountName: " + login(john)));
  const QStringList stamp = dc().values(other, "uSNChanged");
  const QString run = quill({john});
  EXPECT_TRUE(run.startsWith("2 ")) << run;  // warnings only
  expectAccount(john, "Jo" + field(john, 1));
  EXPECT_EQ(dc().values(other, "sAMAccountName") + dc().values(other, "uSNChanged"),
            QStringList{login(john)} + stamp);
  expectGroup(dep + "_Clerk", {userDn(john)});
  expectGroup(dep, {groupDn(dep + "_Clerk")});
}

TEST_F(SambaWholeRun, PasswordThePolicyRefusesLeavesTheAccountDisabled) {
  const QString weak = "Walter,Weak" + m_tag + ",Clerk,Weak" + m_tag + ",Clerk,555-0123";
  m_passwordFile = write("weak-pw", "a\n");
  // The dry run foretells the refusal: it reads the domain's minimum password length.
  const QString run = expectDryRunForetells({weak});
  EXPECT_TRUE(run.startsWith("1 ")) << run;
  // The half-made account is there, disabled, without the second half of its attributes.
  EXPECT_EQ(dc().values(userDn(weak), "sAMAccountName"), QStringList{login(weak)});
  EXPECT_NE(dc().values(userDn(weak), "userAccountControl").value(0).toInt() & 2, 0);
  EXPECT_EQ(dc().values(userDn(weak), "telephoneNumber"), QStringList());
  EXPECT_EQ(found("(sAMAccountName=Wa" + field(weak, 1) + ')'), 0);
  expectGroup(field(weak, 3) + "_Clerk", {});  // the group is there, without the person
}

TEST_F(SambaWholeRun, PlainUserIsDeniedAndNothingIsCreated) {
  const QString password = "Plain-User-2024!", plain = dc().addUser(password);
  ASSERT_EQ(dc().bindResult(plain, password), "ok");
  m_auth = write("plain", ("username = " + plain + "\npassword = " + password).toUtf8());
  const QString run = quill({"Dora,D" + m_tag + ",,Denied" + m_tag + ",,"});
  EXPECT_FALSE(run.startsWith("0 ") || run.startsWith("-1 ")) << run;
  EXPECT_TRUE(run.contains(" Quillstead: Error. Access denied.\n")) << run;
  EXPECT_FALSE(run.contains(password)) << "the password was printed";
  EXPECT_EQ(found("(|(ou=*" + m_tag + ")(cn=*" + m_tag + "))"), 0);
}

TEST_F(SambaWholeRun, ADryRunForetellsTheSampleRunThatUndoTakesBackWholeEvenAfterARename) {
  QString error;
  ASSERT_TRUE(Sandbox::open(m_tmp.filePath("sample"), &error)) << error;
  QFile sample(m_tmp.filePath("sample/Users_list.csv"));
  ASSERT_TRUE(sample.open(QIODevice::ReadOnly));
  const QStringList persons = QString::fromUtf8(sample.readAll()).split("\r\n").mid(2, 42);
  ASSERT_TRUE(QDir().mkpath(disk()));
  // Every option: full tree, department and duty groups, private folders per department, one
  // public folder and one per department, shares hidden.
  const QStringList options = {"--dir-root",         "\\\\" + dc().host() + "\\qdata\\" + m_tag,
                               "--private-location", "per-department",
                               "--hidden-shares",    "yes"};
  const QString before = world();
  EXPECT_TRUE(expectDryRunForetells(persons, options).startsWith("0 "));
  ASSERT_TRUE(dc().shares().contains("All_Public$"));
  expectDryRunForetells(persons, options);  // the same again, on the first run
  // The account renamed after the run is still found, by the identity the run recorded.
  ASSERT_TRUE(dc().modify("dn: " + userDn(persons[0]) + "\nchangetype: modrdn\nnewrdn: CN=Renamed" +
                              m_tag + "\ndeleteoldrdn: 1\n",
                          false));
  // The first record, of the run that made everything; the second run's record comes after it.
  const QDir records(m_tmp.filePath("quillstead-runs"));
  const QString first = records.filePath(records.entryList(QDir::Files, QDir::Name).value(0));
  const QStringList undo = QString("--batch --dc %1 --domain %2 --credentials %3 --undo %4")
                               .arg(dc().host(), dc().domain(), m_auth, first)
                               .split(' ');
  QString out;
  EXPECT_EQ(dc().run(QUILL_BINARY, undo, {}, &out, {}, m_tmp.path()), 0) << out;
  EXPECT_EQ(world(), before);
  EXPECT_EQ(dc().run(QUILL_BINARY, undo, {}, &out, {}, m_tmp.path()), 0) << out;
  EXPECT_TRUE(out.contains(" 0 changes taken back")) << out;
}

// Stopping the DC disturbs every test that follows, so this suite is the last of the file.
using SambaWholeRunStoppedDc = SambaWholeRun;

TEST_F(SambaWholeRunStoppedDc, RunEndsWithErrorsInBoundedTimeAndLogsEveryLine) {
  QStringList persons;
  for (int i = 0; i < 300; ++i)
    persons << QString("P,H%1n%2,,H%1d%3,C,").arg(m_tag).arg(i).arg(i % 3);
  QProcess p;
  p.setWorkingDirectory(m_tmp.path());
  p.start(QUILL_BINARY, args(persons, kNoFolders));
  ASSERT_TRUE(p.waitForReadyRead(60000)) << "no line within a minute";
  {
    const DcPause paused(dc());
    ASSERT_TRUE(p.waitForFinished(120000)) << "still running 120 s after the DC stopped";
  }
  EXPECT_EQ(p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, 1);
  const QStringList printed =
      QString::fromLocal8Bit(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
  EXPECT_FALSE(printed.filter(QRegularExpression("^Error")).isEmpty()) << printed.join('\n');
  // Every printed line is in the run log, in the same order ("date, time, " + line).
  QFile log(m_tmp.filePath("quillstead.log"));
  ASSERT_TRUE(log.open(QIODevice::ReadOnly));
  const QStringList logged = QString::fromUtf8(log.readAll()).split("\r\n", Qt::SkipEmptyParts);
  ASSERT_EQ(logged.size(), printed.size());
  for (qsizetype i = 0; i < printed.size(); ++i) {
    ASSERT_TRUE(logged[i].endsWith(", " + printed[i])) << logged[i] << " / " << printed[i];
  }
}

}  // namespace
}  // namespace quill::test
