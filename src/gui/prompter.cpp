#include "gui/prompter.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QProcess>
#include <QStandardPaths>

#include "gui/connect_as_dialog.h"

namespace quill {

namespace {

// A run shows the busy pointer over the whole program; a question in the
// middle of a run gets the normal one while it is open.
class NormalPointer {
 public:
  NormalPointer() { QApplication::setOverrideCursor(Qt::ArrowCursor); }
  ~NormalPointer() { QApplication::restoreOverrideCursor(); }
  NormalPointer(const NormalPointer&) = delete;
  NormalPointer& operator=(const NormalPointer&) = delete;
};

QMessageBox::Icon boxIcon(MsgIcon icon) {
  switch (icon) {
    case MsgIcon::Information:
      return QMessageBox::Information;
    case MsgIcon::Critical:
      return QMessageBox::Critical;
    case MsgIcon::None:
      break;
  }
  return QMessageBox::NoIcon;
}

}  // namespace

MsgAnswer DesktopPrompter::ask(QWidget* parent, const QString& text, MsgButtons buttons,
                               MsgIcon icon) {
  NormalPointer pointer;
  QString shown = text;
  shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  const bool yesNo = buttons == MsgButtons::YesNo;
  QMessageBox box(boxIcon(icon), QStringLiteral("Quillstead"), shown,
                  yesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, parent);
  box.setTextFormat(Qt::PlainText);
  const int answer = box.exec();
  if (!yesNo) return MsgAnswer::Ok;
  return answer == QMessageBox::Yes ? MsgAnswer::Yes : MsgAnswer::No;
}

// What a chooser gives back: the first path chosen, as the system writes it,
// cut at a NUL; empty when cancelled.
static QString chosenPath(QFileDialog& dialog) {
  if (dialog.exec() != QDialog::Accepted) return QString();
  QString path = dialog.selectedFiles().value(0);
  const qsizetype nul = path.indexOf(QChar(0));
  if (nul >= 0) path.truncate(nul);
  return QDir::toNativeSeparators(path);
}

QString DesktopPrompter::browseForFolder(QWidget* parent, const QString& title) {
  NormalPointer pointer;
  QString start = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
  if (!QFileInfo(start).isDir()) start = QDir::homePath();
  QFileDialog dialog(parent, title, start);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOption(QFileDialog::ShowDirsOnly);
  return chosenPath(dialog);
}

QString DesktopPrompter::browseForFile(QWidget* parent, const QString& title,
                                       const QString& folder) {
  NormalPointer pointer;
  QFileDialog dialog(parent, title, QFileInfo(folder).isDir() ? folder : QDir::homePath());
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setNameFilters(
      {QStringLiteral("CSV and text files (*.csv *.txt)"), QStringLiteral("All files (*)")});
  return chosenPath(dialog);
}

QString DesktopPrompter::saveFileName(QWidget* parent, const QString& title,
                                      const QString& suggested) {
  NormalPointer pointer;
  QFileDialog dialog(parent, title);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setNameFilters({QStringLiteral("Text files (*.txt)"), QStringLiteral("All files (*)")});
  dialog.selectFile(suggested);
  return chosenPath(dialog);
}

QString DesktopPrompter::inputBox(QWidget* parent, const QString& prompt) {
  NormalPointer pointer;
  bool accepted = false;
  const QString text = QInputDialog::getText(parent, QStringLiteral("Quillstead"), prompt,
                                             QLineEdit::Normal, QString(), &accepted);
  return accepted ? text : QString();
}

void DesktopPrompter::openLog(const QString& path) {
  // No shell: the path is one argument, whatever it holds.
  QProcess::startDetached(QStringLiteral("xdg-open"), {path});
}

std::optional<ConnectAsCredentials> DesktopPrompter::connectAs(
    QWidget* parent, const ConnectAsCredentials& previous) {
  NormalPointer pointer;
  return runConnectAsDialog(parent, previous);
}

}  // namespace quill
