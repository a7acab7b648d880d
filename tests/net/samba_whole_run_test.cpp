// Whole runs of the real program (`quillstead --batch` with the network backends) against the
// fixture's Samba DC. What a run leaves behind is read back with the OpenLDAP, Samba and Kerberos
// tools (ldapsearch, ldapmodify, smbclient, net, rpcclient, klist) and from the DC's disk, never
// through the code under test.
#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QThread>

#include "support/qt_print.h"
#include "support/smb_dc_support.h"

namespace quill {
namespace {

using test::uniqueName;

const QString kPassword = QStringLiteral("Quill-Run-2024!");
const QString kMailDomain = QStringLiteral("mail.quill.test");
constexpr int kGlobalSecurityGroup = -2147483646;

// An LDAP entry as ldapsearch prints it: attribute names in lower case, values in order.
using Entry = QMap<QString, QStringList>;

QString lastClass(const Entry& e) {
  const QStringList classes = e.value(QStringLiteral("objectclass"));
  return classes.isEmpty() ? QString() : classes.last();
}

struct Person {
  QString first, last, description, department, duty, phone;
  QString login() const { return first.left(1) + last; }
};

struct RunResult {
  int status = -1;
  QString out;
  QString err;
  QStringList lines() const { return out.split(u'\n', Qt::SkipEmptyParts); }
};

class SambaWholeRun : public test::SambaFileServerTest {
 protected:
  void SetUp() override {
    test::SambaFileServerTest::SetUp();
    if (IsSkipped()) return;
    ASSERT_TRUE(m_tmp.isValid());
    m_tag = uniqueName(QString());
    m_passwordFile = writeFile(QStringLiteral("pw"), (kPassword + u'\n').toUtf8());
    // In a sanitizer build the program reports at its exit what the Samba client libraries
    // (their logging set-up) and SASL's Kerberos mechanism (the credential it acquires) keep
    // for the life of the process. Those allocation sites are passed over, as for the test
    // program itself; seeing them needs full stacks through libraries without frame pointers.
    m_leakSuppressions = writeFile(QStringLiteral("lsan.supp"),
                                   "leak:debug_set_logfile\nleak:handle_debug_list\n"
                                   "leak:sasl_client_step\n");
  }

  QString domain() const { return dc().domain(); }
  QString base() const { return dc().baseDn(); }
  QString usersOu() const { return QStringLiteral("OU=Users,OU=OU's,") + base(); }
  QString groupsOu() const { return QStringLiteral("OU=Groups,OU=OU's,") + base(); }
  QString userDn(const Person& p) const {
    return QStringLiteral("CN=%1 %2,OU=%3,").arg(p.first, p.last, p.department) + usersOu();
  }
  QString groupDn(const QString& name) const {
    return QStringLiteral("CN=") + name + u',' + groupsOu();
  }

  QString writeFile(const QString& name, const QByteArray& data) {
    QFile file(m_tmp.filePath(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly)) << name.toStdString();
    file.write(data);
    return file.fileName();
  }

  // A user list: two heading lines, then the persons, CR LF line ends.
  QString writeList(const QString& name, const QList<Person>& persons) {
    QByteArray text =
        "First,Last,Description,Department,Duty,Phone\r\nfirst,last,d,dep,duty,tel\r\n";
    for (const Person& p : persons) {
      text += QStringList{p.first, p.last, p.description, p.department, p.duty, p.phone}
                  .join(u',')
                  .toUtf8() +
              "\r\n";
    }
    return writeFile(name, text);
  }

  // A new folder in the DC's share, named by this test's tag: "\\127.0.0.1\qdata\TAG".
  QString makeRoot(const QString& server) {
    EXPECT_TRUE(QDir().mkpath(rootOnDisk())) << rootOnDisk().toStdString();
    return QStringLiteral("\\\\%1\\%2\\%3").arg(server, share(), m_tag);
  }
  QString rootOnDisk() const { return sharePath() + u'/' + m_tag; }
  // How the DC names a folder below the root: "C:\...\qdata\TAG\sub\dir".
  QString rootWindowsPath(const QString& below) const {
    return windowsPath(rootOnDisk() + u'/' + below);
  }

