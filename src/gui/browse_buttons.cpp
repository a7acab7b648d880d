// The browse buttons of the main window and the openers of the dialogs that
// other pieces of the program provide.
#include <QFileInfo>
#include <QLineEdit>

#include "core/path_exists.h"
#include "gui/main_window.h"
#include "gui/prompter.h"

namespace quill {

namespace {

const char* const kChooserTitle = "Choose a file";

}  // namespace

// Cancelling the chooser empties the box, as the chooser gives the empty text.
void MainWindow::cmd_Browse4CSV_Click() {
  // The chooser opens beside the current list, where the next one most
  // likely is.
  const QFileInfo current(m_ui.txt_CSVFile->text());
  const QString folder = current.isDir() ? current.absoluteFilePath() : current.absolutePath();
  m_ui.txt_CSVFile->setText(
      m_prompter.browseForFile(this, QString::fromLatin1(kChooserTitle), folder));
}

void MainWindow::cmd_Browse4FullFS_Click() {
  m_ui.txt_DirRoot->setText(m_prompter.browseForFolder(this, QString::fromLatin1(kChooserTitle)));
}

void MainWindow::BrowseForOU(OuBox target) {
  const QString domain = m_ui.txt_Domain->text();
  if (!PathExists(QStringLiteral("\\\\") + domain + QStringLiteral("\\sysvol"),
                  *m_platform.files)) {
    ask(QStringLiteral("Unable to find \\\\") + domain +
            QStringLiteral("\\sysvol.\nPlease verify the the domain name can be resolved and "
                           "that you have proper permissions"),
        MsgButtons::Ok, MsgIcon::Critical);
    return;
  }
  m_state.BrowseTarget = target;
  m_state.DomainFqdn = domain;
  if (m_openOuBrowser) m_frmBrowse4OU = m_openOuBrowser(target);
}

void MainWindow::cmd_userNamePat_Click() {
  if (m_openUserNameDialog) m_frmUserName = m_openUserNameDialog();
}

}  // namespace quill
