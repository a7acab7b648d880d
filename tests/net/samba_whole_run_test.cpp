// Whole runs of the real program (`quillstead --batch` with the network backends) against the
// fixture's Samba DC. What a run leaves behind is read back with the OpenLDAP, Samba and Kerberos
// tools and from the DC's disk, never through the code under test.
#include <arpa/inet.h>
#include <netdb.h>

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QThread>
#include <functional>

#include "net/net_credentials.h"
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
    m_server = dc().host();
    m_auth = dc().value("QUILL_DC_AUTH");
    m_passwordFile = write("pw", (kPassword + '\n').toUtf8());
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
  // The folder root "\\server\qdata\TAG", and the folders below it on the DC's disk.
  QString root() { return QDir().mkpath(disk()) ? "\\\\" + m_server + "\\qdata\\" + m_tag : ""; }
  QString disk(const QString& below = "") const {
    return dc().value("QUILL_DC_SHARE_PATH") + '/' + m_tag + '/' + below;
  }

  // Runs the program over persons as the account of m_auth (else with a Kerberos ticket), in
  // the test's folder where its run log lands; during, if given, while it runs. The exit status
  // (-1: a crash), standard output and standard error.
  QStringList quill(const QStringList& persons, const QStringList& more,
                    const QProcessEnvironment& extra = {},
                    const std::function<void(QProcess&)>& during = {}) {
    const QString list = write(
        "list.csv",
        ("First,Last,Description,Department,Duty,Phone\r\n-\r\n" + persons.join("\r\n") + "\r\n")
            .toUtf8());
    const QStringList args =
        QString(
            "--batch --dc %1 --domain %2 --csv %3 --password-file %4 --email-domain "
            "mail.quill.test%5")
            .arg(m_server, dc().domain(), list, m_passwordFile,
                 m_auth.isEmpty() ? "" : " --credentials " + m_auth)
            .split(' ') +
        more;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("LDAPTLS_CACERT", dc().caCert());
    // A sanitizer build reports at the program's exit what the Samba client libraries and SASL's
    // Kerberos mechanism keep for the life of the process; passed over, as for the tests.
    env.insert("ASAN_OPTIONS", env.value("ASAN_OPTIONS") + ":fast_unwind_on_malloc=0");
    env.insert("LSAN_OPTIONS",
               "suppressions=" + write("lsan",
                                       "leak:debug_set_logfile\nleak:"
                                       "handle_debug_list\nleak:sasl_client_step\n"));
    env.insert(extra);
    QProcess p;
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(m_tmp.path());
    p.start(QUILL_BINARY, args);
    p.closeWriteChannel();
    if (during) during(p);
    EXPECT_TRUE(p.waitForFinished(300000) || p.state() == QProcess::NotRunning) << args.join(' ');
    const int status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return {QString::number(status), QString::fromLocal8Bit(p.readAllStandardOutput()),
            QString::fromLocal8Bit(p.readAllStandardError())};
  }
  QStringList found(const QString& filter) const {  // the DNs filter finds in the domain
    return dc()
        .search(base(), "sub", filter, {"1.1"})
        .split('\n')
        .filter(QRegularExpression("^dn"));
  }

  // One account as the run makes it: enabled, with the run's password, to be changed first. An
  // empty field of the list writes no attribute at all.
  void expectAccount(const QString& p, const QString& login) {
    const QString attributes =
        "sAMAccountName userPrincipalName mail givenName sn displayName "
        "description telephoneNumber pwdLastSet";
    QStringList stored =
        dc().search(userDn(p), "base", "(cn=*)", attributes.split(' ')).split('\n');
    QStringList expected = QString(
                               "dn: %1|sAMAccountName: %2|userPrincipalName: %2@%3|mail: %2@"
                               "mail.quill.test|givenName: %4|sn: %5|displayName: %4 %5|"
                               "pwdLastSet: 0|description: %6|telephoneNumber: %7")
                               .arg(userDn(p), login, dc().domain(), field(p, 0), field(p, 1),
                                    field(p, 2), field(p, 5))
                               .split('|')
                               .filter(QRegularExpression(": .+$"));
    stored.sort();
    expected.sort();
    EXPECT_EQ(stored.filter(": "), expected);
    EXPECT_EQ(dc().values(userDn(p), "userAccountControl").value(0, "2").toInt() & 2, 0) << login;
    EXPECT_EQ(dc().bindResult(login, kPassword) + dc().bindResult(login, 'x' + kPassword),
              "data 773data 52e");
  }
  // A global security group with exactly these members.
  void expectGroup(const QString& name, QStringList members) {
    QStringList stored = dc().values(groupDn(name), "member");
    stored.sort(Qt::CaseInsensitive);
    members.sort(Qt::CaseInsensitive);
    EXPECT_EQ(stored, members) << name;
    EXPECT_EQ(dc().values(groupDn(name), "groupType"), QStringList{"-2147483646"}) << name;
  }

  QTemporaryDir m_tmp;
  QString m_tag = uniqueName(""), m_server, m_auth, m_passwordFile;
};