  // The network options of an Administrator run from the authfile, the domain, the list and
  // the password, then more.
  QStringList adminArgs(const QString& list, const QStringList& more) const {
    return QStringList{QStringLiteral("--batch"), QStringLiteral("--dc"), host(),
                       QStringLiteral("--credentials"), dc().value("QUILL_DC_AUTH")} +
           runArgs(list, more);
  }
  QStringList runArgs(const QString& list, const QStringList& more) const {
    return QStringList{QStringLiteral("--domain"),        domain(),
                       QStringLiteral("--csv"),           list,
                       QStringLiteral("--password-file"), m_passwordFile,
                       QStringLiteral("--email-domain"),  kMailDomain} +
           more;
  }
  static QStringList noFolders() {
    return {"--private-dirs", "no", "--single-public", "no", "--department-public", "no"};
  }

  // The environment of a run: the test's own (LDAPNOINIT, HOME and the Kerberos cache pinned by
  // the test launcher) with the DC's CA for certificate verification, plus extra.
  QProcessEnvironment runEnvironment(const QProcessEnvironment& extra = {}) const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LDAPTLS_CACERT"), dc().caCert());
    env.remove(QStringLiteral("LDAPTLS_REQCERT"));
    const auto append = [&env](const QString& name, const QString& option) {
      const QString old = env.value(name);
      env.insert(name, old.isEmpty() ? option : old + u':' + option);
    };
    append(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("fast_unwind_on_malloc=0"));
    append(QStringLiteral("LSAN_OPTIONS"),
           QStringLiteral("print_suppressions=0:suppressions=") + m_leakSuppressions);
    for (const QString& key : extra.keys()) env.insert(key, extra.value(key));
    return env;
  }

  // Starts the program in the test's folder, where its run log lands.
  void start(QProcess& p, const QStringList& args, const QProcessEnvironment& extra = {}) const {
    p.setWorkingDirectory(m_tmp.path());
    p.setProcessEnvironment(runEnvironment(extra));
    p.start(QString::fromUtf8(QUILL_BINARY), args);
    p.closeWriteChannel();
  }

  RunResult quill(const QStringList& args, const QProcessEnvironment& extra = {}) const {
    QProcess p;
    start(p, args, extra);
    const bool finished = p.waitForFinished(300000);
    if (!finished) p.kill();
    EXPECT_TRUE(finished) << args.join(u' ').toStdString();
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromLocal8Bit(p.readAllStandardOutput()),
            QString::fromLocal8Bit(p.readAllStandardError())};
  }

  // ldapsearch as Administrator, one Entry per DN.
  QMap<QString, Entry> search(const QString& searchBase, const QString& scope,
                              const QString& filter, const QStringList& attributes = {}) const {
    QMap<QString, Entry> entries;
    QString dn;
    for (const QString& line : dc().search(searchBase, scope, filter, attributes).split(u'\n')) {
      const qsizetype colon = line.indexOf(u':');
      if (line.isEmpty() || colon <= 0 || line.startsWith(u'#')) continue;
      const QString name = line.left(colon).toLower();
      QString value;
      if (line.mid(colon + 1).startsWith(u':')) {
        value = QString::fromUtf8(QByteArray::fromBase64(line.mid(colon + 2).trimmed().toLatin1()));
      } else {
        value = line.mid(colon + 2);
      }
      if (name == QStringLiteral("dn")) {
        dn = value;
        entries[dn];
      } else if (!dn.isEmpty()) {
        entries[dn][name].append(value);
      }
    }
    return entries;
  }
  Entry entry(const QString& dn) const {
    return search(dn, QStringLiteral("base"), QStringLiteral("(objectClass=*)")).value(dn);
  }
  // uSNChanged of every entry below (and at) each of bases: the directory's own count of
  // changes, which moves with any modification of the entry.
  QMap<QString, QString> changeStamps(const QStringList& bases) const {
    QMap<QString, QString> stamps;
    for (const QString& b : bases) {
      const auto found = search(b, QStringLiteral("sub"), QStringLiteral("(objectClass=*)"),
                                {QStringLiteral("uSNChanged"), QStringLiteral("whenChanged")});
      for (auto it = found.begin(); it != found.end(); ++it) {
        stamps[it.key()] = it->value(QStringLiteral("usnchanged")).join(u',') + u'/' +
                           it->value(QStringLiteral("whenchanged")).join(u',');
      }
    }
    return stamps;
  }
  // The DNs of the accounts named sam (any case), anywhere in the domain.
  QStringList accountsNamed(const QString& sam) const {
    return search(base(), QStringLiteral("sub"), QStringLiteral("(sAMAccountName=%1)").arg(sam),
                  {QStringLiteral("1.1")})
        .keys();
  }

