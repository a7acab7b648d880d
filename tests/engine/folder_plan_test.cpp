#include "engine/folder_plan.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QTemporaryDir>

#include "support/folder_bench.h"
#include "support/report_lines.h"

namespace quill::test {
namespace {

struct Folder {
  const char* tail;
  const char* share;
};

// One row of the plan: the three boxes, the private location, the folders
// made in order and the department roots (nullptr: left empty; otherwise
// the text appended to the root).
struct PlanRow {
  bool S, D, P;
  int location;
  std::vector<Folder> made;
  const char* pub;
  const char* priv;
  const char* pubTree;
  const char* privTree;
};

const int C = kPrivateDirsCentral;
const int PD = kPrivateDirsPerDepartment;

// clang-format off
const PlanRow kRows[] = {
    {1, 0, 0, C,  {{"\\All_Public", "All_Public"}}, nullptr, nullptr, nullptr, nullptr},
    {0, 1, 0, C,  {}, "", nullptr, nullptr, nullptr},
    {1, 1, 0, C,  {{"\\All\\All_Public", "All_Public"}}, "\\All", nullptr, nullptr, nullptr},
    {0, 0, 1, C,  {{"\\All_Private", "All_Private"}}, nullptr, nullptr, nullptr, nullptr},
    {0, 0, 1, PD, {}, nullptr, "", nullptr, nullptr},
    {1, 0, 1, C,  {{"\\All\\All_Public", "All_Public"}, {"\\All\\All_Private", "All_Private"}},
                  nullptr, nullptr, nullptr, nullptr},
    {1, 0, 1, PD, {{"\\All\\All_Public", "All_Public"}}, nullptr, "\\All", nullptr, nullptr},
    {1, 1, 1, C,  {{"\\All\\All_Private", "All_Private"}, {"\\All\\All_Public", "All_Public"}},
                  "\\All", nullptr, nullptr, nullptr},
    {1, 1, 1, PD, {{"\\All\\All_Public", "All_Public"}}, nullptr, nullptr, "\\All", "\\All"},
    {0, 1, 1, C,  {{"\\All\\All_Private", "All_Private"}}, "\\All", nullptr, nullptr, nullptr},
    {0, 1, 1, PD, {}, nullptr, nullptr, "\\All", "\\All"},
    // All three cleared: nothing, not even a look at a root that is missing.
    {0, 0, 0, C,  {}, nullptr, nullptr, nullptr, nullptr},
};
// clang-format on

QString rootOf(const char* relative) {
  return relative == nullptr ? QString() : kDataRoot + QString::fromLatin1(relative);
}

class FolderPlanTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(m_tmp.isValid()); }
  std::unique_ptr<FolderBench> bench(RunOptions options) {
    auto b = std::make_unique<FolderBench>(m_tmp.path() + QStringLiteral("/sb%1").arg(m_count++));
    options.txt_DirRoot = b->host.runOptions().txt_DirRoot;
    b->host.runOptions() = options;
    return b;
  }
  static RunOptions boxes(bool S, bool D, bool P, int location) {
    RunOptions o;
    o.chk_PubDirSingle = S;
    o.chk_PubDirDep = D;
    o.chk_PrivDir = P;
    o.opt_PrivateDirsLocation = location;
    return o;
  }

  QTemporaryDir m_tmp;
  int m_count = 0;
};

TEST_F(FolderPlanTest, EveryRowMakesItsFoldersInOrderAndSetsItsRoots) {
  for (const PlanRow& row : kRows) {
    const std::string name = "S" + std::to_string(row.S) + " D" + std::to_string(row.D) + " P" +
                             std::to_string(row.P) +
                             (row.location == PD ? " per dept" : " central");
    auto b = bench(boxes(row.S, row.D, row.P, row.location));
    if (!row.S && !row.D && !row.P) b->host.runOptions().txt_DirRoot = "\\\\files\\nope";

    EXPECT_EQ(BuildFolderPlan(b->ctx), 0) << name;

    QStringList lines;
    QStringList shares;
    for (const Folder& f : row.made) {
      lines << made(f.share, f.tail);
      shares << shareEntry(f.share, f.tail);
      EXPECT_TRUE(QFileInfo(b->dataFolder(f.tail)).isDir()) << name << " " << f.tail;
    }
    EXPECT_EQ(firstDifference(b->host.helpHistory(), lines), "") << name;
    EXPECT_EQ(b->newShares(), shares) << name;
    EXPECT_EQ(b->ctx.lists.CreatedShares.count(), static_cast<int>(row.made.size())) << name;
    EXPECT_EQ(b->ctx.roots.DepPublicRoot, rootOf(row.pub)) << name;
    EXPECT_EQ(b->ctx.roots.DepPrivateRoot, rootOf(row.priv)) << name;
    EXPECT_EQ(b->ctx.roots.DepPublicTreeRoot, rootOf(row.pubTree)) << name;
    EXPECT_EQ(b->ctx.roots.DepPrivateTreeRoot, rootOf(row.privTree)) << name;
    EXPECT_FALSE(b->ctx.counters.ErrorsOccurred) << name;
    EXPECT_TRUE(b->host.questions().empty()) << name;
    EXPECT_TRUE(b->host.dirRootWrites().isEmpty()) << name;
  }
}

