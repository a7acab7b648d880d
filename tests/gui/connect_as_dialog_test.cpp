// The "Connect as" dialog and the provider window mode builds from the prompter.
#include "gui/connect_as_dialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "support/gui_support.h"

namespace quill::test {
namespace {

QLineEdit* box(QWidget* dialog, const char* name) {
  return dialog->findChild<QLineEdit*>(QString::fromLatin1(name));
}

QPushButton* button(QWidget* dialog, QDialogButtonBox::StandardButton which) {
  return dialog->findChild<QDialogButtonBox*>()->button(which);
}

TEST(ConnectAsDialog, OffersThePreviousUserMasksThePasswordAndKeepsNoCopyOfIt) {
  ConnectAsDialog dialog(ConnectAsCredentials{QStringLiteral("admin"), QStringLiteral("QUILL"), {}},
                         nullptr);
  QLineEdit* user = box(&dialog, "txt_User");
  QLineEdit* domain = box(&dialog, "txt_Domain");
  QLineEdit* password = box(&dialog, "txt_Password");
  ASSERT_TRUE(user && domain && password);
  EXPECT_EQ(user->text(), QStringLiteral("admin"));
  EXPECT_EQ(domain->text(), QStringLiteral("QUILL"));
  EXPECT_EQ(password->text(), QString());
  EXPECT_EQ(password->echoMode(), QLineEdit::Password);

  // OK needs a user name.
  QPushButton* ok = button(&dialog, QDialogButtonBox::Ok);
  EXPECT_TRUE(ok->isEnabled());
  user->setText(QStringLiteral("  "));
  EXPECT_FALSE(ok->isEnabled());
  user->setText(QStringLiteral(" other "));
  EXPECT_TRUE(ok->isEnabled());

  password->setText(QStringLiteral(" Pass word "));
  const ConnectAsCredentials typed = dialog.takeCredentials();
  EXPECT_EQ(typed.user, QStringLiteral("other"));
  EXPECT_EQ(typed.domain, QStringLiteral("QUILL"));
  EXPECT_EQ(typed.password, QStringLiteral(" Pass word "));  // blanks are part of a password
  EXPECT_EQ(password->text(), QString());
}

// Runs the modal dialog and acts on it from the event loop: OK after typing
// a password, or Cancel.
std::optional<ConnectAsCredentials> runAndPress(bool accept) {
  QTimer::singleShot(0, [accept] {
    auto* dialog = qobject_cast<ConnectAsDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    if (!accept) {
      button(dialog, QDialogButtonBox::Cancel)->click();
      return;
    }
    box(dialog, "txt_Password")->setText(QStringLiteral("Secret-1"));
    button(dialog, QDialogButtonBox::Ok)->click();
  });
  return runConnectAsDialog(nullptr, ConnectAsCredentials{QStringLiteral("a"), QString(), {}});
}

TEST(ConnectAsDialog, OkGivesWhatWasTypedAndCancelGivesNothing) {
  const std::optional<ConnectAsCredentials> given = runAndPress(true);
  ASSERT_TRUE(given);
  EXPECT_EQ(given->user, QStringLiteral("a"));
  EXPECT_EQ(given->password, QStringLiteral("Secret-1"));
  EXPECT_FALSE(runAndPress(false));
}

// A prompter whose "Connect as" dialog is answered from the test.
class AnsweringPrompter : public ScriptedPrompter {
 public:
  std::optional<ConnectAsCredentials> connectAs(QWidget*,
                                                const ConnectAsCredentials& previous) override {
    offered.push_back(previous);
    return answer;
  }
  std::vector<ConnectAsCredentials> offered;
  std::optional<ConnectAsCredentials> answer;
};

TEST(ConnectAsDialog, TheWindowsProviderAsksThroughThePrompter) {
  AnsweringPrompter prompter;
  const CredentialsProvider provider = connectAsProvider(prompter);
  prompter.answer =
      ConnectAsCredentials{QStringLiteral("u"), QStringLiteral("d"), QStringLiteral("p")};
  const std::optional<ConnectAsCredentials> given = provider.askCredentials(
      ConnectAsCredentials{QStringLiteral("prev"), QStringLiteral("dom"), {}});
  ASSERT_TRUE(given);
  EXPECT_EQ(given->password, QStringLiteral("p"));
  ASSERT_EQ(prompter.offered.size(), 1u);
  EXPECT_EQ(prompter.offered.front().user, QStringLiteral("prev"));
  EXPECT_EQ(prompter.offered.front().domain, QStringLiteral("dom"));

  // The question is a Yes/No box; the answer is the user's.
  prompter.scriptAnswers({MsgAnswer::Yes, MsgAnswer::No});
  EXPECT_TRUE(provider.askYesNo(QStringLiteral("Connect as another user?")));
  EXPECT_FALSE(provider.askYesNo(QStringLiteral("Connect as another user?")));
  ASSERT_EQ(prompter.messages().size(), 2u);
  EXPECT_EQ(prompter.messages().front().buttons, MsgButtons::YesNo);
  EXPECT_EQ(prompter.messages().front().text, QStringLiteral("Connect as another user?"));

  // A prompter without the dialog cancels.
  ScriptedPrompter plain;
  EXPECT_FALSE(connectAsProvider(plain).askCredentials(ConnectAsCredentials{}));
}

}  // namespace
}  // namespace quill::test
