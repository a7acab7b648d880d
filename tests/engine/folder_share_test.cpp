#include "engine/folder_share.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "support/folder_bench.h"
#include "support/report_lines.h"

namespace quill::test {
namespace {

TEST(UncPartsTest, ServerAndShareComeFromTheFirstComponents) {
  const struct {
    const char* unc;
    const char* server;
    const char* share;
  } cases[] = {
      {"\\\\files\\data", "files", "data"},
      {"\\\\files\\data\\", "files", "data"},
      {"\\\\files\\data\\staff\\All", "files", "data"},
      {"\\\\files\\", "files", ""},
      {"\\\\files", "files", ""},
      {"\\\\srv.example.test\\d$\\x", "srv.example.test", "d$"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ServerFromUNC(c.unc), c.server) << c.unc;
    EXPECT_EQ(ShareFromUNC(c.unc), c.share) << c.unc;
  }
}

TEST(ExpandEnvPathTest, OnlyTheFirstNameIsExpandedEverywhereItOccurs) {
  qputenv("QUILL_T_A", "alpha");
  qputenv("QUILL_T_B", "beta");
  qunsetenv("QUILL_T_UNSET");
  const struct {
    const char* in;
    const char* out;
  } cases[] = {
      {"\\\\s\\%QUILL_T_A%\\x", "\\\\s\\alpha\\x"},
      {"%QUILL_T_A%\\%QUILL_T_A%", "alpha\\alpha"},
      {"%QUILL_T_A%\\%QUILL_T_B%", "alpha\\%QUILL_T_B%"},
      {"x%QUILL_T_UNSET%y", "xy"},
      {"50% off", "50% off"},
      {"no tokens", "no tokens"},
      {"", ""},
  };
  for (const auto& c : cases) {
    QString path = QString::fromLatin1(c.in);
    EXPECT_EQ(ExpandEnvPath(path), c.out) << c.in;
    EXPECT_EQ(path, c.out) << c.in;  // the argument is rewritten too
  }
}

const QString kTail = QStringLiteral("\\All\\Sales_Public");

class FolderShareTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(m_tmp.isValid()); }
  // Makes and shares the department folder \\files\data + dir + "\" + name, as
  // the department step of each person of the department asks for it.
  int share(const QString& name, const QString& dir = QStringLiteral("\\All")) {
    return CreateFolderAndShare(b.ctx, kDataRoot + dir + "\\" + name, name, true);
  }
  // The lines, the new shares, the run's list of shares and the errors flag.
  void expectOutcome(const QStringList& lines, const QStringList& shares,
                     const QStringList& recorded, bool errors) {
    EXPECT_EQ(firstDifference(b.host.helpHistory(), lines), "");
    EXPECT_EQ(b.newShares(), shares);
    EXPECT_EQ(b.ctx.lists.CreatedShares.names(), recorded);
    EXPECT_EQ(b.ctx.counters.ErrorsOccurred, errors);
  }

  QTemporaryDir m_tmp;
  FolderBench b{m_tmp.path() + "/sb"};
};

TEST_F(FolderShareTest, MakePathCreatesEveryMissingLevelInOrder) {
  qputenv("QUILL_T_SUB", "x\\y");
  const struct {
    const char* path;
    const char* rewritten;
    QStringList made;
    int result;
  } cases[] = {
      {"\\\\files\\data\\a\\b",
       "\\\\files\\data\\a\\b",
       {"\\\\files\\data\\a", "\\\\files\\data\\a\\b"},
       0},
      {"\\\\files\\data\\a\\b", "\\\\files\\data\\a\\b", {}, 0},
      {"\\\\files\\data\\c\\", "\\\\files\\data\\c\\", {"\\\\files\\data\\c"}, 0},
      {"\\\\files\\data\\%QUILL_T_SUB%",
       "\\\\files\\data\\x\\y",
       {"\\\\files\\data\\x", "\\\\files\\data\\x\\y"},
       0},
      // The missing share is the first level tried; the next fails with it.
      {"\\\\files\\nope\\a", "\\\\files\\nope\\a", {"\\\\files\\nope", "\\\\files\\nope\\a"}, 1},
  };
  for (const auto& c : cases) {
    b.files.made.clear();
    QString path = QString::fromLatin1(c.path);
    EXPECT_EQ(MakePath(path, b.files), c.result) << c.path;
    EXPECT_EQ(path, c.rewritten) << c.path;
    EXPECT_EQ(b.files.made, c.made) << c.path;
  }
  EXPECT_TRUE(QFileInfo(b.dataFolder("\\a\\b")).isDir());
  EXPECT_TRUE(QFileInfo(b.dataFolder("\\x\\y")).isDir());
  EXPECT_FALSE(QFileInfo::exists(b.sandbox->dir() + "/servers/files/nope"));

  // A level that fails does not stop the levels after it.
  b.files.made.clear();
  b.files.refuse.insert("\\\\files\\data\\r");
  QString refused = "\\\\files\\data\\r\\s";
  EXPECT_EQ(MakePath(refused, b.files), 1);
  EXPECT_EQ(b.files.made, QStringList({"\\\\files\\data\\r", "\\\\files\\data\\r\\s"}));
}

