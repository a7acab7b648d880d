#include "sandbox/sandbox.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>

#include "sandbox/memory_directory.h"
#include "sandbox/sandbox_file_system.h"
#include "sandbox/sandbox_share_service.h"

namespace quill {
namespace {

class SandboxTest : public ::testing::Test {
 protected:
  std::unique_ptr<Sandbox> openOk() {
    QString error;
    std::unique_ptr<Sandbox> sandbox = Sandbox::open(m_dir, &error);
    EXPECT_NE(sandbox, nullptr) << error.toStdString();
    return sandbox;
  }
  QTemporaryDir m_tmp;
  QString m_dir = m_tmp.path() + "/sandbox";
};

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
}

// A sandbox is saved only where it changed, and what was saved is there after reopening.
TEST_F(SandboxTest, SavedChangesAndOnlyThemAreThereAfterReopening) {
  ASSERT_TRUE(QDir().mkpath(m_dir));  // an existing empty folder becomes a sandbox too
  ASSERT_NE(openOk(), nullptr);
  // Age every file, so that a rewrite, however quick, shows in its time.
  const QDateTime aged = QDateTime::fromSecsSinceEpoch(1000000000);
  QStringList files;
  QDirIterator it(m_dir, QDir::Files, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    QFile file(it.next());
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(aged, QFile::FileModificationTime));
    files << file.fileName();
  }
  ASSERT_EQ(files.size(), 5);  // the list, the two files, the journal and the lock
  const QString users = "LDAP://CN=Domain Users,CN=Users,DC=example,DC=test";
  const QString guest = "LDAP://CN=Guest,CN=Users,DC=example,DC=test";
  {
    std::unique_ptr<Sandbox> sandbox = openOk();
    ASSERT_NE(sandbox, nullptr);
    QString error;
    ASSERT_TRUE(sandbox->save(&error)) << error.toStdString();
    for (const QString& file : files) {
      if (file.endsWith("/journal") || file.endsWith("/lock"))
        continue;  // saving starts a fresh journal; the lock is taken anew
      EXPECT_EQ(QFileInfo(file).lastModified(), aged) << file.toStdString();
    }
    ASSERT_TRUE(sandbox->files().makeFolder("\\\\files\\data\\Sales", &error));
    ASSERT_EQ(sandbox->shares().CreateShare("files", "D:\\shares\\data\\Sales", "Sales$"), 0);
    PendingError err;
    sandbox->directory().Add(*sandbox->directory().Bind(users, err), guest, err);
    ASSERT_FALSE(err.isSet()) << err.description().toStdString();
    ASSERT_TRUE(sandbox->save(&error)) << error.toStdString();
  }
  EXPECT_EQ(QDir(m_dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name),
            QStringList(
                {"Users_list.csv", "directory.ldif", "journal", "lock", "servers", "shares.tsv"}));
  {
    std::unique_ptr<Sandbox> reopened = openOk();
    ASSERT_NE(reopened, nullptr);
    EXPECT_TRUE(reopened->files().exists("\\\\files\\sales$"));
    // The loaded directory knows its account names and members again.
    EXPECT_TRUE(reopened->directory().AccountExists("example.test", "GUEST"));
    PendingError err;
    reopened->directory().Add(*reopened->directory().Bind(users, err), guest, err);
    EXPECT_EQ(err.number(), kErrAlreadyExists);
  }

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
