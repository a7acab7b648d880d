#include "gui/preview_trees.h"

#include <QStringList>
#include <algorithm>

#include "core/run_options.h"
#include "core/user_name_pattern.h"
#include "core/user_record.h"
#include "engine/folder_layout.h"
#include "engine/groups.h"
#include "gui/preview_choice.h"

namespace quill {

namespace {

// The sample persons of the pictures: two per department, one per duty.
const char* const kSampleLines[] = {
    "Anna,Berg,Sample,Developers,Manager,", "Tom,Reed,Sample,Developers,Team-leader,",
    "Lisa,Moss,Sample,Finance,Manager,",    "Paul,King,Sample,Finance,Team-leader,",
    "Nora,Bell,Sample,HelpDesk,Manager,",   "Ivan,Cole,Sample,HelpDesk,Team-leader,",
    "Eva,Stone,Sample,Marketing,Manager,",  "Mark,Hill,Sample,Marketing,Team-leader,",
    "Rita,Lane,Sample,Sales,Manager,",      "Sam,Ford,Sample,Sales,Team-leader,",
};
const char* const kDepartments[] = {"Developers", "Finance", "HelpDesk", "Marketing", "Sales"};
const char* const kDuties[] = {"Manager", "Team-leader"};
// A flat list of many objects shows this many, then "...".
constexpr int kShownDepartmentsInLists = 2;

std::vector<UserRecord> samplePersons() {
  std::vector<UserRecord> persons;
  for (const char* line : kSampleLines) persons.emplace_back(QString::fromLatin1(line));
  return persons;
}

PreviewNode node(const QString& label, PreviewIcon icon, std::vector<PreviewNode> children = {}) {
  return PreviewNode{label, icon, std::move(children), false};
}

PreviewNode more() { return node(QStringLiteral("..."), PreviewIcon::More); }

PreviewNode userNode(const UserRecord& person) {
  // The login name the first default pattern gives.
  return node(MakeUserName(UserNamePattern{}, person.firstName(), person.lastName()),
              PreviewIcon::User);
}

// The group a run makes for person with the given group options.
QString groupName(const UserRecord& person, bool departmentGroups, bool dutyGroups) {
  RunOptions options;
  options.chk_CreateDep = departmentGroups;
  options.chk_CreateDuty = dutyGroups;
  return personGroupName(options, person);
}

std::vector<PreviewNode> usersWhere(const QString& department, const QString& duty) {
  std::vector<PreviewNode> users;
  for (const UserRecord& person : samplePersons()) {
    if ((department.isEmpty() || person.department() == department) &&
        (duty.isEmpty() || person.duty() == duty)) {
      users.push_back(userNode(person));
    }
  }
  return users;
}

// Siblings that all hold children show the first one open, the others
// folded, so a picture stays readable.
std::vector<PreviewNode> foldAllButFirst(std::vector<PreviewNode> nodes) {
  for (size_t i = 1; i < nodes.size(); ++i) nodes[i].collapsed = !nodes[i].children.empty();
  return nodes;
}

std::vector<PreviewNode> departmentOus(bool withUsers) {
  std::vector<PreviewNode> ous;
  for (const char* d : kDepartments) {
    const QString department = QString::fromLatin1(d);
    ous.push_back(node(department, PreviewIcon::OrganizationalUnit,
                       withUsers ? usersWhere(department, QString()) : std::vector<PreviewNode>{}));
  }
  return withUsers ? foldAllButFirst(std::move(ous)) : ous;
}

// The groups a full run leaves in its groups OU: each department's group
// and its department-and-duty groups.
std::vector<PreviewNode> groupObjects() {
  std::vector<PreviewNode> groups;
  const std::vector<UserRecord> persons = samplePersons();
  for (int d = 0; d < kShownDepartmentsInLists; ++d) {
    const QString department = QString::fromLatin1(kDepartments[d]);
    bool departmentGroupShown = false;
    for (const UserRecord& person : persons) {
      if (person.department() != department) continue;
      if (!departmentGroupShown) {
        groups.push_back(node(groupName(person, true, false), PreviewIcon::Group));
        departmentGroupShown = true;
      }
      groups.push_back(node(groupName(person, true, true), PreviewIcon::Group));
    }
  }
  groups.push_back(more());
  return groups;
}

std::vector<PreviewNode> userObjects() {
  std::vector<PreviewNode> users;
  for (int d = 0; d < kShownDepartmentsInLists; ++d) {
    for (PreviewNode& user : usersWhere(QString::fromLatin1(kDepartments[d]), QString())) {
      users.push_back(std::move(user));
    }
  }
  users.push_back(more());
  return users;
}

PreviewNode container(const char* label, std::vector<PreviewNode> children) {
  return node(QString::fromLatin1(label), PreviewIcon::Container, std::move(children));
}

PreviewNode groupsContainer() { return container("Specified_Groups_Container", groupObjects()); }
PreviewNode usersContainer() { return container("Specified_Users_Container", userObjects()); }
PreviewNode ouContainer(bool withUsers) {
  return container("Specified_OU's_Container", departmentOus(withUsers));
}

std::vector<PreviewNode> ouPicture(int number) {
  switch (number) {
    case 0: {
      PreviewNode ous = node(QStringLiteral("OU's"), PreviewIcon::OrganizationalUnit);
      ous.children = {
          node(QStringLiteral("Computers"), PreviewIcon::OrganizationalUnit),
          node(QStringLiteral("GPO's"), PreviewIcon::OrganizationalUnit),
          node(QStringLiteral("Groups"), PreviewIcon::OrganizationalUnit, groupObjects()),
          node(QStringLiteral("Users"), PreviewIcon::OrganizationalUnit, departmentOus(true)),
      };
      return {ous};
    }
    case 1:
      return {groupsContainer(), ouContainer(false), usersContainer()};
    case 2:
      return {ouContainer(false), usersContainer()};
    case 3:
      return {ouContainer(false)};
    case 4:
      return {groupsContainer(), container("Specified_Users_Container", departmentOus(true))};
    case 5:
      return {ouContainer(true)};
    case 6:
      return {groupsContainer(), usersContainer()};
    case 7:
      return {usersContainer()};
    case 8:
      return {groupsContainer()};
    case 9:
      return {groupsContainer(), ouContainer(false)};
    default:
      return {};
  }
}

// Department groups, each holding what holds(department) gives.
template <typename Holds>
std::vector<PreviewNode> departmentGroups(Holds holds) {
  std::vector<PreviewNode> groups;
  const std::vector<UserRecord> persons = samplePersons();
  for (const char* d : kDepartments) {
    const QString department = QString::fromLatin1(d);
    const auto first = std::find_if(persons.begin(), persons.end(), [&](const UserRecord& p) {
      return p.department() == department;
    });
    groups.push_back(node(groupName(*first, true, false), PreviewIcon::Group, holds(department)));
  }
  return groups;
}

std::vector<PreviewNode> dutyGroups(bool withUsers) {
  std::vector<PreviewNode> groups;
  const std::vector<UserRecord> persons = samplePersons();
  for (const char* d : kDuties) {
    const QString duty = QString::fromLatin1(d);
    const auto first = std::find_if(persons.begin(), persons.end(),
                                    [&](const UserRecord& p) { return p.duty() == duty; });
    groups.push_back(node(groupName(*first, false, true), PreviewIcon::Group,
                          withUsers ? usersWhere(QString(), duty) : std::vector<PreviewNode>{}));
  }
  return groups;
}

// The department-and-duty groups nested in a department group.
std::vector<PreviewNode> nestedDutyGroups(const QString& department, bool withUsers) {
  std::vector<PreviewNode> groups;
  for (const UserRecord& person : samplePersons()) {
    if (person.department() != department) continue;
    groups.push_back(
        node(groupName(person, true, true), PreviewIcon::Group,
             withUsers ? usersWhere(department, person.duty()) : std::vector<PreviewNode>{}));
  }
  return groups;
}

std::vector<PreviewNode> groupPicture(int number) {
  switch (number) {
    case 10:
      return foldAllButFirst(departmentGroups(
          [](const QString& department) { return nestedDutyGroups(department, true); }));
    case 11:
      return departmentGroups(
          [](const QString& department) { return nestedDutyGroups(department, false); });
    case 12:
      return departmentGroups([](const QString&) { return std::vector<PreviewNode>{}; });
    case 13:
      return dutyGroups(false);
    case 14:
      return departmentGroups(
          [](const QString& department) { return usersWhere(department, QString()); });
    case 15:
      return dutyGroups(true);
    default:
      return {};
  }
}

// Adds the folder at the levels of path below parent; the last level is a
// shared folder, the levels above it plain folders unless shared themselves.
void addFolder(PreviewNode& parent, const QStringList& levels, qsizetype level) {
  const QString& name = levels.at(level);
  const bool last = level + 1 == levels.size();
  auto found = std::find_if(parent.children.begin(), parent.children.end(),
                            [&](const PreviewNode& n) { return n.label == name; });
  if (found == parent.children.end()) {
    parent.children.push_back(node(name, PreviewIcon::Folder));
    found = parent.children.end() - 1;
  }
  if (last) {
    found->icon = PreviewIcon::SharedFolder;
  } else {
    addFolder(*found, levels, level + 1);
  }
}

void sortByName(std::vector<PreviewNode>& nodes) {
  std::sort(nodes.begin(), nodes.end(), [](const PreviewNode& a, const PreviewNode& b) {
    return a.label.compare(b.label, Qt::CaseInsensitive) < 0;
  });
  for (PreviewNode& n : nodes) sortByName(n.children);
}

std::vector<PreviewNode> folderPicture(int number) {
  // The option combination that calls for this picture, and the folders a
  // run makes for it: the plan's run-wide folders and each department's.
  for (int combination = 0; combination < 16; ++combination) {
    RunOptions o;
    o.chk_PubDirSingle = (combination & 1) != 0;
    o.chk_PubDirDep = (combination & 2) != 0;
    o.chk_PrivDir = (combination & 4) != 0;
    o.opt_PrivateDirsLocation =
        (combination & 8) != 0 ? kPrivateDirsPerDepartment : kPrivateDirsCentral;
    if (previewForFolders(o) != number) continue;

    const QString root = previewRootLabel();
    const FolderPlanLayout layout =
        planFolders(o.chk_PubDirSingle, o.chk_PubDirDep, o.chk_PrivDir,
                    o.opt_PrivateDirsLocation != kPrivateDirsPerDepartment);
    const auto absolute = [&root](const std::optional<QString>& relative) {
      return relative ? root + *relative : QString();
    };
    const DepartmentRoots roots{absolute(layout.depPublicRoot), absolute(layout.depPrivateRoot),
                                absolute(layout.depPublicTreeRoot),
                                absolute(layout.depPrivateTreeRoot)};
    std::vector<PlannedFolder> folders;
    for (const PlannedFolder& f : layout.runWide) folders.push_back({root + f.path, f.shareName});
    for (const char* department : kDepartments) {
      for (PlannedFolder& f : departmentFolders(roots, QString::fromLatin1(department))) {
        folders.push_back(std::move(f));
      }
    }

    PreviewNode top = node(root, PreviewIcon::Folder);
    for (const PlannedFolder& f : folders) {
      const QStringList levels =
          f.path.mid(root.size() + 1).split(QLatin1Char('\\'), Qt::SkipEmptyParts);
      if (!levels.isEmpty()) addFolder(top, levels, 0);
    }
    sortByName(top.children);
    return {top};
  }
  return {};
}

void collectPaths(const PreviewNode& n, const QString& prefix, QStringList& out) {
  for (const PreviewNode& child : n.children) {
    const QString path = prefix.isEmpty() ? child.label : prefix + QLatin1Char('\\') + child.label;
    out.append(path);
    collectPaths(child, path, out);
  }
}

}  // namespace

QString previewRootLabel() { return QStringLiteral("Specified_Root_Path"); }

std::vector<PreviewNode> previewTree(int number) {
  if (number >= 0 && number <= 9) return ouPicture(number);
  if (number >= 10 && number <= 15) return groupPicture(number);
  if (number >= 16 && number < kPreviewPictureCount) return folderPicture(number);
  return {};
}

QStringList previewFolderPaths(int number) {
  QStringList paths;
  if (number < 16 || number >= kPreviewPictureCount) return paths;
  for (const PreviewNode& top : previewTree(number)) collectPaths(top, QString(), paths);
  return paths;
}

}  // namespace quill
