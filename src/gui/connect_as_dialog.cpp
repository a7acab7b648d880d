#include "gui/connect_as_dialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/secret.h"
#include "gui/prompter.h"

namespace quill {

void maskWithStars(QLineEdit* box) {
  box->setEchoMode(QLineEdit::Password);
  box->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
}

ConnectAsDialog::ConnectAsDialog(const ConnectAsCredentials& previous, QWidget* parent)
    : QDialog(parent) {
  setObjectName(QStringLiteral("frm_ConnectAs"));
  setWindowTitle(QStringLiteral("Connect as"));
  setModal(true);

  m_user = new QLineEdit(previous.user, this);
  m_user->setObjectName(QStringLiteral("txt_User"));
  m_domain = new QLineEdit(previous.domain, this);
  m_domain->setObjectName(QStringLiteral("txt_Domain"));
  m_password = new QLineEdit(this);
  m_password->setObjectName(QStringLiteral("txt_Password"));
  maskWithStars(m_password);
  m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);

  auto* intro =
      new QLabel(QStringLiteral("Connect to the domain and its file servers as this user:"), this);
  intro->setWordWrap(true);
  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("&User name:"), m_user);
  form->addRow(QStringLiteral("&Domain:"), m_domain);
  form->addRow(QStringLiteral("&Password:"), m_password);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(intro);
  layout->addLayout(form);
  layout->addWidget(m_buttons);

  QPushButton* ok = m_buttons->button(QDialogButtonBox::Ok);
  ok->setEnabled(!m_user->text().trimmed().isEmpty());
  connect(m_user, &QLineEdit::textChanged, ok,
          [ok](const QString& text) { ok->setEnabled(!text.trimmed().isEmpty()); });
  connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  // A second attempt only needs the password again.
  if (m_user->text().isEmpty()) {
    m_user->setFocus();
  } else {
    m_password->setFocus();
  }
}

ConnectAsCredentials ConnectAsDialog::takeCredentials() {
  ConnectAsCredentials typed{m_user->text().trimmed(), m_domain->text().trimmed(),
                             unsharedCopy(m_password->text())};
  m_password->clear();
  return typed;
}

std::optional<ConnectAsCredentials> runConnectAsDialog(QWidget* parent,
                                                       const ConnectAsCredentials& previous) {
  ConnectAsDialog dialog(previous, parent);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.takeCredentials();
}

CredentialsProvider connectAsProvider(Prompter& prompter) {
  CredentialsProvider provider;
  provider.askCredentials = [&prompter](const ConnectAsCredentials& previous) {
    return prompter.connectAs(QApplication::activeWindow(), previous);
  };
  provider.askYesNo = [&prompter](const QString& question) {
    return prompter.ask(QApplication::activeWindow(), question, MsgButtons::YesNo,
                        MsgIcon::Critical) == MsgAnswer::Yes;
  };
  return provider;
}

}  // namespace quill
