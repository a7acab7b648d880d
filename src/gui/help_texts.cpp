#include "gui/help_texts.h"

#include <array>

namespace quill {

namespace {

const QLatin1String kNewLine("\r\n");

}  // namespace

QString helpText(int number) {
  // Lines are separated by CR LF, as the help box shows them; leading blanks
  // belong to the line.
  static const std::array<QString, kHelpTextCount> texts = {
      // H1
      QStringLiteral(
          "Automatically create a fully functional domain. This option will create the following:"
          "\r\n"
          "1)  An OU for each department."
          "\r\n"
          "2)  A user account for each person in users_list.csv, located in it's departmental OU. "
          "The following properties will be set:"
          "\r\n"
          "    A.  First name."
          "\r\n"
          "    B.  Last name."
          "\r\n"
          "    C.  Login name."
          "\r\n"
          "    D.  User principle name."
          "\r\n"
          "    E.  E-Mail address (in the form of username@domain FQDN)."
          "\r\n"
          "    F.  Phone number."
          "\r\n"
          "3)  A global security group for each department, located in 'Groups' OU."
          "\r\n"
          "4)  A global security group for each duty, located in 'Groups' OU. This group will be "
          "nested in it's corresponding department group"
          "\r\n"
          "The domain must be a native-mode windows 2000 or windows 2003 domain"),
      // H2
      QStringLiteral("Do not create a seperate OU for each department, instead, create a common OU "
                     "for all users."),
      // H3
      QStringLiteral("If this checkbox is selected and 'Create duty groups' is not selected then:"
                     "\r\n"
                     "   Each user will be a direct member of his department group."
                     "\r\n"
                     "if this checkbox is selected along with 'Create duty groups' then:"
                     "\r\n"
                     "   Each user will be a direct member of his duty group, which will be nested "
                     "in the corresponding department group."
                     "\r\n"
                     "If this option is selected, an OU for the group account must be specified."),
      // H4
      QStringLiteral(
          "If this checkbox is selected and 'Create department groups' is not selected then:"
          "\r\n"
          "   Each user will be a member of his duty group."
          "\r\n"
          "if this checkbox is selected along with 'Create department groups' then:"
          "\r\n"
          "   Each user will be a direct member of his duty group, which will be nested in the "
          "corresponding department group."
          "\r\n"
          "If this option is selected, an OU for the group account must be specified."),
      // H5
      QStringLiteral("If this checkbox is selected then:"
                     "\r\n"
                     "   The user accounts will be created in the OU specified."
                     "\r\n"
                     "If this checkbox is not selected then:"
                     "\r\n"
                     "   User accounts will not be created, but groups, OU's and directories will "
                     "be created if selected."),
      // H6
      QStringLiteral("If this checkbox is selected, Users will be created in the specified OU "
                     "rather then in the corresponding department OU."),
      // H7
      QStringLiteral("Select this checkbox to save E-Mail field information for each user."
                     "\r\n"
                     "The E-Mail field will be created in the form of username@email_domain."
                     "\r\n"
                     "An E-Mail domain must be specified."),
      // H8
      QStringLiteral("Creates a shared folder/s to be used for storing user's home directories."),
      // H9
      QStringLiteral("Specifies whether to create a single shared folder intended to store all "
                     "users' home directories or a sperate shared folder for each department"),
      // H10
      QStringLiteral("Creates a public folder, intented to be shared among all users"),
      // H11
      QStringLiteral("Creates a seperate shared folder for each department."),
      // H12
      QStringLiteral("Browse for file..."),
      // H13
      QStringLiteral("Browse for OU..."),
      // H14
      QStringLiteral("Click to select username pattern. i.e. How the user name will be calculated."
                     "\r\n"
                     "Smaple : James Bond will be JBond or JamesB..."),
      // H15
      QStringLiteral("Enter path for the CSV file created by Users_list.xls."),
      // H16
      QStringLiteral("LDAP path to the OU where all OU's will be created."),
      // H17
      QStringLiteral("LDAP Path to the OU in which all groups will be created."),
      // H18
      QStringLiteral("Enter root path for public / private folders."),
      // H19
      QStringLiteral("Enter fully qualified domain name. Sample: example.test"),
      // H20
      QStringLiteral("Initial password for the newly created users. Password must be confirmed."),
      // H21
      QString(),
  };
  if (number < 1 || number > kHelpTextCount) return QString();
  return texts[static_cast<size_t>(number - 1)];
}

QString disclaimerText() {
  return QStringLiteral("Disclaimer:") + kNewLine +
         QStringLiteral(
             "Quillstead is freeware, written by the Quillstead developers. You may use it freely, "
             "but you may not claim it as your own work or sell it. Use it at your own risk: the "
             "Quillstead developers give no warranty of any kind and accept no liability for any "
             "damage or loss that its use may cause.");
}

QString authorCredit() {
  return QStringLiteral("Quillstead - written by the Quillstead developers");
}

QString readyPrompt() { return QStringLiteral(" Click 'GO !' to start..."); }

}  // namespace quill
