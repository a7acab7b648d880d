#include "gui/preview_choice.h"

namespace quill {

std::optional<int> previewForOUs(const RunOptions& o) {
  if (o.chk_CreateFullTree) return 0;
  struct Row {
    bool groups, specific, users, ous;
    int picture;
  };
  static constexpr Row kRows[] = {
      {true, true, true, true, 1},   {false, true, true, true, 2},   {false, false, false, true, 3},
      {true, false, true, true, 4},  {false, false, true, true, 5},  {true, true, true, false, 6},
      {false, true, true, false, 7}, {true, false, false, false, 8}, {true, false, false, true, 9},
  };
  const bool groups = o.chk_CreateDep || o.chk_CreateDuty;
  for (const Row& row : kRows) {
    if (row.groups == groups && row.specific == o.chk_UsersOnSpecificOU &&
        row.users == o.chk_CreateUsers && row.ous == o.chk_CreateOUs) {
      return row.picture;
    }
  }
  return std::nullopt;
}

std::optional<int> previewForGroups(const RunOptions& o) {
  const bool users = o.chk_CreateUsers;
  const bool duty = o.chk_CreateDuty;
  const bool dep = o.chk_CreateDep;
  if ((users && duty && dep) || o.chk_CreateFullTree) return 10;
  struct Row {
    bool users, duty, dep;
    int picture;
  };
  static constexpr Row kRows[] = {
      {false, true, true, 11}, {false, false, true, 12}, {false, true, false, 13},
      {true, false, true, 14}, {true, true, false, 15},
  };
  for (const Row& row : kRows) {
    if (row.users == users && row.duty == duty && row.dep == dep) return row.picture;
  }
  return std::nullopt;
}

std::optional<int> previewForFolders(const RunOptions& o) {
  enum Location { Any, Central, PerDepartment, Neither };
  struct Row {
    bool S, D, P;
    Location location;
    int picture;
  };
  static constexpr Row kRows[] = {
      {true, false, false, Any, 16},           {true, false, true, PerDepartment, 17},
      {true, false, true, Central, 18},        {true, true, true, PerDepartment, 19},
      {true, true, true, Central, 20},         {true, true, false, Any, 21},
      {false, true, false, Any, 22},           {false, true, true, Central, 23},
      {false, true, true, PerDepartment, 24},  {false, false, true, Central, 25},
      {false, false, true, PerDepartment, 26},
  };
  const Location location = o.opt_PrivateDirsLocation == kPrivateDirsCentral         ? Central
                            : o.opt_PrivateDirsLocation == kPrivateDirsPerDepartment ? PerDepartment
                                                                                     : Neither;
  for (const Row& row : kRows) {
    if (row.S == o.chk_PubDirSingle && row.D == o.chk_PubDirDep && row.P == o.chk_PrivDir &&
        (row.location == Any || row.location == location)) {
      return row.picture;
    }
  }
  return std::nullopt;
}

}  // namespace quill