TEST_F(SambaWholeRun, FirstRunBuildsDomainFoldersAndSharesAndARerunChangesNothing) {
  if (dc().shares().contains("All_Public")) GTEST_SKIP() << "the DC is not fresh";
  const QString t = m_tag, sales = "Sales" + t, lab = "Lab" + t;
  const QStringList persons = QString(
                                  "John,Smith%1,Clerk,Sales%1,Clerk,555-0101;Mary,Jones%1,Head,"
                                  "Sales%1,Manager,555-0102;Alan,Turing%1,,Lab%1,Clerk,;Ada,"
                                  "Lovelace%1,Engineer,Lab%1,Clerk,555-0104")
                                  .arg(t)
                                  .split(';');
  // The start-up options: full tree, department OUs, department and duty groups, accounts, one
  // public folder, a central private folder and a public folder per department.
  const QStringList folders = {"--dir-root", root()}, first = quill(persons, folders);
  ASSERT_EQ(first[0] + first[2], "0Quillstead: Processed 4 users succesfully.\n") << first[1];
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
    EXPECT_EQ(dc().samba("smbclient", {"//" + m_server + '/' + share, "-c", "ls"}), 0) << share;
  }
  // The same run again finds everything in place and changes nothing: uSNChanged, the
  // directory's own count of changes, stays as it was on every OU and group of the run.
  const auto stamps = [&] {
    return dc().search(base(), "sub", "(|(ou=*" + t + ")(&(objectClass=group)(cn=*" + t + "*)))",
                       {"uSNChanged"});
  };
  const QString before = stamps();
  ASSERT_EQ(before.count("uSNChanged"), 2 + 5);
  const QStringList again = quill(persons, folders);
  // Existing shares are errors, accounts warnings; batch mode asks nothing about the log.
  EXPECT_EQ(again[0] + again[2], "1") << again[1];
  EXPECT_FALSE(again[1].contains("Adding '") || again[1].contains("Creating directory"));
  EXPECT_EQ(stamps(), before);
  EXPECT_EQ(dc().shares(), shares);
  // The fall-back names were tried and refused too: each person has one account.
  EXPECT_EQ(found("(&(objectClass=user)(sAMAccountName=*" + t + "))").size(), 4);
}

TEST_F(SambaWholeRun, TakenLoginNameFallsBackAndTheAccountJoinsItsGroups) {
  const QString dep = "Taken" + m_tag, john = "John,Smith" + m_tag + ",Clerk," + dep + ",Clerk,555";
  // Someone else holds JSmith...: another name (CN), so only the login name collides.
  const QString other = "CN=Jim Smith" + m_tag + ",CN=Users," + base();
  ASSERT_TRUE(dc().modify("dn: " + other + "\nobjectClass: user\nsAMAccountName: " + login(john)));
  const QStringList stamp = dc().values(other, "uSNChanged"), run = quill({john}, kNoFolders);
  EXPECT_EQ(run[0], "2") << run.join('\n');  // warnings only
  expectAccount(john, "Jo" + field(john, 1));
  EXPECT_EQ(found("(sAMAccountName=" + login(john) + ')'), QStringList{"dn: " + other});
  EXPECT_EQ(dc().values(other, "uSNChanged"), stamp);
  expectGroup(dep + "_Clerk", {userDn(john)});
  expectGroup(dep, {groupDn(dep + "_Clerk")});
}

TEST_F(SambaWholeRun, PasswordThePolicyRefusesLeavesTheAccountDisabled) {
  const QString weak = "Walter,Weak" + m_tag + ",Clerk,Weak" + m_tag + ",Clerk,555-0123";
  m_passwordFile = write("weak-pw", "a\n");
  const QStringList run = quill({weak}, kNoFolders);
  EXPECT_EQ(run[0], "1") << run.join('\n');
  // The half-made account is there, disabled, without the second half of its attributes.
  EXPECT_EQ(dc().values(userDn(weak), "sAMAccountName"), QStringList{login(weak)});
  EXPECT_NE(dc().values(userDn(weak), "userAccountControl").value(0).toInt() & 2, 0);
  EXPECT_EQ(dc().values(userDn(weak), "telephoneNumber"), QStringList());
  EXPECT_EQ(found("(sAMAccountName=Wa" + field(weak, 1) + ')'), QStringList());
  expectGroup(field(weak, 3) + "_Clerk", {});  // the group is there, without the person
}

