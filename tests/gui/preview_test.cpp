// The preview pictures: each shows what a run with the options that call for
// it builds, line by line in its box; the picture window shows beside the main
// window while a preview button is held.
#include "gui/preview_choice.h"
#include "gui/preview_pictures.h"
#include "gui/preview_window.h"
#include "sandbox/memory_directory.h"
#include "sandbox/sandbox_file_system.h"
#include "support/gui_support.h"

namespace quill::test {
namespace {

int openLines(const std::vector<PreviewNode>& nodes) {
  int lines = 0;
  for (const PreviewNode& n : nodes) lines += 1 + (n.collapsed ? 0 : openLines(n.children));
  return lines;
}

// Label paths "a\b\c" of a picture; a top container the options leave to the
// user ("Specified_...") stands for the OU the test chose.
void pictured(const std::vector<PreviewNode>& nodes, QString prefix, QStringList& out) {
  for (const PreviewNode& n : nodes) {
    if (prefix.isEmpty() && n.label.startsWith(u"Specified_"_s)) {
      pictured(n.children, n.label.contains(u"Groups"_s) ? u"Teams"_s : u"People"_s, out);
      continue;
    }
    out << (prefix.isEmpty() ? n.label : prefix + u'\\' + n.label);
    pictured(n.children, out.constLast(), out);
  }
}

class PreviewRunTest : public WindowTest {
 protected:
  // The same for what a run left below dn: its children, or a group's
  // members; for groups only those that are no member of another.
  void built(const QString& dn, QString prefix, bool members, QStringList& out) {
    MemoryDirectory& dir = m_sandbox->directory();
    QStringList nested;
    for (const QString& c : dir.childDns(dn)) nested << dir.values(c, u"member"_s);
    for (const QString& c :
         members && !prefix.isEmpty() ? dir.values(dn, u"member"_s) : dir.childDns(dn)) {
      if (members && prefix.isEmpty() && nested.contains(c)) continue;
      const QString name = (dir.values(c, u"sAMAccountName"_s) + dir.values(c, u"ou"_s))[0];
      out << (prefix.isEmpty() ? name : prefix + u'\\' + name);
      built(c, out.constLast(), members, out);
    }
  }
  // Each line once; every line but "..." is built, and everything built is
  // shown, or "..." stands for more of its level. The picture draws a line
  // per unfolded node.
  void expectShows(int picture, const QStringList& shown, const QStringList& made) {
    const PreviewPicture drawn(previewTree(picture), nullptr);
    EXPECT_EQ(drawn.lineCount(), openLines(drawn.tree())) << picture;
    const std::string what = std::to_string(picture) + "\n shows " +
                             shown.join(u' ').toStdString() + "\n built " +
                             made.join(u' ').toStdString();
    EXPECT_EQ(QSet<QString>(shown.begin(), shown.end()).size(), shown.size()) << what;
    for (const QString& p : shown)
      EXPECT_TRUE(p.endsWith(u"..."_s) || made.contains(p)) << p.toStdString() << " in " << what;
    for (const QString& b : made) {
      const QString more = b.left(b.lastIndexOf(u'\\') + 1) + u"..."_s;
      EXPECT_TRUE(shown.contains(b) || shown.contains(more)) << b.toStdString() << " in " << what;
    }
    m_seen.insert(picture);
  }
  QSet<int> m_seen;
};

// One run per combination of the directory boxes (bits 0-4), then the full
// tree (32), then per combination of the folder options (bits 0-3 above 32).
TEST_F(PreviewRunTest, EachPictureShowsWhatARunWithItsOptionsBuilds) {
  QStringList persons;  // the pictures' sample persons
  for (const QString& p :
       u"Anna Berg Developers Manager/Tom Reed Developers Team-leader/Lisa Moss "_s
       u"Finance Manager/Paul King Finance Team-leader/Nora Bell HelpDesk "_s
       u"Manager/Ivan Cole HelpDesk Team-leader/Eva Stone Marketing Manager/"_s
       u"Mark Hill Marketing Team-leader/Rita Lane Sales Manager/Sam Ford Sales "_s
       u"Team-leader"_s.split(u'/')) {
    const QStringList f = p.split(u' ');
    persons << QStringList{f[0], f[1], u"x"_s, f[2], f[3], u"1"_s}.join(u',');
  }
  const char* const boxes[] = {
      "chk_CreateDep", "chk_CreateDuty",        "chk_CreateUsers",
      "chk_CreateOUs", "chk_UsersOnSpecificOU", "chk_PubDirSingle",
      "chk_PubDirDep", "chk_PrivDir",           "opt_PrivateDirsLocation_1"};
  for (int bits = 0; bits < 49; ++bits) {
    SCOPED_TRACE(bits);
    reopenSandbox();
    if (bits != 32) click("chk_CreateFullTree");
    for (int i = 0; i < 9 && bits != 32; ++i) {
      child<QAbstractButton>(boxes[i])->setChecked(
          i < 5 ? bits < 32 && ((bits >> i) & 1) : bits > 32 && (((bits - 33) >> (i - 5)) & 1));
    }
    const RunOptions o = m_window->options();
    // An OU picture lists both group kinds, the group pictures each kind.
    const int ous = o.chk_CreateDep == o.chk_CreateDuty ? previewForOUs(o).value_or(-1) : -1;
    const int groups = previewForGroups(o).value_or(-1);
    const int folders = previewForFolders(o).value_or(-1);
    const bool accountsHaveNoPlace =
        o.chk_CreateUsers && !o.chk_CreateOUs && !o.chk_UsersOnSpecificOU && !o.chk_CreateFullTree;
    if ((ous < 0 && groups < 0 && folders < 0) || accountsHaveNoPlace) continue;

    // Two empty containers of a fresh sandbox take what the options leave to the user.
    const QString people = u"OU=Domain Controllers,DC=example,DC=test"_s;
    const QString teams = u"CN=Computers,DC=example,DC=test"_s;
    for (const char* box : {"txt_DepartmentOU", "txt_UsersOU", "txt_GroupsOU"})
      child<QLineEdit>(box)->setText(u"LDAP://example.test/"_s + (box[4] == 'G' ? teams : people));
    prepareRun(persons, u"\\\\files\\data\\new"_s);
    m_prompter.answers = {MsgAnswer::Yes};  // create the missing folder root
    click("cmd_GO");
    ASSERT_EQ(m_prompter.messages.back().icon, MsgIcon::Information) << m_prompter.messageTexts();

    QStringList made;  // the full tree's OUs, or those the test chose
    if (o.chk_CreateFullTree) made << u"OU's"_s;
    built(u"OU=OU's,DC=example,DC=test"_s, u"OU's"_s, false, made);
    built(people, u"People"_s, false, made);
    built(teams, u"Teams"_s, false, made);
    QStringList groupTrees;
    built(o.chk_CreateFullTree ? u"OU=Groups,OU=OU's,DC=example,DC=test"_s : teams, {}, true,
          groupTrees);
    QStringList disk;
    const QString host = m_sandbox->files().hostPathFor(u"\\\\files\\data\\new"_s);
    QDirIterator it(host, QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) disk << QDir(host).relativeFilePath(it.next()).replace(u'/', u'\\');
    for (const auto& [picture, what] :
         {std::pair{ous, made}, {groups, groupTrees}, {folders, disk}}) {
      QStringList shown = picture < 16 ? QStringList() : previewFolderPaths(picture);
      if (picture < 16) pictured(previewTree(picture), QString(), shown);
      if (picture >= 0) expectShows(picture, shown, what);
    }
  }
  EXPECT_EQ(m_seen.size(), kPreviewPictureCount);
}

TEST(PreviewPicture, EveryPictureKeepsItsLinesInsideItsBorder) {
  // Measured, then sized: the strip inside the border stays white on every side.
  for (int n = 0; n < FrmPic::kPictureCount; ++n) {
    PreviewPicture pic(previewTree(n), nullptr);
    const QImage image = pic.grab().toImage();
    const int w = image.width(), h = image.height();
    int inked = 0;
    for (int x = 1; x < w - 1; ++x) {
      for (int y = 1; y < h - 1; ++y) {
        if ((x < w - 5 && y < h - 3) || image.pixel(x, y) == qRgb(255, 255, 255)) continue;
        ++inked;
      }
    }
    EXPECT_EQ(inked, 0) << n;
  }
}

TEST_F(WindowTest, PreviewPictureShowsBesideTheWindowWhileAButtonIsHeld) {
  m_window->show();
  const RunOptions o = m_window->options();
  for (const auto& [button, number] : {std::pair{"cmd_PreviewFS", previewForFolders(o)},
                                       {"cmd_PreviewOU", previewForOUs(o)},
                                       {"cmd_PreviewGrp", previewForGroups(o)}}) {
    m_window->move(m_window->pos() + QPoint(30, 20));  // the picture follows a moved window
    sendMouse(child(button), QEvent::MouseButtonPress, {3, 3}, Qt::RightButton);  // any button
    FrmPic* pic = m_window->previewWindow();
    ASSERT_TRUE(pic && pic->isVisible() && number) << button;
    EXPECT_EQ(pic->frontPicture(), *number) << button;
    EXPECT_EQ(pic->children().last(), pic->picture(*number)) << button;  // on top
    EXPECT_EQ(pic->frameGeometry().bottomLeft(),
              m_window->frameGeometry().bottomRight() + QPoint(1, 0));
    sendMouse(child(button), QEvent::MouseButtonRelease, {3, 3}, Qt::RightButton);
    EXPECT_FALSE(pic->isVisible()) << button;
  }
  for (const char* name : {"chk_PubDirSingle", "chk_PubDirDep", "chk_PrivDir"}) click(name);
  sendMouse(child("cmd_PreviewFS"), QEvent::MouseButtonPress);  // no picture fits
  EXPECT_FALSE(m_window->previewWindow()->isVisible());
}

}  // namespace
}  // namespace quill::test
