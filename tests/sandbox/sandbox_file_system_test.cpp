#include "sandbox/sandbox_file_system.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>

namespace quill {
namespace {

class SandboxFileSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_tmp.isValid());
    ASSERT_TRUE(QDir().mkpath(m_data + "/Sales"));
    ASSERT_TRUE(QDir().mkpath(m_servers + "/files/E"));
    QFile file(m_data + "/readme.txt");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    m_shares.addShare({"files", "data", "D:\\shares\\data"});
    m_shares.addShare({"files", "e", "E:\\"});
  }

  QTemporaryDir m_tmp;
  QString m_servers = m_tmp.path() + "/servers";
  QString m_data = m_servers + "/files/D/shares/data";
  SandboxShareService m_shares{m_servers};
  SandboxFileSystem m_files{m_shares};
};

TEST_F(SandboxFileSystemTest, ExistsForFilesFoldersAndShareRoots) {
  for (const char* path : {"\\\\files\\data", "\\\\files\\data\\", "\\\\FILES\\DATA\\sales",
                           "\\\\files\\data\\readme.txt", "\\\\files\\e"}) {
    EXPECT_TRUE(m_files.exists(path)) << path;
  }
  for (const char* path : {"\\\\files\\data\\Nope", "\\\\files\\nope", "\\\\files", "\\\\files\\",
                           "", "D:\\shares\\data", "\\\\files\\data\\Sales\\.."}) {
    EXPECT_FALSE(m_files.exists(path)) << path;
  }
  EXPECT_EQ(m_files.hostPathFor("\\\\files\\e\\x"), m_servers + "/files/E/x");
}

TEST_F(SandboxFileSystemTest, MakeFolderCreatesExactlyOneLevel) {
  QString error;
  ASSERT_TRUE(m_files.makeFolder("\\\\files\\data\\Sales\\Sales_Public", &error));
  EXPECT_TRUE(QFileInfo(m_data + "/Sales/Sales_Public").isDir());
  ASSERT_TRUE(m_files.makeFolder("\\\\files\\e\\All\\", &error)) << error.toStdString();
  EXPECT_TRUE(QFileInfo(m_servers + "/files/E/All").isDir());

  for (const char* path : {"\\\\files\\data\\SALES\\sales_public", "\\\\files\\data\\a\\b",
                           "\\\\files\\data", "\\\\files\\nope\\a"}) {
    error.clear();
    EXPECT_FALSE(m_files.makeFolder(path, &error)) << path;
    EXPECT_FALSE(error.isEmpty()) << path;
  }
  EXPECT_FALSE(QFileInfo::exists(m_data + "/a"));
}

TEST_F(SandboxFileSystemTest, NoPathEscapesTheShare) {
  auto everything = [this] {
    QStringList paths;
    QDirIterator it(m_tmp.path(), QDir::AllEntries | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) paths << it.next();
    paths.sort();
    return paths;
  };
  const QStringList before = everything();
  for (const char* path :
       {"\\\\files\\data\\..", "\\\\files\\data\\.", "\\\\files\\data\\a/..",
        "\\\\files\\data\\Sales\\..\\..", "\\\\files\\data\\a\\..\\..", "\\\\files\\data\\a/b",
        "\\\\files\\data\\a\tb", "\\\\files\\..\\x", "\\\\..\\data\\x"}) {
    QString error;
    EXPECT_FALSE(m_files.makeFolder(path, &error)) << path;
    EXPECT_FALSE(error.isEmpty()) << path;
    EXPECT_EQ(m_files.hostPathFor(path), QString()) << path;
  }
  EXPECT_EQ(everything(), before);
}

}  // namespace
}  // namespace quill
