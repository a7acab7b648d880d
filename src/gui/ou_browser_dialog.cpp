#include "gui/ou_browser_dialog.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/app_state.h"
#include "core/directory_service.h"
#include "core/dn.h"
#include "gui/prompter.h"

namespace quill {

namespace {

const QString kUpOneLevel = QStringLiteral("Up one level");
constexpr int kIconPixels = 16;

// The name a child is listed by: its relative name without the "OU=" or
// "CN=" prefix, unescaped, so "OU=a\,b" shows as a,b. Relative names of any
// other shape fall back to dropping the first three characters.
QString displayNameOf(const ChildObject& child) {
  const std::optional<std::vector<Rdn>> rdns = parseDn(child.name);
  if (rdns && rdns->size() == 1 && rdns->front().size() == 1) {
    const RdnPart& part = rdns->front().front();
    if (part.type.size() == 2) return part.value;
  }
  return child.name.mid(3);
}

bool isListedClass(const QString& objectClass) {
  return objectClass.compare(u"container", Qt::CaseInsensitive) == 0 ||
         objectClass.compare(u"organizationalUnit", Qt::CaseInsensitive) == 0;
}

bool canHoldNewOu(const QString& objectClass) {
  return objectClass.compare(u"organizationalUnit", Qt::CaseInsensitive) == 0 ||
         objectClass.compare(u"domainDNS", Qt::CaseInsensitive) == 0;
}

QToolButton* pictureButton(QWidget* parent, const char* name, const QIcon& icon,
                           const QString& tip) {
  auto* button = new QToolButton(parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setIcon(icon);
  button->setIconSize(QSize(20, 20));
  button->setFixedSize(28, 28);
  button->setToolTip(tip);
  button->setAccessibleName(tip);
  return button;
}

}  // namespace

void InitCMB(QListWidget* list, const ImageList& icons, const ImageList* smallIcons) {
  list->clear();
  list->setViewMode(QListView::ListMode);
  list->setFlow(QListView::TopToBottom);
  list->setWrapping(false);
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  list->setUniformItemSizes(true);
  const ImageList& shown = smallIcons != nullptr ? *smallIcons : icons;
  if (!shown.empty()) list->setIconSize(QSize(kIconPixels, kIconPixels));
}

FrmBrowse4OU::FrmBrowse4OU(DirectoryService& directory, AppState& state, Prompter& prompter,
                           Deliver deliver, QWidget* parent)
    : QDialog(parent),
      m_directory(directory),
      m_state(state),
      m_prompter(prompter),
      m_deliver(std::move(deliver)),
      m_imageList1(makeBrowseImageList()) {
  setObjectName(QStringLiteral("frm_Browse4OU"));
  setWindowTitle(QStringLiteral("Browse OU"));
  setModal(false);

  m_txtCurCont = new QLineEdit(this);
  m_txtCurCont->setObjectName(QStringLiteral("txt_CurCont"));
  m_txtCurCont->setReadOnly(true);
  m_command1 =
      pictureButton(this, "Command1", drawNewOuIcon(), QStringLiteral("New organizational unit"));
  m_command2 = pictureButton(this, "Command2", drawAcceptIcon(), QStringLiteral("OK"));
  m_lstBrowse = new QListWidget(this);
  m_lstBrowse->setObjectName(QStringLiteral("lst_Browse"));
  m_lblMessage = new QLabel(this);
  m_lblMessage->setObjectName(QStringLiteral("lbl_Message"));
  m_lblMessage->setTextFormat(Qt::PlainText);
  m_lblMessage->setWordWrap(true);
  m_lblMessage->setStyleSheet(QStringLiteral("color: #a00000"));
  m_lblMessage->hide();
  InitCMB(m_lstBrowse, m_imageList1, &m_imageList1);

  auto* top = new QHBoxLayout;
  top->addWidget(m_txtCurCont, 1);
  top->addWidget(m_command1);
  top->addWidget(m_command2);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(m_lstBrowse, 1);
  layout->addWidget(m_lblMessage);
  resize(380, 320);

  connect(m_command1, &QToolButton::clicked, this, &FrmBrowse4OU::Command1_Click);
  connect(m_command2, &QToolButton::clicked, this, &FrmBrowse4OU::Command2_Click);
  connect(m_lstBrowse, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
    m_lstBrowse->setCurrentItem(item);
    lst_Browse_DblClick();
  });
  m_lstBrowse->installEventFilter(this);
}

bool FrmBrowse4OU::eventFilter(QObject* watched, QEvent* event) {
  // Enter on the list opens the selected container, as a double click does.
  if (watched == m_lstBrowse && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      lst_Browse_DblClick();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

QString FrmBrowse4OU::domain() const { return m_state.DomainFqdn; }

QString FrmBrowse4OU::rootPath() const { return QStringLiteral("LDAP://") + domain(); }

void FrmBrowse4OU::showAtDomainRoot() {
  // The root as first opened, with nothing listed yet: should the root fail
  // to bind, the dialog still shows the path it stands on.
  m_currentPath = rootPath();
  m_entries.clear();
  ShowContainers();
  show();
  raise();
  activateWindow();
  BrowseOU(domain(), false, false);
}

bool FrmBrowse4OU::BrowseOU(const QString& sDN, bool bSubContainer, bool bFullPath) {
  QString path;
  if (bFullPath) {
    path = sDN;
  } else if (bSubContainer) {
    path = rootPath() + u'/' + sDN;
  } else {
    path = QStringLiteral("LDAP://") + sDN;
  }
  PendingError err;
  std::vector<ChildObject> children;
  if (const std::unique_ptr<DirObject> container = m_directory.Bind(path, err)) {
    children = m_directory.Children(*container, err);
  }
  if (err.isSet()) {
    showFailure(path, err);
    return false;
  }
  m_currentPath = path;
  m_entries.clear();
  for (const ChildObject& child : children) {
    if (isListedClass(child.objectClass)) m_entries.push_back({displayNameOf(child), child.dn});
  }
  m_lblMessage->clear();
  m_lblMessage->hide();
  ShowContainers();
  return true;
}

void FrmBrowse4OU::showFailure(const QString& path, const PendingError& err) {
  QString reason = err.description();
  if (reason.isEmpty()) reason = errorNumberText(err.number());
  m_lblMessage->setText(QStringLiteral("Unable to open ") + path + QStringLiteral(": ") + reason);
  m_lblMessage->show();
}

void FrmBrowse4OU::ShowContainers() {
  m_lstBrowse->clear();
  m_lstBrowse->addItem(new QListWidgetItem(m_imageList1[1], kUpOneLevel));
  for (const ContainerEntry& entry : m_entries) {
    m_lstBrowse->addItem(new QListWidgetItem(m_imageList1[0], entry.displayName));
  }
  const QString prefix = rootPath() + u'/';
  if (m_currentPath == rootPath()) {
    QString dn = domain();
    m_txtCurCont->setText(QStringLiteral("DC=") + dn.replace(u'.', QStringLiteral(",DC=")));
  } else {
    m_txtCurCont->setText(m_currentPath.mid(prefix.size()));
  }
}

int FrmBrowse4OU::selectedPosition() const {
  const QList<QListWidgetItem*> selected = m_lstBrowse->selectedItems();
  if (selected.isEmpty()) return 0;
  return m_lstBrowse->row(selected.front()) + 1;
}

void FrmBrowse4OU::lst_Browse_DblClick() { enterPosition(selectedPosition()); }

bool FrmBrowse4OU::enterPosition(int position) {
  if (position == 0) return true;
  if (position == 1) {
    if (m_currentPath == rootPath()) return true;
    PendingError err;
    const std::unique_ptr<DirObject> current = m_directory.Bind(m_currentPath, err);
    if (!current) {
      showFailure(m_currentPath, err);
      return false;
    }
    return BrowseOU(DirectoryService::Parent(*current), false, true);
  }
  const std::size_t index = static_cast<std::size_t>(position - 2);
  if (index >= m_entries.size()) return true;
  return BrowseOU(m_entries[index].distinguishedName, true, false);
}

void FrmBrowse4OU::Command1_Click() {
  PendingError err;
  const std::unique_ptr<DirObject> container = m_directory.Bind(m_currentPath, err);
  if (!container) {
    showFailure(m_currentPath, err);
    return;
  }
  if (!canHoldNewOu(DirectoryService::Class(*container))) {
    m_prompter.ask(this,
                   QStringLiteral("Current container is not an organizational unit, Please select "
                                  "a different container."),
                   MsgButtons::Ok, MsgIcon::Critical);
    return;
  }
  const QString name =
      m_prompter.inputBox(this, QStringLiteral("Enter a name for the new organizational unit:"));
  if (name.isEmpty()) {
    m_prompter.ask(this, QStringLiteral("Error. You must specify a name"), MsgButtons::Ok,
                   MsgIcon::None);
    return;
  }
  // The name is data: escaped, it can never add a level or another attribute.
  err.clear();
  if (std::unique_ptr<DirObject> ou =
          m_directory.Create(*container, QStringLiteral("organizationalUnit"),
                             QStringLiteral("OU=") + escapeDnValue(name), err)) {
    m_directory.SetInfo(*ou, err);
  }
  if (err.number() == kErrAccessDenied) {
    m_prompter.ask(this, QStringLiteral("Error. Access denied."), MsgButtons::Ok, MsgIcon::None);
    return;
  }
  // Listed again whether it worked or not: an existing name fails silently.
  BrowseOU(m_currentPath, false, true);
}

void FrmBrowse4OU::Command2_Click() {
  // No selection counts as "Up one level": the current path is accepted.
  // A selected container that cannot be entered is not accepted in its
  // place; the dialog stays open with the reason shown.
  const int position = selectedPosition();
  if (position > 1 && !enterPosition(position)) return;
  if (m_deliver) m_deliver(m_state.BrowseTarget, m_currentPath);
  hide();
}

}  // namespace quill
