// Which preview picture the options call for, the picture window, and that
// each folder picture is the tree a run builds.
#include <QCheckBox>
#include <QDirIterator>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <set>

#include "gui/preview_choice.h"
#include "gui/preview_pictures.h"
#include "gui/preview_trees.h"
#include "gui/preview_window.h"
#include "sandbox/sandbox_file_system.h"
#include "support/gui_support.h"

namespace quill::test {
namespace {

RunOptions ouOptions(bool full, bool dep, bool duty, bool users, bool ous, bool specific) {
  RunOptions o;
  o.chk_CreateFullTree = full;
  o.chk_CreateDep = dep;
  o.chk_CreateDuty = duty;
  o.chk_CreateUsers = users;
  o.chk_CreateOUs = ous;
  o.chk_UsersOnSpecificOU = specific;
  return o;
}

RunOptions folderOptions(bool S, bool D, bool P, int location) {
  RunOptions o;
  o.chk_PubDirSingle = S;
  o.chk_PubDirDep = D;
  o.chk_PrivDir = P;
  o.opt_PrivateDirsLocation = location;
  return o;
}

std::string describe(const RunOptions& o) {
  return QStringLiteral("full=%1 dep=%2 duty=%3 users=%4 ous=%5 specific=%6")
      .arg(o.chk_CreateFullTree)
      .arg(o.chk_CreateDep)
      .arg(o.chk_CreateDuty)
      .arg(o.chk_CreateUsers)
      .arg(o.chk_CreateOUs)
      .arg(o.chk_UsersOnSpecificOU)
      .toStdString();
}

TEST(PreviewChoice, OuPreviewRows) {
  struct Row {
    RunOptions options;
    std::optional<int> picture;
  };
  const Row rows[] = {
      {ouOptions(true, false, false, false, false, false), 0},
      {ouOptions(false, true, false, true, true, true), 1},
      {ouOptions(false, false, true, true, true, true), 1},  // either group box counts
      {ouOptions(false, false, false, true, true, true), 2},
      {ouOptions(false, false, false, false, true, false), 3},
      {ouOptions(false, true, true, true, true, false), 4},
      {ouOptions(false, false, false, true, true, false), 5},
      {ouOptions(false, true, false, true, false, true), 6},
      {ouOptions(false, false, false, true, false, true), 7},
      {ouOptions(false, false, true, false, false, false), 8},
      {ouOptions(false, true, true, false, true, false), 9},
      // Users alone, with neither OUs nor a single OU: no picture.
      {ouOptions(false, false, false, true, false, false), std::nullopt},
      {ouOptions(false, false, false, false, false, false), std::nullopt},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(previewForOUs(row.options), row.picture) << describe(row.options);
  }
}

TEST(PreviewChoice, FullTreeDecidesBothDirectoryPreviewsWhateverElseIsSet) {
  for (int bits = 0; bits < 32; ++bits) {
    const RunOptions o = ouOptions(true, bits & 1, bits & 2, bits & 4, bits & 8, bits & 16);
    EXPECT_EQ(previewForOUs(o), 0) << describe(o);
    EXPECT_EQ(previewForGroups(o), 10) << describe(o);
  }
}

TEST(PreviewChoice, GroupsPreviewRows) {
  struct Row {
    RunOptions options;
    std::optional<int> picture;
  };
  const Row rows[] = {
      {ouOptions(false, true, true, true, false, false), 10},
      {ouOptions(false, true, true, false, false, false), 11},
      {ouOptions(false, true, false, false, false, false), 12},
      {ouOptions(false, false, true, false, false, false), 13},
      {ouOptions(false, true, false, true, false, false), 14},
      {ouOptions(false, false, true, true, false, false), 15},
      {ouOptions(false, false, false, true, true, false), std::nullopt},
      {ouOptions(false, false, false, false, false, false), std::nullopt},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(previewForGroups(row.options), row.picture) << describe(row.options);
  }
}

TEST(PreviewChoice, FoldersPreviewRows) {
  const int central = kPrivateDirsCentral;
  const int perDep = kPrivateDirsPerDepartment;
  struct Row {
    bool S, D, P;
    int location;
    std::optional<int> picture;
  };
  const Row rows[] = {
      {true, false, false, perDep, 16},
      {true, false, true, perDep, 17},
      {true, false, true, central, 18},
      {true, true, true, perDep, 19},
      {true, true, true, central, 20},
      {true, true, false, central, 21},
      {false, true, false, perDep, 22},
      {false, true, true, central, 23},
      {false, true, true, perDep, 24},
      {false, false, true, central, 25},
      {false, false, true, perDep, 26},
      {false, false, false, central, std::nullopt},
      {false, false, false, perDep, std::nullopt},
      {true, false, true, 7, std::nullopt},  // no location chosen
  };
  for (const Row& row : rows) {
    EXPECT_EQ(previewForFolders(folderOptions(row.S, row.D, row.P, row.location)), row.picture)
        << row.S << row.D << row.P << " location " << row.location;
  }
}

TEST(PreviewPictures, EveryPictureHasContentAndFitsItsBox) {
  for (int n = 0; n < kPreviewPictureCount; ++n) {
    PreviewPicture picture(previewTree(n), nullptr);
    EXPECT_FALSE(picture.tree().empty()) << n;
    // 14 pixels a line and a margin of 6 above and below.
    EXPECT_LE(picture.lineCount() * 14 + 12, PreviewPicture::kHeight) << n;
    EXPECT_EQ(picture.size(), QSize(198, 307)) << n;
  }
  EXPECT_TRUE(previewTree(kPreviewPictureCount).empty());
}

class PreviewWindowTest : public WindowTest {};

TEST_F(PreviewWindowTest, PictureShowsBesideTheWindowWhileTheButtonIsHeld) {
  m_window->show();
  m_window->move(40, 30);
  auto* button = child<QPushButton>("cmd_PreviewFS");
  sendMouse(button, QEvent::MouseButtonPress, Qt::RightButton);  // any button
  FrmPic* pic = m_window->previewWindow();
  ASSERT_NE(pic, nullptr);
  EXPECT_TRUE(pic->isVisible());
  EXPECT_EQ(pic->frontPicture(), 20);  // start-up folder options
  const QRect main = m_window->frameGeometry();
  EXPECT_EQ(pic->frameGeometry().left(), main.left() + main.width());
  EXPECT_EQ(pic->frameGeometry().bottom(), main.bottom())
      << pic->geometry().height() << " " << pic->frameGeometry().height();
  sendMouse(button, QEvent::MouseButtonRelease, Qt::RightButton);
  EXPECT_FALSE(pic->isVisible());

  sendMouse(child<QPushButton>("cmd_PreviewOU"), QEvent::MouseButtonPress);
  EXPECT_EQ(pic->frontPicture(), 0);
  sendMouse(child<QPushButton>("cmd_PreviewOU"), QEvent::MouseButtonRelease);
  sendMouse(child<QPushButton>("cmd_PreviewGrp"), QEvent::MouseButtonPress);
  EXPECT_EQ(pic->frontPicture(), 10);
  // The picture in front is the top child of the window.
  EXPECT_EQ(pic->children().last(), pic->picture(10));
  sendMouse(child<QPushButton>("cmd_PreviewGrp"), QEvent::MouseButtonRelease);

  // The window follows a moved main window.
  m_window->move(90, 60);
  sendMouse(button, QEvent::MouseButtonPress);
  EXPECT_EQ(pic->frameGeometry().left(), m_window->frameGeometry().right() + 1);
  sendMouse(button, QEvent::MouseButtonRelease);
}

TEST_F(PreviewWindowTest, NoPictureWithAllFolderBoxesCleared) {
  for (const char* name : {"chk_PubDirSingle", "chk_PubDirDep", "chk_PrivDir"}) {
    child<QCheckBox>(name)->click();
  }
  auto* button = child<QPushButton>("cmd_PreviewFS");
  sendMouse(button, QEvent::MouseButtonPress);
  EXPECT_TRUE(m_window->previewWindow() == nullptr || !m_window->previewWindow()->isVisible());
  sendMouse(button, QEvent::MouseButtonRelease);  // hiding nothing does no harm
  EXPECT_TRUE(m_window->previewWindow() == nullptr || !m_window->previewWindow()->isVisible());
}

// Every folder below root on the sandbox's disk, as "a\b" paths.
QStringList foldersOnDisk(const QString& hostRoot) {
  QStringList paths;
  QDirIterator it(hostRoot, QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    paths.append(QDir(hostRoot).relativeFilePath(it.next()).replace(u'/', u'\\'));
  }
  paths.sort(Qt::CaseInsensitive);
  return paths;
}

TEST_F(PreviewWindowTest, EachFolderPictureIsTheTreeARunBuilds) {
  QStringList persons;
  for (const char* department : {"Developers", "Finance", "HelpDesk", "Marketing", "Sales"}) {
    persons << QStringLiteral("Ann,%1Person,x,%1,Manager,1").arg(QString::fromLatin1(department));
  }
  const QString list = writeUserList(QStringLiteral("folders.csv"), persons);
  int row = 0;
  for (bool S : {false, true}) {
    for (bool D : {false, true}) {
      for (bool P : {false, true}) {
        for (int location : {kPrivateDirsCentral, kPrivateDirsPerDepartment}) {
          // The location counts only with private folders.
          if (!P && location != kPrivateDirsCentral) continue;
          const std::optional<int> picture = previewForFolders(folderOptions(S, D, P, location));
          if (!picture) continue;
          ++row;
          reopenSandbox();
          // Folders only: no directory objects.
          child<QCheckBox>("chk_CreateFullTree")->click();
          for (const char* name :
               {"chk_CreateUsers", "chk_CreateOUs", "chk_CreateDep", "chk_CreateDuty"}) {
            child<QCheckBox>(name)->click();
          }
          child<QCheckBox>("chk_PubDirSingle")->setChecked(S);
          child<QCheckBox>("chk_PubDirDep")->setChecked(D);
          child<QCheckBox>("chk_PrivDir")->setChecked(P);
          child<QRadioButton>(location == kPrivateDirsCentral ? "opt_PrivateDirsLocation_0"
                                                              : "opt_PrivateDirsLocation_1")
              ->setChecked(true);
          const QString root = QStringLiteral("\\\\files\\data\\row%1").arg(row);
          prepareRun(list, root);
          m_prompter.clear();
          m_prompter.scriptAnswers({MsgAnswer::Yes});  // create the missing root
          child<QPushButton>("cmd_GO")->click();
          ASSERT_EQ(m_prompter.messages().back().text,
                    QStringLiteral("Processed 5 users succesfully."))
              << *picture << ": " << m_prompter.messageTexts().join(u'|').toStdString() << "\n"
              << logFailures();

          QStringList expected = previewFolderPaths(*picture);
          expected.sort(Qt::CaseInsensitive);
          EXPECT_EQ(foldersOnDisk(m_sandbox->files().hostPathFor(root)), expected)
              << "picture " << *picture;
        }
      }
    }
  }
  EXPECT_EQ(row, 11);
}

}  // namespace
}  // namespace quill::test
