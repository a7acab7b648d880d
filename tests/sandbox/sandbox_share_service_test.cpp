#include "sandbox/sandbox_share_service.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace quill {
namespace {

class SandboxShareServiceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_tmp.isValid());
    ASSERT_TRUE(QDir().mkpath(m_servers + "/files/D/shares/data/Sales"));
    ASSERT_TRUE(QDir().mkpath(m_servers + "/files/E"));
    ASSERT_TRUE(QDir().mkpath(m_servers + "/idle"));  // a server with no share yet
    m_shares.addShare({"files", "data", "D:\\shares\\data"});
  }
  QString writeFile(const QByteArray& data) {
    QFile file(m_tmp.path() + "/in.tsv");
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(data);
    return file.fileName();
  }

  QTemporaryDir m_tmp;
  QString m_servers = m_tmp.path() + "/servers";
  SandboxShareService m_shares{m_servers};
};

TEST_F(SandboxShareServiceTest, CreatedSharesAreListedAndFound) {
  EXPECT_EQ(m_shares.CreateShare("files", "D:\\shares\\data\\Sales", "Sales_Public$"), 0);
  // A drive root joined with a tail gives a doubled separator, reduced here.
  EXPECT_EQ(m_shares.CreateShare("FILES", "E:\\\\", "e_root"), 0);
  EXPECT_EQ(m_shares.CreateShare("files", "D:\\\\shares\\\\data\\\\Sales", "Sales2"), 0);

  std::vector<ShareInfo> list;
  ASSERT_EQ(m_shares.EnumShares("files", "", "", "", list), 0);
  ASSERT_EQ(list.size(), 4u);
  EXPECT_EQ(list[2].Path, "E:\\");
  EXPECT_EQ(list[3].Path, "D:\\shares\\data\\Sales");
  for (const ShareInfo& share : list) {
    EXPECT_EQ(share.TypeText, "Disk") << share.Name.toStdString();
    EXPECT_TRUE(share.Description.isEmpty()) << share.Name.toStdString();
  }
  EXPECT_EQ(m_shares.GetSharePath("Files", "SALES_PUBLIC$"), "D:\\shares\\data\\Sales");
  EXPECT_EQ(m_shares.GetSharePath("files", "Sales_Public"), QString());
  EXPECT_EQ(m_shares.GetSharePath("nosuchserver", "data"), QString());
}

TEST_F(SandboxShareServiceTest, CreateShareRefusesWhatARealServerRefuses) {
  QStringList badNames = {"", QString(81, 'a'), "a\tb", QString("a") + QChar(0x7f)};
  for (QChar c : QStringLiteral("\"\\/[]:|<>+=;,*?")) badNames << QString("x") + c + "y";
  for (const QString& name : badNames) {
    EXPECT_EQ(m_shares.CreateShare("files", "D:\\shares\\data", name), kShareInvalidName)
        << name.toStdString();
  }
  const struct {
    const char* server;
    const char* localPath;
    const char* name;
    int result;
  } cases[] = {
      {"files", "D:\\shares\\data\\Sales", "DATA", kShareDuplicateName},
      {"nosuchserver", "D:\\shares\\data", "x", kShareServerUnavailable},
      {"..", "D:\\shares\\data", "x", kShareServerUnavailable},
      {"files", "D:\\shares\\data\\Missing", "x", kShareUnknownDirectory},
      {"idle", "Z:\\", "x", kShareUnknownDirectory},
      {"files", "D:\\shares\\data\\..\\..\\..\\..\\idle", "x", kShareInvalidParameter},
      {"files", "D:\\shares/data", "x", kShareInvalidParameter},
      {"files", "shares\\data", "x", kShareInvalidParameter},
      {"files", "/tmp", "x", kShareInvalidParameter},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(m_shares.CreateShare(c.server, c.localPath, c.name), c.result)
        << c.server << " " << c.localPath << " " << c.name;
  }
  EXPECT_EQ(m_shares.shares().size(), 1u);
  EXPECT_EQ(m_shares.CreateShare("files", "D:\\shares\\data", QString(80, 'a')), 0);
}

