// Saves pictures of the main window and its dialogs into the folder named on
// the command line, for people to look at: at start-up, after the start-up
// timer, with "Create Full Tree" off, during and after a run on a fresh
// sandbox, each kind of preview, every preview picture on one sheet, the
// about box, the OU browser and the pattern dialog. scripts/screenshot runs it
// under a virtual X server.
#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <cstdio>
#include <functional>

#include "gui/about_box.h"
#include "gui/ou_browser_dialog.h"
#include "gui/preview_pictures.h"
#include "gui/preview_window.h"
#include "tool_window.h"

namespace quill::tools {
namespace {

QString g_out;
int g_failures = 0;

void save(const QPixmap& picture, const char* name) {
  const QString path = g_out + u'/' + QString::fromLatin1(name) + QStringLiteral(".png");
  if (!picture.save(path)) {
    std::fprintf(stderr, "could not save %s\n", path.toLocal8Bit().constData());
    ++g_failures;
    return;
  }
  std::printf("saved %s\n", path.toLocal8Bit().constData());
}

void sendMouse(QWidget* widget, QEvent::Type type) {
  const QPointF at(3, 3);
  const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
  QMouseEvent event(type, at, widget->mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
  QCoreApplication::sendEvent(widget, &event);
}

void typeKeys(QWidget* widget, const QString& keys) {
  for (QChar ch : keys) {
    const Qt::KeyboardModifiers shift =
        ch.isUpper() || ch == u'?' ? Qt::ShiftModifier : Qt::NoModifier;
    for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
      QKeyEvent event(type, ch.toUpper().unicode(), shift, QString(ch));
      QCoreApplication::sendEvent(widget, &event);
    }
  }
}

// The main window with the preview window beside it, as on the screen.
QPixmap withPreview(MainWindow& window) {
  FrmPic* pic = window.previewWindow();
  const QPixmap main = window.grab();
  const QPixmap side = pic->grab();
  const QPoint offset = pic->geometry().topLeft() - window.geometry().topLeft();
  QPixmap both(main.width() + side.width(), std::max(main.height(), offset.y() + side.height()));
  both.fill(Qt::darkGray);
  QPainter p(&both);
  p.drawPixmap(0, 0, main);
  p.drawPixmap(offset.x(), offset.y(), side);
  return both;
}

void mainWindow(ToolWindow& t) {
  save(t.window().grab(), "main-startup");
  t.window().Timer1_Timer();
  settle();
  save(t.window().grab(), "main-ready");
  t.child<QCheckBox>("chk_CreateFullTree")->click();
  settle();
  save(t.window().grab(), "main-full-tree-off");
}

void run(ToolWindow& t) {
  t.prepareRun(400, 4, 3);
  t.window().Timer1_Timer();
  bool taken = false;
  QTimer during;
  during.setInterval(0);
  QObject::connect(&during, &QTimer::timeout, [&] {
    if (taken || !t.child<QLabel>("lbl_Stat")->text().startsWith(QStringLiteral("150 "))) return;
    taken = true;
    save(t.window().grab(), "main-during-run");
  });
  during.start();
  t.child<QPushButton>("cmd_GO")->click();
  during.stop();
  if (!taken) {
    std::fprintf(stderr, "the run ended before the picture during it was taken\n");
    ++g_failures;
  }
  settle();
  save(t.window().grab(), "main-after-run");
}

void previews(ToolWindow& t) {
  t.window().Timer1_Timer();
  const std::pair<const char*, const char*> shots[] = {{"cmd_PreviewOU", "preview-ous"},
                                                       {"cmd_PreviewGrp", "preview-groups"},
                                                       {"cmd_PreviewFS", "preview-folders"}};
  for (const auto& [button, name] : shots) {
    sendMouse(t.child(button), QEvent::MouseButtonPress);
    settle();
    save(withPreview(t.window()), name);
    sendMouse(t.child(button), QEvent::MouseButtonRelease);
  }

  // Every picture on one sheet, three rows of nine.
  FrmPic* pic = t.window().previewWindow();
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

void aboutBox(ToolWindow& t) {
  typeKeys(t.child("txt_help"), QStringLiteral("Who?"));
  settle();
  save(t.window().aboutBox()->grab(), "about-box");
}

void dialogs(ToolWindow& t) {
  t.window().Timer1_Timer();
  t.child<QCheckBox>("chk_CreateFullTree")->click();
  t.child<QPushButton>("cmd_GroupsOUBrowse")->click();
  auto* browser = qobject_cast<FrmBrowse4OU*>(t.window().ouBrowser());
  t.prompter().inputs = {QStringLiteral("Sales, Europe"), QStringLiteral("Staff")};
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

  t.child<QPushButton>("cmd_userNamePat")->click();
  QWidget* patterns = t.window().userNameDialog();
  settle();
  save(patterns->grab(), "user-name-pattern");
  patterns->findChild<QPushButton*>(QStringLiteral("cmd_Switch"))->click();
  settle();
  save(patterns->grab(), "user-name-pattern-switched");
}

}  // namespace
}  // namespace quill::tools

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  if (argc != 2) {
    std::fprintf(stderr, "usage: quillstead-screenshots FOLDER\n");
    return 2;
  }
  quill::tools::g_out = QString::fromLocal8Bit(argv[1]);
  using Scene = void (*)(quill::tools::ToolWindow&);
  for (Scene scene :
       {Scene(quill::tools::mainWindow), Scene(quill::tools::run), Scene(quill::tools::previews),
        Scene(quill::tools::aboutBox), Scene(quill::tools::dialogs)}) {
    quill::tools::ToolWindow tool;  // each scene on a fresh sandbox and window
    if (!tool.ok()) return 1;
    tool.window().show();
    tool.window().move(20, 20);
    quill::tools::settle();
    scene(tool);
  }
  return quill::tools::g_failures == 0 ? 0 : 1;
}
