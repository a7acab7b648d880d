#pragma once

#include <QString>

namespace quill {

// What a text of the main window's help box explains.
enum class HelpTopic {
  FullTree = 1,
  DepartmentOUs,
  DepartmentGroups,
  DutyGroups,
  CreateUsers,
  FlatUsersOU,
  EmailDomain,
  PrivateFolders,
  PrivateLocation,
  SinglePublic,
  DepartmentPublic,
  BrowseFile,
  BrowseOU,
  NamePattern,
  CsvFile,
  DepartmentOUPath,
  GroupsOUPath,
  FolderRoot,
  Domain,
  Password,
  Clear,  // the empty text, which clears the box
};

// The help text of topic; lines are separated by "\r\n".
QString helpText(HelpTopic topic);

// The start-up disclaimer: "Disclaimer:", CR LF, three sentences.
QString disclaimerText();

// The one-line credit shown in the status line at start-up.
QString authorCredit();

// The status line once the start-up texts are gone.
QString readyPrompt();

}  // namespace quill
