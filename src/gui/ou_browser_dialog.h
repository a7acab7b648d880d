#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <vector>

#include "app/app_state.h"
#include "gui/ou_browser_icons.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QToolButton;

namespace quill {

class DirectoryService;
class Prompter;
struct AppState;
class PendingError;

// One container the browser lists: the name shown and the escaped DN it is
// entered by.
struct ContainerEntry {
  QString displayName;
  QString distinguishedName;
};

// frm_Browse4OU: walks the domain's organizational units and containers,
// creates organizational units on the way and hands the chosen container's
// full "LDAP://" path back to one of the main window's OU boxes. Modeless;
// the main window's opener creates it on first use and keeps it.
class FrmBrowse4OU : public QDialog {
  Q_OBJECT

 public:
  // Receives the accepted path for a browse target (1 groups OU, 2
  // department OU, 3 users OU).
  using Deliver = std::function<void(OuBox target, const QString& path)>;

  // directory, state and prompter must outlive the dialog. The domain and
  // the target are read from state (DomainFqdn, BrowseTarget) when used.
  FrmBrowse4OU(DirectoryService& directory, AppState& state, Prompter& prompter, Deliver deliver,
               QWidget* parent);

  // Shows the dialog at the domain root of state.DomainFqdn. The caller has
  // already checked that the domain is reachable and stored the target.
  void showAtDomainRoot();

  // Lists the children of a container: the path is sDN when bFullPath, else
  // "LDAP://" + domain + "/" + sDN when bSubContainer, else "LDAP://" + sDN.
  // On success that path becomes the current one. When the container cannot
  // be bound or listed the dialog keeps its current path and entries and
  // says so in lbl_Message; returns false then.
  bool BrowseOU(const QString& sDN, bool bSubContainer, bool bFullPath);
  // Refills lst_Browse and txt_CurCont from the current path and entries.
  void ShowContainers();

  // Enters the selected entry, or goes up one level for position 1.
  void lst_Browse_DblClick();
  // Creates an organizational unit, named by the user, in the current container.
  void Command1_Click();
  // Accepts: enters a selected container, hands the current path to the
  // target box and hides the dialog.
  void Command2_Click();

  const QString& currentPath() const { return m_currentPath; }
  const std::vector<ContainerEntry>& entries() const { return m_entries; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QString domain() const;
  QString rootPath() const;
  // 1-based list position of the selected item; 0 when nothing is selected.
  int selectedPosition() const;
  // Goes up (position 1) or into the entry at list position; false when the
  // container could not be bound or listed (the dialog stays where it was).
  bool enterPosition(int position);
  void showFailure(const QString& path, const PendingError& err);

  DirectoryService& m_directory;
  AppState& m_state;
  Prompter& m_prompter;
  Deliver m_deliver;

  QString m_currentPath;
  std::vector<ContainerEntry> m_entries;
  ImageList m_imageList1;

  QLineEdit* m_txtCurCont = nullptr;
  QToolButton* m_command1 = nullptr;
  QToolButton* m_command2 = nullptr;
  QListWidget* m_lstBrowse = nullptr;
  QLabel* m_lblMessage = nullptr;
};

// Prepares a list for the browser's entries: no items, the images of
// icons (smallIcons, when given, are the ones shown in the list), one
// column, no header.
void InitCMB(QListWidget* list, const ImageList& icons, const ImageList* smallIcons = nullptr);

}  // namespace quill
