#pragma once

#include <QDialog>
#include <optional>

#include "net/credentials_provider.h"

class QDialogButtonBox;
class QLineEdit;

namespace quill {

class Prompter;

// Makes box a password box that masks with "*", whatever the style would draw.
void maskWithStars(QLineEdit* box);

// The "Connect as" dialog: who the program connects to the domain and the
// file servers as, when it was started without credentials. A user and a
// domain box and a masked password box; OK is enabled once a user is typed.
class ConnectAsDialog : public QDialog {
  Q_OBJECT

 public:
  // Offers previous' user and domain; the password box starts empty.
  ConnectAsDialog(const ConnectAsCredentials& previous, QWidget* parent);

  // What is typed. The password box is emptied, so the dialog holds no copy
  // of the password once it has been handed over.
  ConnectAsCredentials takeCredentials();

 private:
  QLineEdit* m_user = nullptr;
  QLineEdit* m_domain = nullptr;
  QLineEdit* m_password = nullptr;
  QDialogButtonBox* m_buttons = nullptr;
};

// Shows the dialog modally over parent: the credentials typed, or nullopt
// when the user cancels.
std::optional<ConnectAsCredentials> runConnectAsDialog(QWidget* parent,
                                                       const ConnectAsCredentials& previous);

// What window mode hands the network backends: prompter's "Connect as"
// dialog and Yes/No box, each over the window that is active at the time.
// prompter must outlive the provider.
CredentialsProvider connectAsProvider(Prompter& prompter);

}  // namespace quill