TEST_F(SandboxShareServiceTest, OnlyKnownServersConnect) {
  EXPECT_EQ(m_shares.ConnectShareHost("idle", "", "", ""), 0);
  EXPECT_EQ(m_shares.ConnectShareHost("nosuchserver", "", "", ""), 1);
  ASSERT_EQ(m_shares.ConnectShareHost("Files", "", "", ""), 0);
  std::vector<ShareInfo> list;
  EXPECT_NE(m_shares.EnumShares("nosuchserver", "", "", "", list), 0);
  EXPECT_EQ(m_shares.EnumShares("idle", "", "", "", list), 0);
  EXPECT_TRUE(list.empty());
  EXPECT_EQ(m_shares.EnumShares("", "", "", "", list), 0);  // the connected server
  EXPECT_EQ(list.size(), 1u);

  // An empty server is the computer this runs on.
  const QByteArray saved = qgetenv("computername");
  qputenv("computername", "files");
  EXPECT_EQ(m_shares.ConnectShareHost("", "", "", ""), 0);
  qputenv("computername", "nosuchserver");
  EXPECT_EQ(m_shares.ConnectShareHost("", "", "", ""), 1);
  if (saved.isNull())
    qunsetenv("computername");
  else
    qputenv("computername", saved);
}

TEST_F(SandboxShareServiceTest, HostPathStaysOnTheServersDisk) {
  const QString data = m_servers + "/files/D/shares/data";
  EXPECT_EQ(m_shares.hostPathFor("files", "d:\\SHARES\\Data\\sales\\"), data + "/Sales");
  EXPECT_EQ(m_shares.hostPathFor("files", "E:\\"), m_servers + "/files/E");
  for (const char* path : {"D:\\..", "D:\\.", "D:\\a\\..", "D:\\a\\..\\..", "D:\\a/..",
                           "D:\\a\\\\b", "D:", "1:\\x", "\\\\files\\data", "D:\\a\tb"}) {
    EXPECT_EQ(m_shares.hostPathFor("files", path), QString()) << path;
  }
  for (const char* server : {"", "..", "a/b", "files/../idle", "nosuchserver"}) {
    EXPECT_EQ(m_shares.hostPathFor(server, "D:\\"), QString()) << server;
  }
}

TEST_F(SandboxShareServiceTest, TheTableSurvivesSaveAndLoad) {
  ASSERT_EQ(m_shares.CreateShare("files", "D:\\shares\\data\\Sales", "Sales$"), 0);
  QString error;
  const QString tsv = m_tmp.path() + "/shares.tsv";
  SandboxShareService loaded(m_servers);
  ASSERT_TRUE(loaded.fromTsv(m_shares.toTsv(), tsv, &error)) << error.toStdString();
  EXPECT_EQ(loaded.shares().size(), 2u);
  EXPECT_EQ(loaded.GetSharePath("files", "sales$"), "D:\\shares\\data\\Sales");
  // CR LF and a last line without its end are read all the same.
  ASSERT_TRUE(loaded.fromTsv("files\tdata\tD:\\x\r\nfiles\ty\tE:\\", "t", &error));
  EXPECT_EQ(loaded.GetSharePath("files", "y"), "E:\\");
}

TEST_F(SandboxShareServiceTest, LoadRefusesMalformedLinesAndKeepsTheTable) {
  for (const char* text :
       {"files\tdata\n", "files\tdata\tD:\\x\tmore\n", "files\tdata\tD:\\x\n\nfiles\tb\tD:\\y\n",
        "..\tdata\tD:\\x\n", "files\tda/ta\tD:\\x\n", "files\tdata\tD:\\..\\x\n",
        "files\tdata\t/srv/data\n", "files\ta\tD:\\x\nFILES\tA\tD:\\y\n"}) {
    QString error;
    EXPECT_FALSE(m_shares.fromTsv(text, "t", &error)) << text;
    EXPECT_TRUE(error.contains("t, line ")) << text << " -> " << error.toStdString();
    EXPECT_EQ(m_shares.shares().size(), 1u) << text;
  }
}

}  // namespace
}  // namespace quill
