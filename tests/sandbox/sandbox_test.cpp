#include "sandbox/sandbox.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QSet>
#include <QTemporaryDir>

#include "core/user_record.h"
#include "engine/user_list_reader.h"
#include "sandbox/memory_directory.h"
#include "sandbox/sandbox_file_system.h"
#include "sandbox/sandbox_share_service.h"

namespace quill {
namespace {

class SandboxTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(m_tmp.isValid()); }
  std::unique_ptr<Sandbox> openOk() {
    QString error;
    std::unique_ptr<Sandbox> sandbox = Sandbox::open(m_dir, &error);
    EXPECT_NE(sandbox, nullptr) << error.toStdString();
    return sandbox;
  }
  QTemporaryDir m_tmp;
  QString m_dir = m_tmp.path() + "/sandbox";
};

TEST_F(SandboxTest, NewSandboxHoldsTheDomainAndTheServersShares) {
  std::unique_ptr<Sandbox> sandbox = openOk();
  ASSERT_NE(sandbox, nullptr);
  EXPECT_EQ(sandbox->shares().shares().size(), 3u);
  for (const auto& [server, share, path] :
       {std::tuple{"example.test", "sysvol", "C:\\Windows\\SYSVOL\\sysvol"},
        std::tuple{"example.test", "netlogon",
                   "C:\\Windows\\SYSVOL\\sysvol\\example.test\\scripts"},
        std::tuple{"files", "data", "D:\\shares\\data"}}) {
    EXPECT_EQ(sandbox->shares().GetSharePath(server, share), path) << share;
    EXPECT_TRUE(sandbox->files().exists(QString("\\\\%1\\%2").arg(server, share))) << share;
  }
  EXPECT_TRUE(QFileInfo(m_dir + "/servers/files/D/shares/data").isDir());
  for (const char* dn :
       {"DC=example,DC=test", "CN=Users,DC=example,DC=test", "CN=Computers,DC=example,DC=test",
        "CN=Builtin,DC=example,DC=test", "OU=Domain Controllers,DC=example,DC=test",
        "CN=Administrator,CN=Users,DC=example,DC=test", "CN=Guest,CN=Users,DC=example,DC=test",
        "CN=Domain Admins,CN=Users,DC=example,DC=test",
        "CN=Domain Users,CN=Users,DC=example,DC=test"}) {
    EXPECT_TRUE(sandbox->directory().contains(dn)) << dn;
  }
}

TEST_F(SandboxTest, SampleUserListIsAUsableList) {
  ASSERT_NE(openOk(), nullptr);
  QFile raw(m_dir + "/Users_list.csv");
  ASSERT_TRUE(raw.open(QIODevice::ReadOnly));
  const QByteArray bytes = raw.readAll();
  EXPECT_TRUE(bytes.endsWith("\r\n"));
  EXPECT_EQ(bytes.count('\n'), bytes.count("\r\n"));
  EXPECT_TRUE(std::all_of(bytes.begin(), bytes.end(), [](char c) { return c > 0 && c < 0x7f; }));

  UserListReader reader;
  QString line, error;
  ASSERT_TRUE(reader.open(raw.fileName(), &error)) << error.toStdString();
  ASSERT_EQ(reader.readLine(line), UserListReader::Status::Line);
  EXPECT_EQ(line, "First name,Last name,Description,Department,Duty,Telephone");
  ASSERT_EQ(reader.readLine(line), UserListReader::Status::Line);
  int persons = 0;
  QSet<QString> departments, duties;
  QMap<QString, int> pattern1;  // first letter of the first name + last name
  QMap<QString, int> lastNames;
  bool emptyPhone = false;
  while (reader.readLine(line) == UserListReader::Status::Line) {
    ++persons;
    EXPECT_EQ(line.split(',').size(), 6) << line.toStdString();
    const UserRecord person(line);
    departments << person.department();
    duties << person.duty();
    ++pattern1[person.firstName().left(1) + person.lastName()];
    ++lastNames[person.lastName()];
    emptyPhone |= person.telephone().isEmpty();
  }
  EXPECT_GE(persons, 40);
  EXPECT_GE(departments.size(), 5);
  EXPECT_GE(duties.size(), 6);
  // Last names are shared, login names by the first pattern are not.
  EXPECT_GE(lastNames.value("Smith"), 2);
  EXPECT_GE(lastNames.value("Bond"), 2);
  for (auto it = pattern1.cbegin(); it != pattern1.cend(); ++it) {
    EXPECT_EQ(it.value(), 1) << it.key().toStdString();
  }
  EXPECT_TRUE(emptyPhone);
}