  // The result of a simple bind as login with password: "ok", or the server's "data NNN" code
  // (773: the password is right and must be changed; 52e: wrong password).
  QString bindAs(const QString& login, const QString& password) {
    QFile file(m_tmp.filePath(QStringLiteral("bindpw")));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    file.write(password.toUtf8());
    file.close();
    QString output;
    const int status =
        dc().run(QStringLiteral("ldapsearch"),
                 {QStringLiteral("-x"), QStringLiteral("-H"), QStringLiteral("ldaps://") + host(),
                  QStringLiteral("-D"), login + u'@' + domain(), QStringLiteral("-y"),
                  file.fileName(), QStringLiteral("-b"), QString(), QStringLiteral("-s"),
                  QStringLiteral("base"), QStringLiteral("(objectClass=*)"), QStringLiteral("1.1")},
                 {}, &output);
    file.remove();
    if (status == 0) return QStringLiteral("ok");
    const qsizetype at = output.indexOf(QStringLiteral("data "));
    return at < 0 ? output.trimmed() : output.mid(at, 8);
  }

  // True when a folder put into folderOnDisk shows in smbclient's listing of the share: the
  // share serves that folder.
  bool shareServes(const QString& shareName, const QString& folderOnDisk) const {
    const QString probe = QStringLiteral("probe-") + m_tag;
    if (!QDir(folderOnDisk).mkdir(probe)) return false;
    QString listing;
    const bool listed =
        smbclient(shareName, QStringLiteral("ls"), &listing) == 0 && listing.contains(probe);
    QDir(folderOnDisk).rmdir(probe);
    return listed;
  }