TEST_F(FolderPlanTest, MissingRootAsksAndYesGoesOnWithoutFolders) {
  for (MsgAnswer answer : {MsgAnswer::Yes, MsgAnswer::No}) {
    const bool yes = answer == MsgAnswer::Yes;
    auto b = bench(RunOptions{});
    b->host.runOptions().txt_DirRoot = "\\\\files\\data\\nope";
    b->host.scriptAnswers({answer});

    EXPECT_EQ(BuildFolderPlan(b->ctx), yes ? 0 : 1) << yes;
    ASSERT_EQ(b->host.questions().size(), 1u) << yes;
    EXPECT_EQ(b->host.questions()[0].text,
              "Unable to find '\\\\files\\data\\nope'. Continue anyway?");
    EXPECT_EQ(b->host.questions()[0].buttons, MsgButtons::YesNo);
    EXPECT_EQ(b->ctx.counters.ErrorsOccurred, !yes);
    EXPECT_TRUE(b->host.helpHistory().isEmpty()) << yes;
    EXPECT_TRUE(b->newShares().isEmpty()) << yes;
    EXPECT_TRUE(b->ctx.roots.DepPublicRoot.isEmpty()) << yes;
    EXPECT_FALSE(QFileInfo::exists(b->dataFolder("\\nope"))) << yes;
  }
}

TEST_F(FolderPlanTest, OneTrailingSeparatorIsRemovedAndWrittenBack) {
  // Windows collapses a run of separators in a path, so a root typed with two
  // trailing "\" keeps one and still names the same folder.
  const struct {
    QString typed;
    QStringList writes;
    QString extra;  // what the root keeps after \\files\data
  } cases[] = {
      {kDataRoot, {}, ""},
      {kDataRoot + "\\", {kDataRoot}, ""},
      {kDataRoot + "\\\\", {kDataRoot + "\\"}, "\\"},
  };
  for (const auto& c : cases) {
    auto b = bench(boxes(true, true, true, C));
    b->files.collapseSeparators = true;
    b->host.runOptions().txt_DirRoot = c.typed;

    EXPECT_EQ(BuildFolderPlan(b->ctx), 0) << c.typed.toStdString();
    EXPECT_EQ(b->host.dirRootWrites(), c.writes) << c.typed.toStdString();
    const QStringList lines = made("All_Private", c.extra + "\\All\\All_Private") +
                              made("All_Public", c.extra + "\\All\\All_Public");
    EXPECT_EQ(firstDifference(b->host.helpHistory(), lines), "") << c.typed.toStdString();
    EXPECT_EQ(b->ctx.roots.DepPublicRoot, kDataRoot + c.extra + "\\All") << c.typed.toStdString();
    // The share table gets the path with the doubled separator reduced.
    EXPECT_EQ(b->newShares(), QStringList({shareEntry("All_Private", "\\All\\All_Private"),
                                           shareEntry("All_Public", "\\All\\All_Public")}))
        << c.typed.toStdString();
  }
}

TEST_F(FolderPlanTest, AFailedRunWideFolderEndsThePlanAndAFailedShareDoesNot) {
  // Private first, then the department root, then public: a failure of the
  // first leaves the root unset and the second unmade; a failure of the last
  // comes after the root was set.
  const QString priv = "\\All\\All_Private";
  const QString pub = "\\All\\All_Public";
  const struct {
    QString refusedFolder;
    QString takenShare;
    bool ends;
    QStringList lines;
    QStringList shares;
    QString depPublicRoot;
  } cases[] = {
      {priv, "", true, {creatingDir(priv), faildDir(priv)}, {}, ""},
      {pub,
       "",
       true,
       made("All_Private", priv) + QStringList{creatingDir(pub), faildDir(pub)},
       {shareEntry("All_Private", priv)},
       kDataRoot + "\\All"},
      {"",
       "All_Public",
       false,
       made("All_Private", priv) + made("All_Public", pub) +
           QStringList{unableShare("All_Public", pub)},
       {"All_Public=" + kDataLocal, shareEntry("All_Private", priv)},
       kDataRoot + "\\All"},
  };
  for (const auto& c : cases) {
    const std::string what = (c.refusedFolder + c.takenShare).toStdString();
    auto b = bench(boxes(true, true, true, C));
    if (!c.refusedFolder.isEmpty()) b->files.refuse.insert(kDataRoot + c.refusedFolder);
    if (!c.takenShare.isEmpty()) b->sandbox->shares().addShare({"files", c.takenShare, kDataLocal});
    EXPECT_EQ(BuildFolderPlan(b->ctx) != 0, c.ends) << what;
    EXPECT_TRUE(b->ctx.counters.ErrorsOccurred) << what;
    EXPECT_EQ(firstDifference(b->host.helpHistory(), c.lines), "") << what;
    EXPECT_EQ(b->newShares(), c.shares) << what;
    EXPECT_EQ(b->ctx.roots.DepPublicRoot, c.depPublicRoot) << what;
  }
}

}  // namespace
}  // namespace quill::test