TEST_F(SandboxTest, OpeningAnExistingSandboxChangesNoFile) {
  ASSERT_TRUE(QDir().mkpath(m_dir));  // an existing empty folder becomes a sandbox too
  ASSERT_NE(openOk(), nullptr);
  // Age every file, so that a rewrite, however quick, shows in its time.
  QMap<QString, QPair<QByteArray, QDateTime>> before;
  QDirIterator it(m_dir, QDir::Files, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    QFile file(it.next());
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(QDateTime::fromSecsSinceEpoch(1e9), QFile::FileModificationTime));
    before.insert(file.fileName(), {file.readAll(), QDateTime::fromSecsSinceEpoch(1e9)});
  }
  ASSERT_EQ(before.size(), 3);
  std::unique_ptr<Sandbox> again = openOk();
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(again->shares().shares().size(), 3u);
  again.reset();
  const QStringList all =
      QDir(m_dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name);
  EXPECT_EQ(all, QStringList({"Users_list.csv", "directory.ldif", "servers", "shares.tsv"}));
  for (auto f = before.cbegin(); f != before.cend(); ++f) {
    QFile file(f.key());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), f.value().first) << f.key().toStdString();
    EXPECT_EQ(QFileInfo(file).lastModified(), f.value().second) << f.key().toStdString();
  }
}

TEST_F(SandboxTest, AFolderThatIsNoSandboxIsLeftAlone) {
  ASSERT_TRUE(QDir().mkpath(m_dir));
  QFile notes(m_dir + "/notes.txt");
  ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
  notes.close();
  QString error;
  EXPECT_EQ(Sandbox::open(m_dir, &error), nullptr);
  EXPECT_TRUE(error.contains("not a Quillstead sandbox")) << error.toStdString();
  EXPECT_EQ(QDir(m_dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
            QStringList{"notes.txt"});
  EXPECT_EQ(Sandbox::open(notes.fileName(), &error), nullptr);  // a file, not a folder
}

TEST_F(SandboxTest, SavedChangesAreThereAfterReopening) {
  {
    std::unique_ptr<Sandbox> sandbox = openOk();
    ASSERT_NE(sandbox, nullptr);
    QString error;
    ASSERT_TRUE(sandbox->files().makeFolder("\\\\files\\data\\Sales", &error));
    ASSERT_EQ(sandbox->shares().CreateShare("files", "D:\\shares\\data\\Sales", "Sales$"), 0);
    PendingError err;
    DirectoryService& directory = sandbox->directory();
    std::unique_ptr<DirObject> root = directory.Bind("LDAP://DC=example,DC=test", err);
    ASSERT_NE(root, nullptr) << err.description().toStdString();
    std::unique_ptr<DirObject> ou = directory.Create(*root, "organizationalUnit", "OU=Sales", err);
    ASSERT_NE(ou, nullptr);
    directory.SetInfo(*ou, err);
    ASSERT_FALSE(err.isSet()) << err.description().toStdString();
    ASSERT_TRUE(sandbox->save(&error)) << error.toStdString();
  }
  std::unique_ptr<Sandbox> reopened = openOk();
  ASSERT_NE(reopened, nullptr);
  EXPECT_TRUE(reopened->files().exists("\\\\files\\sales$"));
  EXPECT_TRUE(reopened->directory().contains("OU=Sales,DC=example,DC=test"));

  QFile tsv(m_dir + "/shares.tsv");  // a broken share table is reported, not ignored
  ASSERT_TRUE(tsv.open(QIODevice::Append));
  tsv.write("files\tbroken\n");
  tsv.close();
  QString error;
  EXPECT_EQ(Sandbox::open(m_dir, &error), nullptr);
  EXPECT_TRUE(error.contains("shares.tsv")) << error.toStdString();
}

}  // namespace
}  // namespace quill