  // Checks one account as the run makes it.
  void expectAccount(const Person& p, const QString& login) {
    SCOPED_TRACE(userDn(p).toStdString());
    const Entry e = entry(userDn(p));
    ASSERT_FALSE(e.isEmpty());
    EXPECT_EQ(e.value(QStringLiteral("samaccountname")), QStringList{login});
    EXPECT_EQ(e.value(QStringLiteral("userprincipalname")), QStringList{login + u'@' + domain()});
    EXPECT_EQ(e.value(QStringLiteral("mail")), QStringList{login + u'@' + kMailDomain});
    EXPECT_EQ(e.value(QStringLiteral("displayname")), QStringList{p.first + u' ' + p.last});
    EXPECT_EQ(e.value(QStringLiteral("givenname")), QStringList{p.first});
    EXPECT_EQ(e.value(QStringLiteral("sn")), QStringList{p.last});
    // Empty fields of the list write no attribute at all.
    EXPECT_EQ(e.value(QStringLiteral("description")),
              p.description.isEmpty() ? QStringList() : QStringList{p.description});
    EXPECT_EQ(e.value(QStringLiteral("telephonenumber")),
              p.phone.isEmpty() ? QStringList() : QStringList{p.phone});
    EXPECT_EQ(e.value(QStringLiteral("pwdlastset")), QStringList{QStringLiteral("0")});
    bool ok = false;
    const int uac = e.value(QStringLiteral("useraccountcontrol")).value(0).toInt(&ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(uac & 0x2, 0) << "disabled: " << uac;
    EXPECT_EQ(lastClass(e), QStringLiteral("user"));
    // The password is the one of the run, and has to be changed at the first logon.
    EXPECT_EQ(bindAs(login, kPassword), QStringLiteral("data 773"));
    EXPECT_EQ(bindAs(login, QStringLiteral("Not-") + kPassword), QStringLiteral("data 52e"));
  }

  void expectGroup(const QString& name, const QStringList& memberDns) {
    SCOPED_TRACE(name.toStdString());
    const Entry e = entry(groupDn(name));
    ASSERT_FALSE(e.isEmpty());
    EXPECT_EQ(e.value(QStringLiteral("samaccountname")), QStringList{name});
    EXPECT_EQ(e.value(QStringLiteral("grouptype")),
              QStringList{QString::number(kGlobalSecurityGroup)});
    QStringList members = e.value(QStringLiteral("member"));
    QStringList expected = memberDns;
    members.sort(Qt::CaseInsensitive);
    expected.sort(Qt::CaseInsensitive);
    EXPECT_EQ(members, expected);
  }

  QTemporaryDir m_tmp;
  QString m_tag;
  QString m_passwordFile;
  QString m_leakSuppressions;
};

TEST_F(SambaWholeRun, FirstRunBuildsDomainFoldersAndSharesAndARerunChangesNothing) {
  const QStringList before = listedShares();
  if (before.contains(QStringLiteral("All_Public"), Qt::CaseInsensitive) ||
      before.contains(QStringLiteral("All_Private"), Qt::CaseInsensitive)) {
    GTEST_SKIP() << "the DC has All_Public or All_Private from an earlier run; needs a fresh DC";
  }
  const QString t = m_tag;
  const QString sales = QStringLiteral("Sales") + t;
  const QString lab = QStringLiteral("Lab") + t;
  const QList<Person> persons = {
      {"John", "Smith" + t, "Clerk in sales", sales, "Clerk", "555-0101"},
      {"Mary", "Jones" + t, "Head of sales", sales, "Manager", "555-0102"},
      {"Alan", "Turing" + t, "", lab, "Clerk", ""},
      {"Ada", "Lovelace" + t, "Engineer", lab, "Clerk", "555-0104"},
  };
  const QString list = writeList(QStringLiteral("list.csv"), persons);
  // The start-up options: full tree, department OUs, department and duty groups, accounts, one
  // public folder, a central private folder and a public folder per department.
  const QStringList args = adminArgs(list, {QStringLiteral("--dir-root"), makeRoot(host())});

  const RunResult first = quill(args);
  ASSERT_EQ(first.status, 0) << first.out.toStdString() << first.err.toStdString();
  EXPECT_EQ(first.err, QStringLiteral("Quillstead: Processed 4 users succesfully.\n"));

  for (const QString& ou : {QStringLiteral("OU=OU's,") + base(), usersOu(), groupsOu(),
                            QStringLiteral("OU=GPO's,OU=OU's,") + base(),
                            QStringLiteral("OU=Computers,OU=OU's,") + base(),
                            QStringLiteral("OU=") + sales + u',' + usersOu(),
                            QStringLiteral("OU=") + lab + u',' + usersOu()}) {
    EXPECT_EQ(lastClass(entry(ou)), QStringLiteral("organizationalUnit")) << ou.toStdString();
  }
  for (const Person& p : persons) expectAccount(p, p.login());
  expectGroup(sales + QStringLiteral("_Clerk"), {userDn(persons[0])});
  expectGroup(sales + QStringLiteral("_Manager"), {userDn(persons[1])});
  expectGroup(lab + QStringLiteral("_Clerk"), {userDn(persons[2]), userDn(persons[3])});
  // Each duty group is nested in its department's group.
  expectGroup(sales, {groupDn(sales + QStringLiteral("_Clerk")),
                      groupDn(sales + QStringLiteral("_Manager"))});
  expectGroup(lab, {groupDn(lab + QStringLiteral("_Clerk"))});

  // Folders on the DC's disk, each shared with its local path.
  const QStringList folders = {QStringLiteral("All/All_Private"), QStringLiteral("All/All_Public"),
                               QStringLiteral("All/") + sales + QStringLiteral("_Public"),
                               QStringLiteral("All/") + lab + QStringLiteral("_Public")};
  const QStringList shares = listedShares();
  for (const QString& folder : folders) {
    const QString name = folder.section(u'/', -1);
    SCOPED_TRACE(name.toStdString());
    EXPECT_TRUE(QFileInfo(rootOnDisk() + u'/' + folder).isDir());
    EXPECT_TRUE(shares.contains(name));
    EXPECT_EQ(pathOfShare(name), rootWindowsPath(folder));
    QString listing;
    EXPECT_EQ(smbclient(name, QStringLiteral("ls"), &listing), 0) << listing.toStdString();
  }

  // The same run again finds everything in place and changes nothing.
  const QStringList everything = {QStringLiteral("OU=") + sales + u',' + usersOu(),
                                  QStringLiteral("OU=") + lab + u',' + usersOu(),
                                  groupDn(sales),
                                  groupDn(sales + QStringLiteral("_Clerk")),
                                  groupDn(sales + QStringLiteral("_Manager")),
                                  groupDn(lab),
                                  groupDn(lab + QStringLiteral("_Clerk"))};
  const QMap<QString, QString> stamps = changeStamps(everything);
  ASSERT_EQ(stamps.size(), 2 + 4 + 5);

  const RunResult again = quill(args);
  // Existing shares are errors, existing accounts warnings.
  EXPECT_EQ(again.status, 1) << again.out.toStdString() << again.err.toStdString();
  // The question that offers the log is not asked in batch mode: the exit status tells.
  EXPECT_EQ(again.err, QString()) << again.err.toStdString();
  const QStringList lines = again.lines();
  for (const Person& p : persons) {
    EXPECT_TRUE(lines.contains(QStringLiteral("Warning: '") + p.login() +
                               QStringLiteral("' already exists. No changes will be made to the "
                                              "existing account.")))
        << p.login().toStdString();
    EXPECT_TRUE(
        lines.contains(QStringLiteral("Error: '%1 %2' will not be created.").arg(p.first, p.last)))
        << p.login().toStdString();
    // The fall-back name was tried and refused too: the person has one account, not two.
    EXPECT_EQ(accountsNamed(p.first.left(2) + p.last), QStringList());
  }
  for (const QString& folder : folders) {
    const QString name = folder.section(u'/', -1);
    EXPECT_TRUE(lines.contains(QStringLiteral("Unable to create share '%1 ' on '%2'. Path: '%3'.")
                                   .arg(name, host(), rootWindowsPath(folder))))
        << name.toStdString();
  }
  EXPECT_FALSE(again.out.contains(QStringLiteral("Adding '"))) << again.out.toStdString();
  EXPECT_FALSE(again.out.contains(QStringLiteral("Creating directory"))) << again.out.toStdString();
  EXPECT_EQ(changeStamps(everything), stamps);
  EXPECT_EQ(listedShares(), shares);
}

TEST_F(SambaWholeRun, HiddenSharesPerDepartmentEndInADollarSign) {
  const QString dep = QStringLiteral("Hid") + m_tag;
  const QString list =
      writeList(QStringLiteral("list.csv"), {{"Hanna", "Hidden" + m_tag, "", dep, "Clerk", ""},
                                             {"Otto", "Hidden" + m_tag, "", dep, "Clerk", ""}});
  // Folders only: per-department public and private folders below R\All\<department>.
  const RunResult run = quill(adminArgs(
      list, QStringLiteral("--full-tree no --department-ous no --department-groups no "
                           "--duty-groups no --users no --single-public no --department-public "
                           "yes --private-dirs yes --private-location per-department "
                           "--hidden-shares yes --dir-root")
                    .split(u' ') +
                QStringList{makeRoot(host())}));
  ASSERT_EQ(run.status, 0) << run.out.toStdString() << run.err.toStdString();

  const QStringList shares = listedShares();
  for (const QString& suffix : {QStringLiteral("_Public"), QStringLiteral("_Private")}) {
    const QString name = dep + suffix;
    const QString folder = QStringLiteral("All/") + dep + u'/' + name;
    SCOPED_TRACE(name.toStdString());
    EXPECT_TRUE(QFileInfo(rootOnDisk() + u'/' + folder).isDir());
    EXPECT_TRUE(shares.contains(name + u'$'));
    EXPECT_FALSE(shares.contains(name));
    EXPECT_EQ(pathOfShare(name + u'$'), rootWindowsPath(folder));
    QString listing;
    EXPECT_EQ(smbclient(name + u'$', QStringLiteral("ls"), &listing), 0) << listing.toStdString();
    // The log names the share without its "$", once for the department.
    EXPECT_EQ(run.lines().count(
                  QStringLiteral("Creating a share '%1' on remote system '%2. The path for the new "
                                 "share is '%3'.")
                      .arg(name, host(), rootWindowsPath(folder))),
              1)
        << run.out.toStdString();
  }
  // No directory work was asked for.
  EXPECT_EQ(accountsNamed(QStringLiteral("HHidden") + m_tag), QStringList());
}

TEST_F(SambaWholeRun, TakenLoginNameFallsBackAndTheAccountJoinsItsGroups) {
  const QString dep = QStringLiteral("Taken") + m_tag;
  const Person john{"John", "Smith" + m_tag, "Clerk", dep, "Clerk", "555-0199"};
  // Someone else already holds JSmith...: another name (CN), so only the login name collides.
  const QString otherDn = QStringLiteral("CN=Jim Smith%1,CN=Users,").arg(m_tag) + base();
  QString output;
  ASSERT_TRUE(dc().modify(
      ("dn: " + otherDn + "\nobjectClass: user\nsAMAccountName: " + john.login() + "\n\n").toUtf8(),
      true, &output))
      << output.toStdString();
  const QString otherStamp = changeStamps({otherDn}).value(otherDn);

  const RunResult run =
      quill(adminArgs(writeList(QStringLiteral("list.csv"), {john}), noFolders()));
  EXPECT_EQ(run.status, 2) << run.out.toStdString() << run.err.toStdString();
  const QString fallBack = QStringLiteral("Jo") + john.last;
  const QStringList lines = run.lines();
  EXPECT_TRUE(lines.contains(QStringLiteral("Warning: '") + john.login() +
                             QStringLiteral("' already exists. No changes will be made to the "
                                            "existing account.")))
      << run.out.toStdString();
  EXPECT_TRUE(lines.contains(QStringLiteral("Warning: '%1' already exists. Using '%2' for %3 %4.")
                                 .arg(john.login(), fallBack, john.first, john.last)))
      << run.out.toStdString();

  expectAccount(john, fallBack);
  EXPECT_EQ(accountsNamed(john.login()), QStringList{otherDn});
  EXPECT_EQ(changeStamps({otherDn}).value(otherDn), otherStamp);
  expectGroup(dep + QStringLiteral("_Clerk"), {userDn(john)});
  expectGroup(dep, {groupDn(dep + QStringLiteral("_Clerk"))});
}

TEST_F(SambaWholeRun, PasswordThePolicyRefusesLeavesTheAccountDisabled) {
  const QString dep = QStringLiteral("Weak") + m_tag;
  const Person weak{"Walter", "Weak" + m_tag, "Clerk", dep, "Clerk", "555-0123"};
  m_passwordFile = writeFile(QStringLiteral("weak-pw"), "a\n");

  const RunResult run =
      quill(adminArgs(writeList(QStringLiteral("list.csv"), {weak}), noFolders()));
  EXPECT_EQ(run.status, 1) << run.out.toStdString() << run.err.toStdString();
  EXPECT_TRUE(run.lines().contains(
      QStringLiteral("Error: '%1 %2' will not be created.").arg(weak.first, weak.last)))
      << run.out.toStdString();
  EXPECT_FALSE(
      run.out.contains(QStringLiteral("Adding 'LDAP://%1/CN=%2").arg(domain(), weak.first)))
      << run.out.toStdString();

  // The half-made account is there, disabled, without the second half of its attributes.
  const Entry e = entry(userDn(weak));
  ASSERT_FALSE(e.isEmpty()) << run.out.toStdString();
  EXPECT_EQ(e.value(QStringLiteral("samaccountname")), QStringList{weak.login()});
  EXPECT_NE(e.value(QStringLiteral("useraccountcontrol")).value(0).toInt() & 0x2, 0);
  EXPECT_EQ(e.value(QStringLiteral("telephonenumber")), QStringList());
  EXPECT_EQ(accountsNamed(QStringLiteral("Wa") + weak.last), QStringList());
  // The group is there, without the person.
  expectGroup(dep + QStringLiteral("_Clerk"), {});
}

TEST_F(SambaWholeRun, PlainUserIsDeniedAndNothingIsCreated) {
  const QString login = QStringLiteral("plain") + m_tag;
  const QString password = QStringLiteral("Plain-User-2024!");
  QByteArray utf16;
  for (const QChar c : u'"' + password + u'"') {
    utf16.append(static_cast<char>(c.unicode() & 0xff)).append(static_cast<char>(c.unicode() >> 8));
  }
  QString output;
  ASSERT_TRUE(dc().modify(
      ("dn: CN=" + login + ",CN=Users," + base() + "\nobjectClass: user\nsAMAccountName: " + login +
       "\nuserAccountControl: 512\nunicodePwd:: ")
              .toUtf8() +
          utf16.toBase64() + "\n\n",
      true, &output))
      << output.toStdString();
  ASSERT_EQ(bindAs(login, password), QStringLiteral("ok"));
  const QString auth = writeFile(QStringLiteral("plain.auth"),
                                 QStringLiteral("username = %1\npassword = %2\ndomain = %3\n")
                                     .arg(login, password, netbiosDomain())
                                     .toUtf8());

  const QString dep = QStringLiteral("Denied") + m_tag;
  const Person person{"Dora", "Denied" + m_tag, "Clerk", dep, "Clerk", "555"};
  const RunResult run =
      quill(QStringList{QStringLiteral("--batch"), QStringLiteral("--dc"), host(),
                        QStringLiteral("--credentials"), auth} +
            runArgs(writeList(QStringLiteral("list.csv"), {person}), noFolders()));
  EXPECT_NE(run.status, 0);
  EXPECT_NE(run.status, -1) << "crashed";
  EXPECT_TRUE(run.err.contains(QStringLiteral("Quillstead: Error. Access denied.\n")))
      << run.err.toStdString();
  EXPECT_FALSE(run.out.contains(password)) << "the password was printed";
  EXPECT_FALSE(run.err.contains(password)) << "the password was printed";
  EXPECT_EQ(search(base(), QStringLiteral("sub"),
                   QStringLiteral("(|(ou=%1)(cn=%1*)(sAMAccountName=%2))").arg(dep, person.login()),
                   {QStringLiteral("1.1")})
                .keys(),
            QStringList());
}

// getaddrinfo's IPv4 addresses of name, as text.
QStringList ipv4Addresses(const QString& name) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  QStringList result;
  if (::getaddrinfo(name.toUtf8().constData(), nullptr, &hints, &found) != 0) return result;
  for (const addrinfo* a = found; a != nullptr; a = a->ai_next) {
    char text[64] = {};
    const auto* in = reinterpret_cast<const sockaddr_in*>(a->ai_addr);
    if (::inet_ntop(AF_INET, &in->sin_addr, text, sizeof text) != nullptr) result << text;
  }
  ::freeaddrinfo(found);
  return result;
}

