#pragma once

#include <QString>

#include "core/platform.h"
#include "core/user_name_pattern.h"
#include "engine/run_log.h"

namespace quill {

// The OU box of the main window that the OU browser fills when a container
// is accepted; the numbers are those the browse buttons pass.
enum class OuBox { None = 0, GroupsOU = 1, DepartmentOU = 2, UsersOU = 3 };

// Application-wide values, one instance owned by main() for the program's
// lifetime. Nothing here is saved between starts.
struct AppState {
  Platform platform;
  UserNamePatterns patterns;
  QString DomainFqdn;
  OuBox BrowseTarget = OuBox::None;
  RunLog runLog;
};

}  // namespace quill
