#pragma once

#include <QString>

#include "run/run_log.h"
#include "usernames/user_name_pattern.h"

namespace quill {

class DirectoryService;
class UncFileSystem;
class ShareService;

// The backends a program start works with: the sandbox's or the network's.
struct Platform {
  DirectoryService* directory = nullptr;
  UncFileSystem* files = nullptr;
  ShareService* shares = nullptr;
};

// Application-wide values, one instance owned by main() for the program's
// lifetime. Nothing here is saved between starts.
struct AppState {
  Platform platform;
  UserNamePatterns patterns;
  QString DomainFqdn;
  int BrowseTarget = 0;  // 1 groups OU, 2 department OU, 3 users OU
  RunLog runLog;
};

}  // namespace quill