TEST_F(SambaWholeRun, KerberosTicketRunsWithoutCredentials) {
  // The Samba client will not use Kerberos towards an address or "localhost", and the DC's
  // NetBIOS name only resolves with the DC's own client configuration. This machine's name
  // resolves to the DC's address, is in its certificate and has an LDAP service name; with a
  // file-service name for it too (added to the DC's account here; the machine is not touched),
  // every connection of the run can use the ticket.
  const QString name = QSysInfo::machineHostName();
  if (name.isEmpty() || name.compare(QStringLiteral("localhost"), Qt::CaseInsensitive) == 0 ||
      !ipv4Addresses(name).contains(host())) {
    GTEST_SKIP() << "this machine's name '" << name.toStdString() << "' does not resolve to "
                 << host().toStdString();
  }
  const QString dcAccount =
      QStringLiteral("CN=%1,OU=Domain Controllers,").arg(dc().value("QUILL_DC_NETBIOS_NAME")) +
      base();
  const QStringList spns = dc().attributeValues(dcAccount, QStringLiteral("servicePrincipalName"));
  for (const QString& service : {QStringLiteral("ldap/"), QStringLiteral("cifs/")}) {
    if (spns.contains(service + name, Qt::CaseInsensitive)) continue;
    QString output;
    ASSERT_TRUE(dc().modify(
        ("dn: " + dcAccount +
         "\nchangetype: modify\nadd: servicePrincipalName\nservicePrincipalName: " + service +
         name + "\n")
            .toUtf8(),
        false, &output))
        << output.toStdString();
  }

  QProcessEnvironment kerberos;
  kerberos.insert(QStringLiteral("KRB5CCNAME"),
                  QStringLiteral("FILE:") + m_tmp.filePath(QStringLiteral("cc")));
  kerberos.insert(QStringLiteral("KRB5_CONFIG"), dc().value("KRB5_CONFIG"));
  QString output;
  ASSERT_EQ(dc().run(QStringLiteral("kinit"),
                     {QStringLiteral("Administrator@") + dc().value("QUILL_DC_REALM")},
                     dc().adminPassword().toUtf8() + '\n', &output, kerberos),
            0)
      << output.toStdString();

  const QString dep = QStringLiteral("Krb") + m_tag;
  const Person kurt{"Kurt", "Kerberos" + m_tag, "Clerk", dep, "Clerk", "555-0188"};
  const RunResult run = quill(QStringList{QStringLiteral("--batch"), QStringLiteral("--dc"), name} +
                                  runArgs(writeList(QStringLiteral("list.csv"), {kurt}),
                                          {QStringLiteral("--single-public"), QStringLiteral("no"),
                                           QStringLiteral("--private-dirs"), QStringLiteral("no"),
                                           QStringLiteral("--dir-root"), makeRoot(name)}),
                              kerberos);
  ASSERT_EQ(run.status, 0) << run.out.toStdString() << run.err.toStdString();

  expectAccount(kurt, kurt.login());
  expectGroup(dep + QStringLiteral("_Clerk"), {userDn(kurt)});
  const QString folder = dep + QStringLiteral("_Public");
  EXPECT_TRUE(QFileInfo(rootOnDisk() + u'/' + folder).isDir());
  EXPECT_TRUE(listedShares().contains(folder));
  // The share was added through a Kerberos session, whose RPC server process has ended; the one
  // that answers rpcclient may still hold the share table as it was, so the share's folder is
  // proven by what smbd serves.
  EXPECT_TRUE(shareServes(folder, rootOnDisk() + u'/' + folder));
  // The ticket was used for the directory and for the file server alike.
  ASSERT_EQ(dc().run(QStringLiteral("klist"), {}, {}, &output, kerberos), 0)
      << output.toStdString();
  EXPECT_TRUE(output.contains(QStringLiteral("ldap/") + name, Qt::CaseInsensitive))
      << output.toStdString();
  EXPECT_TRUE(output.contains(QStringLiteral("cifs/") + name, Qt::CaseInsensitive))
      << output.toStdString();
}