TEST_F(FolderShareTest, MakesFolderAndShareOncePerShareName) {
  EXPECT_EQ(share("Sales_Public"), 0);
  // Later persons of the department, in any letter case, find it done.
  EXPECT_EQ(share("Sales_Public"), 0);
  EXPECT_EQ(share("SALES_public"), 0);
  expectOutcome(made("Sales_Public", kTail), {shareEntry("Sales_Public", kTail)}, {"Sales_Public"},
                false);
  EXPECT_TRUE(QFileInfo(b.dataFolder(kTail)).isDir());
}

TEST_F(FolderShareTest, ExistingFolderIsSharedWithoutBeingMade) {
  ASSERT_TRUE(QDir().mkpath(b.dataFolder(kTail)));
  EXPECT_EQ(share("Sales_Public"), 0);
  expectOutcome({creatingShare("Sales_Public", kTail)}, {shareEntry("Sales_Public", kTail)},
                {"Sales_Public"}, false);
  EXPECT_TRUE(b.files.made.isEmpty());
}

TEST_F(FolderShareTest, RootBelowTheShareExtendsTheLocalPath) {
  ASSERT_TRUE(QDir().mkpath(b.dataFolder("\\staff")));
  b.host.runOptions().txt_DirRoot = kDataRoot + "\\staff";
  const QString tail = "\\staff\\All\\Sales\\Sales_Public";
  EXPECT_EQ(share("Sales_Public", "\\staff\\All\\Sales"), 0);
  expectOutcome(made("Sales_Public", tail), {shareEntry("Sales_Public", tail)}, {"Sales_Public"},
                false);
  EXPECT_TRUE(QFileInfo(b.dataFolder(tail)).isDir());
}

TEST_F(FolderShareTest, HiddenShareCarriesTheDollarOnlyOnTheServer) {
  b.host.runOptions().chk_HiddenShares = true;
  EXPECT_EQ(share("Sales_Public"), 0);
  EXPECT_EQ(share("Sales_Public"), 0);
  expectOutcome(made("Sales_Public", kTail), {shareEntry("Sales_Public$", kTail)}, {"Sales_Public"},
                false);
}

TEST_F(FolderShareTest, FailedShareIsReportedAndTriedAgainLater) {
  b.sandbox->shares().addShare({"files", "Sales_Public", kDataLocal});
  EXPECT_EQ(share("Sales_Public"), 0);
  EXPECT_EQ(share("Sales_Public"), 0);
  const QString unable = unableShare("Sales_Public", kTail);
  expectOutcome(made("Sales_Public", kTail) +
                    QStringList{unable, creatingShare("Sales_Public", kTail), unable},
                {"Sales_Public=" + kDataLocal}, {}, true);
}

TEST_F(FolderShareTest, FolderThatCannotBeMadeIsReportedAndNotRecorded) {
  ASSERT_TRUE(QDir().mkpath(b.dataFolder()));
  QFile blocker(b.dataFolder("\\All"));  // a file where a folder must go
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  EXPECT_EQ(share("Sales_Public"), 1);
  expectOutcome({creatingDir(kTail), faildDir(kTail)}, {}, {}, true);
}

