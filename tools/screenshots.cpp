// Saves pictures of the main window and its dialogs into the folder named on
// the command line, for people to look at: at start-up, after the start-up
// timer, with "Create Full Tree" off, during and after a run on a fresh
// sandbox, each kind of preview, every preview picture on one sheet, the
// about box, the OU browser, the pattern dialog, a dry run's report and the
// runs window. With --screen NAME it instead makes the run a person makes on
// that screen, with the mouse and the keyboard, and saves the whole screen
// at each step (NAME-typed, NAME-chooser, NAME-done); it fails when the run
// does not end as it should. scripts/screenshot runs it under a virtual X
// server.
#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QTreeWidget>
#include <cstdio>
#include <functional>

#include <QTest>
#include "gui/about_box.h"
#include "gui/dry_run_window.h"
#include "gui/ou_browser_dialog.h"
#include "gui/preview_pictures.h"
#include "gui/preview_window.h"
#include "gui/runs_window.h"
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

// Two persons of one name besides the numbered ones: the second falls back
// to another login name.
void prepareWithFallBack(ToolWindow& t) {
  t.prepareRun(40, 4, 3);
  QFile list(t.child<QLineEdit>("txt_CSVFile")->text());
  if (list.open(QIODevice::Append)) {
    list.write(
        "John,Smith,Clerk,Department0,Duty0,555-0101\r\n"
        "Jane,Smith,Clerk,Department0,Duty0,555-0102\r\n");
  }
}

void dryRun(ToolWindow& t) {
  prepareWithFallBack(t);
  t.window().Timer1_Timer();
  t.child<QPushButton>("cmd_DryRun")->click();
  settle();
  save(t.window().grab(), "main-after-dry-run");
  DryRunWindow* report = t.window().dryRunWindow();
  if (!report) {
    std::fprintf(stderr, "the dry run showed no report\n");
    ++g_failures;
    return;
  }
  save(report->grab(), "dry-run-report");
}

void runs(ToolWindow& t) {
  prepareWithFallBack(t);
  t.window().Timer1_Timer();
  t.child<QPushButton>("cmd_GO")->click();
  t.child<QPushButton>("cmd_Runs")->click();
  RunsWindow* window = t.window().runsWindow();
  // Undo… shows what the undo would do; the quiet prompter answers No.
  window->findChild<QPushButton*>(QStringLiteral("cmd_Undo"))->click();
  settle();
  save(window->grab(), "runs-window");
}

void saveScreen(const QString& name) {
  save(QGuiApplication::primaryScreen()->grabWindow(0), name.toLocal8Bit().constData());
}

// The run of a person on this screen: a click into the folder root's box and
// the root typed, the list picked in its chooser, "Go !". The choosers and
// message boxes are answered (Yes, OK) as they open.
int personsRun(const QString& name) {
  DesktopPrompter prompter;
  ToolWindow t(&prompter);
  if (!t.ok()) return 1;
  t.window().show();  // fitted to the screen as it first shows
  activate(&t.window());
  settle(300);
  t.window().Timer1_Timer();
  QTest::mouseClick(t.child("txt_DirRoot"), Qt::LeftButton, {}, {5, 5});
  QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("\\\\files\\data"));
  settle();
  saveScreen(name + QStringLiteral("-typed"));
  QString message;
  int chosen = 0;
  QTimer answer;
  answer.setInterval(100);
  QObject::connect(&answer, &QTimer::timeout, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* chooser = qobject_cast<QFileDialog*>(modal)) {
      if (chosen++ > 0) return chooser->reject();  // the pick was refused: give up
      saveScreen(name + QStringLiteral("-chooser"));
      // The path typed into the chooser's name box, as a person may.
      if (auto* typed = chooser->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
        typed->setText(t.sampleList());
      }
      static_cast<QDialog*>(chooser)->accept();
    } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      message = box->text();
      if (QAbstractButton* yes = box->button(QMessageBox::Yes)) return yes->click();
      saveScreen(name + QStringLiteral("-done"));
      box->accept();
    }
  });
  answer.start();
  QTest::mouseClick(t.child("cmd_Browse4CSV"), Qt::LeftButton, {}, {5, 5});
  QTest::mouseClick(t.child("cmd_GO"), Qt::LeftButton, {}, {5, 5});
  answer.stop();
  const QString status = t.child<QLabel>("lbl_Stat")->text();
  std::printf("root: %s\nlist: %s\nmessage: %s\nstatus: %s\n",
              t.child<QLineEdit>("txt_DirRoot")->text().toLocal8Bit().constData(),
              t.child<QLineEdit>("txt_CSVFile")->text().toLocal8Bit().constData(),
              message.toLocal8Bit().constData(), status.toLocal8Bit().constData());
  const bool fine = message == QStringLiteral("Processed 42 users succesfully.") &&
                    status == QStringLiteral("42 users processed  Succesfully.");
  if (!fine) std::fprintf(stderr, "the run did not end as it should\n");
  return fine && g_failures == 0 ? 0 : 1;
}

}  // namespace
}  // namespace quill::tools

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  const bool screen = argc == 4 && QByteArray(argv[2]) == "--screen";
  if (argc != 2 && !screen) {
    std::fprintf(stderr, "usage: quillstead-screenshots FOLDER [--screen NAME]\n");
    return 2;
  }
  quill::tools::g_out = QString::fromLocal8Bit(argv[1]);
  if (screen) return quill::tools::personsRun(QString::fromLocal8Bit(argv[3]));
  using Scene = void (*)(quill::tools::ToolWindow&);
  for (Scene scene :
       {Scene(quill::tools::mainWindow), Scene(quill::tools::run), Scene(quill::tools::previews),
        Scene(quill::tools::aboutBox), Scene(quill::tools::dialogs), Scene(quill::tools::dryRun),
        Scene(quill::tools::runs)}) {
    quill::tools::ToolWindow tool;  // each scene on a fresh sandbox and window
    if (!tool.ok()) return 1;
    tool.window().show();
    tool.window().move(20, 20);
    quill::tools::settle();
    scene(tool);
  }
  return quill::tools::g_failures == 0 ? 0 : 1;
}