// Stopping the DC's main process (LDAP, Kerberos) disturbs every test that follows, so this
// suite is the last of the file and resumes the DC, waiting until it answers again, however the
// test ends.
using SambaWholeRunStoppedDc = SambaWholeRun;

class Resumer {
 public:
  Resumer(pid_t pid, const test::SambaDc& dc) : m_pid(pid), m_dc(dc) {}
  ~Resumer() {
    ::kill(m_pid, SIGCONT);
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 60000 &&
           !m_dc.search(QString(), QStringLiteral("base"), QStringLiteral("(objectClass=*)"),
                        {QStringLiteral("defaultNamingContext")})
                .contains(QStringLiteral("defaultNamingContext"))) {
      QThread::msleep(500);
    }
  }
  Resumer(const Resumer&) = delete;
  Resumer& operator=(const Resumer&) = delete;

 private:
  pid_t m_pid;
  const test::SambaDc& m_dc;
};

TEST_F(SambaWholeRunStoppedDc, RunEndsWithErrorsInBoundedTimeAndLogsEveryLine) {
  const QString dir = dc().value("QUILL_DC_DIR");
  QFile pidFile(dir + QStringLiteral("/samba.pid"));
  ASSERT_TRUE(pidFile.open(QIODevice::ReadOnly));
  const pid_t pid = QString::fromLatin1(pidFile.readAll()).trimmed().toInt();
  ASSERT_GT(pid, 1);
  ASSERT_EQ(QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).symLinkTarget(),
            QStringLiteral("/usr/sbin/samba"));

  QList<Person> persons;
  for (int i = 0; i < 300; ++i) {
    persons.append({QStringLiteral("P%1").arg(i), QStringLiteral("Halt%1n%2").arg(m_tag).arg(i),
                    "Clerk", QStringLiteral("Halt%1d%2").arg(m_tag).arg(i % 3), "Clerk", "555"});
  }
  QProcess p;
  start(p, adminArgs(writeList(QStringLiteral("list.csv"), persons), noFolders()));
  ASSERT_TRUE(p.waitForStarted(10000));
  ASSERT_TRUE(p.waitForReadyRead(60000)) << "no line within a minute";

  {
    const Resumer resume(pid, dc());
    ASSERT_EQ(::kill(pid, SIGSTOP), 0);
    const bool finished = p.waitForFinished(120000);
    if (!finished) p.kill();
    ASSERT_TRUE(finished) << "still running 120 s after the DC stopped";
  }
  EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(p.exitCode(), 1);
  const QStringList printed =
      QString::fromLocal8Bit(p.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
  EXPECT_TRUE(printed.size() > 5);
  EXPECT_FALSE(printed.filter(QRegularExpression(QStringLiteral("^Error"))).isEmpty())
      << printed.join(u'\n').toStdString();

  // Every printed line is in the run log, in the same order ("date, time, " + line).
  QFile log(m_tmp.filePath(QStringLiteral("quillstead.log")));
  ASSERT_TRUE(log.open(QIODevice::ReadOnly));
  QStringList logged =
      QString::fromUtf8(log.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
  ASSERT_EQ(logged.size(), printed.size());
  for (qsizetype i = 0; i < printed.size(); ++i) {
    ASSERT_TRUE(logged[i].endsWith(QStringLiteral(", ") + printed[i]))
        << i << ": " << logged[i].toStdString() << " / " << printed[i].toStdString();
  }
  // And the DC serves again for whatever comes next.
  EXPECT_TRUE(dc().search(QString(), QStringLiteral("base"), QStringLiteral("(objectClass=*)"),
                          {QStringLiteral("defaultNamingContext")})
                  .contains(base()));
}

}  // namespace
}  // namespace quill
