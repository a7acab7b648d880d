#include "gui/help_texts.h"

namespace quill {

namespace {

const QLatin1String kNewLine("\r\n");

}  // namespace

QString helpText(HelpTopic topic) {
  // Lines are separated by CR LF, as the help box shows them; leading blanks
  // belong to the line.
  switch (topic) {
    case HelpTopic::FullTree:
      return QStringLiteral(
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
          "The domain must be a native-mode windows 2000 or windows 2003 domain");
    case HelpTopic::DepartmentOUs:
      return QStringLiteral(
          "Do not create a seperate OU for each department, instead, create a common OU "
          "for all users.");
    case HelpTopic::DepartmentGroups:
      return QStringLiteral(
          "If this checkbox is selected and 'Create duty groups' is not selected then:"
          "\r\n"
          "   Each user will be a direct member of his department group."
          "\r\n"
          "if this checkbox is selected along with 'Create duty groups' then:"
          "\r\n"
          "   Each user will be a direct member of his duty group, which will be nested "
          "in the corresponding department group."
          "\r\n"
          "If this option is selected, an OU for the group account must be specified.");
    case HelpTopic::DutyGroups:
      return QStringLiteral(
          "If this checkbox is selected and 'Create department groups' is not selected then:"
          "\r\n"
          "   Each user will be a member of his duty group."
          "\r\n"
          "if this checkbox is selected along with 'Create department groups' then:"
          "\r\n"
          "   Each user will be a direct member of his duty group, which will be nested in the "
          "corresponding department group."
          "\r\n"
          "If this option is selected, an OU for the group account must be specified.");
    case HelpTopic::CreateUsers:
      return QStringLiteral(
          "If this checkbox is selected then:"
          "\r\n"
          "   The user accounts will be created in the OU specified."
          "\r\n"
          "If this checkbox is not selected then:"
          "\r\n"
          "   User accounts will not be created, but groups, OU's and directories will "
          "be created if selected.");
    case HelpTopic::FlatUsersOU:
      return QStringLiteral(
          "If this checkbox is selected, Users will be created in the specified OU "
          "rather then in the corresponding department OU.");
    case HelpTopic::EmailDomain:
      return QStringLiteral(
          "Select this checkbox to save E-Mail field information for each user."
          "\r\n"
          "The E-Mail field will be created in the form of username@email_domain."
          "\r\n"
          "An E-Mail domain must be specified.");
    case HelpTopic::PrivateFolders:
      return QStringLiteral(
          "Creates a shared folder/s to be used for storing user's home directories.");
    case HelpTopic::PrivateLocation:
      return QStringLiteral(
          "Specifies whether to create a single shared folder intended to store all "
          "users' home directories or a sperate shared folder for each department");
    case HelpTopic::SinglePublic:
      return QStringLiteral("Creates a public folder, intented to be shared among all users");
    case HelpTopic::DepartmentPublic:
      return QStringLiteral("Creates a seperate shared folder for each department.");
    case HelpTopic::BrowseFile:
      return QStringLiteral("Browse for file...");
    case HelpTopic::BrowseOU:
      return QStringLiteral("Browse for OU...");
    case HelpTopic::NamePattern:
      return QStringLiteral(
          "Click to select username pattern. i.e. How the user name will be calculated."
          "\r\n"
          "Smaple : James Bond will be JBond or JamesB...");
    case HelpTopic::CsvFile:
      return QStringLiteral("Enter path for the CSV file created by Users_list.xls.");
    case HelpTopic::DepartmentOUPath:
      return QStringLiteral("LDAP path to the OU where all OU's will be created.");
    case HelpTopic::GroupsOUPath:
      return QStringLiteral("LDAP Path to the OU in which all groups will be created.");
    case HelpTopic::FolderRoot:
      return QStringLiteral("Enter root path for public / private folders.");
    case HelpTopic::Domain:
      return QStringLiteral("Enter fully qualified domain name. Sample: example.test");
    case HelpTopic::Password:
      return QStringLiteral(
          "Initial password for the newly created users. Password must be confirmed.");
    case HelpTopic::Clear:
      return QString();
  }
  return QString();
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