TEST_F(SambaWholeRun, PlainUserIsDeniedAndNothingIsCreated) {
  const QString password = "Plain-User-2024!", plain = dc().addUser(password);
  ASSERT_EQ(dc().bindResult(plain, password), "ok");
  m_auth = write("plain", ("username = " + plain + "\npassword = " + password).toUtf8());
  const QStringList run = quill({"Dora,D" + m_tag + ",,Denied" + m_tag + ",,"}, kNoFolders);
  EXPECT_NE(run[0], "0");
  EXPECT_NE(run[0], "-1") << "crashed";
  EXPECT_TRUE(run[2].contains("Quillstead: Error. Access denied.\n")) << run[2];
  EXPECT_FALSE(run.join(' ').contains(password)) << "the password was printed";
  EXPECT_EQ(found("(|(ou=*" + m_tag + ")(cn=*" + m_tag + "))"), QStringList());
}

TEST_F(SambaWholeRun, KerberosTicketRunsWithoutCredentials) {
  // The Samba client uses Kerberos towards neither an address nor "localhost", and the DC's
  // NetBIOS name resolves with the DC's client configuration alone. When this machine's name
  // resolves to the DC's address (it is in the DC's certificate and has an LDAP service name, and
  // gets a file service name here), folders are made with the ticket too.
  const QString name = QSysInfo::machineHostName(), share = "Krb" + m_tag + "_Public";
  const hostent* host = ::gethostbyname(name.toUtf8().constData());
  const bool named = name != "localhost" && host && host->h_addrtype == AF_INET &&
                     inet_ntoa(*reinterpret_cast<in_addr*>(host->h_addr)) == dc().host();
  const QString account =
      "CN=" + dc().value("QUILL_DC_NETBIOS_NAME") + ",OU=Domain Controllers," + base();
  if (named && !dc().values(account, "servicePrincipalName").contains("cifs/" + name)) {
    ASSERT_TRUE(dc().modify("dn: " + account +
                                "\nchangetype: modify\nadd: servicePrincipalName\n"
                                "servicePrincipalName: cifs/" +
                                name,
                            false));
  }
  QProcessEnvironment kerberos;
  kerberos.insert("KRB5CCNAME", "FILE:" + m_tmp.filePath("cc"));
  kerberos.insert("KRB5_CONFIG", dc().value("KRB5_CONFIG"));
  const QString kinit =
      "kinit %1 Administrator@QUILL.TEST <" + dc().value("QUILL_DC_PASSWORD_FILE");
  ASSERT_EQ(dc().run("sh", {"-c", kinit.arg("")}, {}, nullptr, kerberos), 0);
  const QString kurt = "Kurt,Kerberos" + m_tag + ",Clerk,Krb" + m_tag + ",Clerk,555-0188";
  m_auth.clear();
  m_server = named ? name : m_server;
  const QStringList folders = {"--single-public", "no",  "--private-dirs", "no",
                               "--dir-root",      root()};
  const QStringList run = quill({kurt}, named ? folders : kNoFolders, kerberos);
  ASSERT_EQ(run[0], "0") << run.join('\n');
  expectAccount(kurt, login(kurt));
  expectGroup(field(kurt, 3) + "_Clerk", {userDn(kurt)});
  // The ticket was used for the directory and for the file server alike. The share was added in
  // a Kerberos session whose RPC server has ended; the one that answers rpcclient may hold the
  // table as it was, so what smbd serves proves the share.
  QString out = QDir(disk(share)).mkdir("probe") ? "" : "no probe";
  dc().samba("smbclient", {"//" + m_server + '/' + share, "-c", "ls"}, &out);
  EXPECT_EQ(out.contains("probe"), named) << out;
  ASSERT_EQ(dc().run("klist", {}, {}, &out, kerberos), 0) << out;
  EXPECT_TRUE(out.contains("ldap/") && out.contains("cifs/" + name) == named) << out;
  // A ticket past its end does not count.
  ASSERT_EQ(dc().run("sh", {"-c", kinit.arg("-l 4s")}, {}, nullptr, kerberos), 0);
  QThread::sleep(6);
  EXPECT_TRUE(quill({kurt}, kNoFolders, kerberos)[2].contains(kNoCredentialsMessage));
}

// Stopping the DC disturbs every test that follows, so this suite is the last of the file.
using SambaWholeRunStoppedDc = SambaWholeRun;

TEST_F(SambaWholeRunStoppedDc, RunEndsWithErrorsInBoundedTimeAndLogsEveryLine) {
  QStringList persons;
  for (int i = 0; i < 300; ++i)
    persons << QString("P,H%1n%2,C,H%1d%3,C,5").arg(m_tag).arg(i).arg(i % 3);
  const QStringList run = quill(persons, kNoFolders, {}, [&](QProcess& p) {
    ASSERT_TRUE(p.waitForReadyRead(60000)) << "no line within a minute";
    const DcPause paused(dc());
    ASSERT_TRUE(p.waitForFinished(120000)) << "still running 120 s after the DC stopped";
  });
  const QStringList printed = run[1].split('\n', Qt::SkipEmptyParts);
  EXPECT_EQ(run[0], "1");
  EXPECT_FALSE(printed.filter(QRegularExpression("^Error")).isEmpty()) << run[1];
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
