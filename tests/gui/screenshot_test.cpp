// Pictures of the window for people to look at, written by scripts/screenshot
// (QUILLSTEAD_SCREENSHOT_DIR names the folder); skipped otherwise.
#include <QCheckBox>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTimer>

#include "gui/about_box.h"
#include "gui/ou_browser_dialog.h"
#include "gui/preview_pictures.h"
#include "gui/preview_window.h"
#include "gui/user_name_dialog.h"
#include "support/gui_support.h"

namespace quill::test {
namespace {

class Screenshots : public WindowTest {
 protected:
  void SetUp() override {
    m_out = qEnvironmentVariable("QUILLSTEAD_SCREENSHOT_DIR");
    if (m_out.isEmpty()) GTEST_SKIP() << "set QUILLSTEAD_SCREENSHOT_DIR to take pictures";
    WindowTest::SetUp();
    m_window->show();
    m_window->move(20, 20);
    settle();
  }

  static void settle() {
    processUntil([] { return false; }, 150);
  }

  void save(const QPixmap& picture, const char* name) {
    const QString path = m_out + u'/' + QString::fromLatin1(name) + QStringLiteral(".png");
    ASSERT_TRUE(picture.save(path)) << path.toStdString();
    std::printf("saved %s\n", path.toUtf8().constData());
  }

  // The main window with the preview window beside it, as on the screen.
  QPixmap withPreview() {
    FrmPic* pic = m_window->previewWindow();
    const QPixmap main = m_window->grab();
    const QPixmap side = pic->grab();
    const QPoint offset = pic->geometry().topLeft() - m_window->geometry().topLeft();
    QPixmap both(main.width() + side.width(), std::max(main.height(), offset.y() + side.height()));
    both.fill(Qt::darkGray);
    QPainter p(&both);
    p.drawPixmap(0, 0, main);
    p.drawPixmap(offset.x(), offset.y(), side);
    return both;
  }

  QString m_out;
};

TEST_F(Screenshots, MainWindow) {
  save(m_window->grab(), "main-startup");
  m_window->Timer1_Timer();
  settle();
  save(m_window->grab(), "main-ready");
  child<QCheckBox>("chk_CreateFullTree")->click();
  settle();
  save(m_window->grab(), "main-full-tree-off");
}

TEST_F(Screenshots, Run) {
  QStringList persons;
  for (int i = 0; i < 400; ++i) {
    persons << QStringLiteral("First%1,Last%1,Person %1,Department%2,Duty%3,555-%1")
                   .arg(i)
                   .arg(i % 4)
                   .arg(i % 3);
  }
  prepareRun(writeUserList(QStringLiteral("people.csv"), persons),
             QStringLiteral("\\\\files\\data"));
  m_window->Timer1_Timer();
  bool taken = false;
  QTimer during;
  during.setInterval(0);
  QObject::connect(&during, &QTimer::timeout, [&] {
    if (taken || !child<QLabel>("lbl_Stat")->text().startsWith(QStringLiteral("150 "))) return;
    taken = true;
    save(m_window->grab(), "main-during-run");
  });
  during.start();
  child<QPushButton>("cmd_GO")->click();
  during.stop();
  EXPECT_TRUE(taken);
  settle();
  save(m_window->grab(), "main-after-run");
}

TEST_F(Screenshots, Previews) {
  m_window->Timer1_Timer();
  const struct {
    const char* button;
    const char* name;
  } shots[] = {{"cmd_PreviewOU", "preview-ous"},
               {"cmd_PreviewGrp", "preview-groups"},
               {"cmd_PreviewFS", "preview-folders"}};
  for (const auto& shot : shots) {
    sendMouse(child<QPushButton>(shot.button), QEvent::MouseButtonPress);
    settle();
    save(withPreview(), shot.name);
    sendMouse(child<QPushButton>(shot.button), QEvent::MouseButtonRelease);
  }

  // Every picture on one sheet, three rows of nine.
  FrmPic* pic = m_window->previewWindow();
  ASSERT_NE(pic, nullptr);
  const int w = PreviewPicture::kWidth + 8;
  const int h = PreviewPicture::kHeight + 24;
  QPixmap sheet(9 * w, 3 * h);
  sheet.fill(Qt::lightGray);
  QPainter p(&sheet);
  for (int n = 0; n < FrmPic::kPictureCount; ++n) {
    const QPoint at((n % 9) * w + 4, (n / 9) * h + 20);
    p.drawText(at + QPoint(0, -6), QStringLiteral("pic %1").arg(n));
    p.drawPixmap(at, pic->picture(n)->grab());
  }
  p.end();
  save(sheet, "preview-all-pictures");
}

TEST_F(Screenshots, AboutBox) {
  typeKeys(child<QWidget>("txt_help"), QStringLiteral("Who?"));
  ASSERT_NE(m_window->aboutBox(), nullptr);
  settle();
  save(m_window->aboutBox()->grab(), "about-box");
}

TEST_F(Screenshots, Dialogs) {
  m_window->Timer1_Timer();
  child<QCheckBox>("chk_CreateFullTree")->click();
  child<QPushButton>("cmd_GroupsOUBrowse")->click();
  auto* browser = qobject_cast<FrmBrowse4OU*>(m_window->ouBrowser());
  ASSERT_NE(browser, nullptr);
  m_prompter.scriptInputs({QStringLiteral("Sales, Europe"), QStringLiteral("Staff")});
  browser->Command1_Click();
  browser->BrowseOU(QStringLiteral("OU=Sales\\, Europe,DC=example,DC=test"), true, false);
  browser->Command1_Click();
  settle();
  save(browser->grab(), "ou-browser");
  browser->BrowseOU(QStringLiteral("DC=example,DC=test"), true, false);
  browser->BrowseOU(QStringLiteral("LDAP://example.test/DC=test"), false, true);
  settle();
  save(browser->grab(), "ou-browser-failed-bind");
  browser->hide();

  child<QPushButton>("cmd_userNamePat")->click();
  QWidget* patterns = m_window->userNameDialog();
  ASSERT_NE(patterns, nullptr);
  settle();
  save(patterns->grab(), "user-name-pattern");
  patterns->findChild<QPushButton*>(QStringLiteral("cmd_Switch"))->click();
  settle();
  save(patterns->grab(), "user-name-pattern-switched");
}

}  // namespace
}  // namespace quill::test
