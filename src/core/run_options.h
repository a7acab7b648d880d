#pragma once

#include <QString>
#include <array>

namespace quill {

class UncFileSystem;

// The built-in initial password shown (masked) in both password boxes.
QString defaultInitialPassword();

// Every option of the main window that a run reads, one field per control and
// named after it. A default-constructed RunOptions holds the window's
// start-up values except txt_CSVFile, which startupRunOptions() fills in.
struct RunOptions {
  QString txt_CSVFile = QStringLiteral("Enter CSV file path");
  QString txt_Domain = QStringLiteral("example.test");
  bool chk_CreateFullTree = true;
  bool chk_CreateOUs = true;
  QString txt_DepartmentOU;
  bool chk_CreateDep = true;
  bool chk_CreateDuty = true;
  QString txt_GroupsOU;
  bool chk_CreateUsers = true;
  bool chk_UsersOnSpecificOU = false;
  QString txt_UsersOU;
  std::array<QString, 2> txt_Password = {defaultInitialPassword(), defaultInitialPassword()};
  bool chk_EmailDomain = true;
  QString txt_EmailDomain;
  QString txt_DirRoot = QStringLiteral("Enter a root path here");
  bool chk_PrivDir = true;
  int opt_PrivateDirsLocation = 0;  // 0 central, 1 per department
  bool chk_PubDirSingle = true;
  bool chk_PubDirDep = true;
  bool chk_HiddenShares = false;
};

inline constexpr int kPrivateDirsCentral = 0;
inline constexpr int kPrivateDirsPerDepartment = 1;

// The main window's start-up values: the defaults above, with txt_CSVFile set
// to currentDir + "/Users_list.csv" when a file or folder of that name exists.
RunOptions startupRunOptions(const QString& currentDir, UncFileSystem& unc);

}  // namespace quill