// A share table that cannot be read (the server does not answer), while
// creating a share would work: counts the shares it is asked to create.
class BlindShares : public ShareService {
 public:
  explicit BlindShares(ShareService& inner) : m_inner(inner) {}
  int ConnectShareHost(const QString&, const QString&, const QString&, const QString&) override {
    return 1;
  }
  void DisconnectShareHost() override {}
  int EnumShares(const QString&, const QString&, const QString&, const QString&,
                 std::vector<ShareInfo>&) override {
    return 1;
  }
  int CreateShare(const QString& server, const QString& localPath,
                  const QString& shareName) override {
    ++created;
    return m_inner.CreateShare(server, localPath, shareName);
  }
  int created = 0;

 private:
  ShareService& m_inner;
};

TEST_F(FolderShareTest, NoShareWithoutTheRootSharesLocalPath) {
  BlindShares blind(b.sandbox->shares());
  RunContext ctx(b.host, b.sandbox->directory(), b.files, blind, b.log, b.patterns);
  const QString tail = "\\All\\Sales_Public";
  EXPECT_EQ(CreateFolderAndShare(ctx, kDataRoot + tail, "Sales_Public", true), 0);
  EXPECT_EQ(blind.created, 0);
  EXPECT_EQ(firstDifference(b.host.helpHistory(),
                            {creatingDir(tail), creatingShare("Sales_Public", tail, ""),
                             unableShare("Sales_Public", tail, "")}),
            "");
  EXPECT_TRUE(ctx.counters.ErrorsOccurred);
  EXPECT_EQ(ctx.lists.CreatedShares.count(), 0);
  EXPECT_TRUE(b.newShares().isEmpty());
}

TEST_F(FolderShareTest, NamesThatLeaveTheRootNeverBecomeFolders) {
  qputenv("QUILL_T_UP", "..\\..\\..\\..\\escape");
  qputenv("QUILL_T_DOTS", "..");
  qputenv("QUILL_T_SLASH", "a/b");
  // Department folders as the run builds them: flat (root\All\dep_Public)
  // and as a tree (root\All\dep\dep_Public).
  const auto flat = [](const QString& dep) {
    return std::pair{kDataRoot + "\\All\\" + dep + "_Public", dep + "_Public"};
  };
  const auto tree = [](const QString& dep) {
    return std::pair{kDataRoot + "\\All\\" + dep + "\\" + dep + "_Public", dep + "_Public"};
  };
  const std::pair<QString, QString> hostile[] = {
      tree(".."),
      tree("."),
      tree(""),
      tree("%QUILL_T_DOTS%"),
      tree(QString("a") + QChar(0x7f)),
      flat("a\\b"),
      flat("a/b"),
      flat("x\\..\\..\\..\\y"),
      flat("tab\there"),
      flat("%QUILL_T_UP%"),
      flat("%QUILL_T_SLASH%"),
  };
  const QStringList before = b.serverTree();
  for (const auto& [path, share] : hostile) {
    const qsizetype lines = b.host.helpHistory().size();
    b.ctx.counters.ErrorsOccurred = false;
    EXPECT_EQ(CreateFolderAndShare(b.ctx, path, share, true), 1) << path.toStdString();
    EXPECT_TRUE(b.ctx.counters.ErrorsOccurred) << path.toStdString();
    ASSERT_EQ(b.host.helpHistory().size(), lines + 1) << path.toStdString();
    EXPECT_TRUE(b.host.helpHistory().last().startsWith(
        "Error: '" + share + "' cannot be made a folder under '" + kDataRoot + "': "))
        << b.host.helpHistory().last().toStdString();
  }
  EXPECT_TRUE(b.files.made.isEmpty());
  EXPECT_EQ(b.serverTree(), before);
  EXPECT_TRUE(b.newShares().isEmpty());
  EXPECT_EQ(b.ctx.lists.CreatedShares.count(), 0);

  // ".." inside a longer name is one ordinary folder below the root.
  const auto [path, share] = flat("..");
  EXPECT_EQ(CreateFolderAndShare(b.ctx, path, share, true), 0);
  EXPECT_TRUE(QFileInfo(b.dataFolder("\\All\\.._Public")).isDir());
  EXPECT_EQ(b.newShares(), QStringList{".._Public=D:\\shares\\data\\All\\.._Public"});
}

}  // namespace
}  // namespace quill::test
