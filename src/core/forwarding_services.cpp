#include "core/forwarding_services.h"

#include <utility>

namespace quill {

DirError ForwardingDirectory::forward(const Call& call) {
  PendingError err;
  call(*m_target, err);
  return err.error();
}

void ForwardingDirectory::pass(PendingError& err, const Call& call) {
  const DirError failure = forward(call);
  if (failure.number != 0) err.set(failure);
}

std::unique_ptr<DirObject> ForwardingDirectory::Bind(const QString& path, PendingError& err) {
  std::unique_ptr<DirObject> obj;
  pass(err, [&](DirectoryService& target, PendingError& e) { obj = target.Bind(path, e); });
  return obj;
}

void ForwardingDirectory::SetInfo(DirObject& obj, PendingError& err) {
  // SetInfo takes what is staged even when it fails; a call that runs again
  // starts from the same staged values.
  const DirObject staged = obj;
  bool again = false;
  pass(err, [&](DirectoryService& target, PendingError& e) {
    if (std::exchange(again, true)) obj = staged;
    target.SetInfo(obj, e);
  });
}

QString ForwardingDirectory::Get(const DirObject& obj, const QString& attribute,
                                 PendingError& err) {
  QString value;
  pass(err,
       [&](DirectoryService& target, PendingError& e) { value = target.Get(obj, attribute, e); });
  return value;
}

std::vector<ChildObject> ForwardingDirectory::Children(const DirObject& container,
                                                       PendingError& err) {
  std::vector<ChildObject> children;
  pass(err, [&](DirectoryService& target, PendingError& e) {
    children = target.Children(container, e);
  });
  return children;
}

void ForwardingDirectory::Add(DirObject& group, const QString& memberPath, PendingError& err) {
  pass(err, [&](DirectoryService& target, PendingError& e) { target.Add(group, memberPath, e); });
}

bool ForwardingDirectory::AccountExists(const QString& domain, const QString& name) {
  bool found = false;
  forward(
      [&](DirectoryService& target, PendingError&) { found = target.AccountExists(domain, name); });
  return found;
}

bool ForwardingDirectory::HasMember(const DirObject& group, const QString& memberDn,
                                    PendingError& err) {
  bool found = false;
  pass(err, [&](DirectoryService& target, PendingError& e) {
    found = target.HasMember(group, memberDn, e);
  });
  return found;
}

QStringList ForwardingDirectory::Members(const DirObject& group, PendingError& err) {
  QStringList members;
  pass(err, [&](DirectoryService& target, PendingError& e) { members = target.Members(group, e); });
  return members;
}

bool ForwardingDirectory::AccountNameTaken(const QString& domain, const QString& name) {
  bool taken = false;
  forward([&](DirectoryService& target, PendingError&) {
    taken = target.AccountNameTaken(domain, name);
  });
  return taken;
}

QString ForwardingDirectory::ObjectGuid(const DirObject& obj, PendingError& err) {
  QString guid;
  pass(err, [&](DirectoryService& target, PendingError& e) { guid = target.ObjectGuid(obj, e); });
  return guid;
}

std::unique_ptr<DirObject> ForwardingDirectory::BindGuid(const QString& domain, const QString& guid,
                                                         PendingError& err) {
  std::unique_ptr<DirObject> obj;
  pass(err,
       [&](DirectoryService& target, PendingError& e) { obj = target.BindGuid(domain, guid, e); });
  return obj;
}

void ForwardingDirectory::DeleteObject(const DirObject& obj, PendingError& err) {
  pass(err, [&](DirectoryService& target, PendingError& e) { target.DeleteObject(obj, e); });
}

void ForwardingDirectory::RemoveMember(DirObject& group, const QString& memberPath,
                                       PendingError& err) {
  pass(err, [&](DirectoryService& target, PendingError& e) {
    target.RemoveMember(group, memberPath, e);
  });
}

DirError ForwardingFiles::forward(const Call& call) {
  call(*m_target);
  return {};
}

bool ForwardingFiles::exists(const QString& uncPath) {
  bool found = false;
  forward([&](UncFileSystem& target) { found = target.exists(uncPath); });
  return found;
}

bool ForwardingFiles::makeFolder(const QString& uncPath, QString* error) {
  bool made = false;
  const DirError failure =
      forward([&](UncFileSystem& target) { made = target.makeFolder(uncPath, error); });
  if (failure.number != 0 && error != nullptr) *error = failure.description;
  return made;
}

std::optional<QStringList> ForwardingFiles::folderEntries(const QString& uncPath) {
  std::optional<QStringList> entries;
  forward([&](UncFileSystem& target) { entries = target.folderEntries(uncPath); });
  return entries;
}

UncFileSystem::Removal ForwardingFiles::removeFolder(const QString& uncPath, QString* error) {
  Removal removal = Removal::Failed;
  const DirError failure =
      forward([&](UncFileSystem& target) { removal = target.removeFolder(uncPath, error); });
  if (failure.number != 0 && error != nullptr) *error = failure.description;
  return removal;
}

DirError ForwardingShares::forward(const Call& call) {
  call(*m_target);
  return {};
}

int ForwardingShares::ConnectShareHost(const QString& server, const QString& domain,
                                       const QString& user, const QString& password) {
  int result = kShareHostFailed;
  forward([&](ShareService& target) {
    result = target.ConnectShareHost(server, domain, user, password);
  });
  return result;
}

void ForwardingShares::DisconnectShareHost() {
  forward([](ShareService& target) { target.DisconnectShareHost(); });
}

int ForwardingShares::EnumShares(const QString& server, const QString& domain, const QString& user,
                                 const QString& password, std::vector<ShareInfo>& shares) {
  int result = 1;
  forward([&](ShareService& target) {
    result = target.EnumShares(server, domain, user, password, shares);
  });
  return result;
}

int ForwardingShares::CreateShare(const QString& server, const QString& localPath,
                                  const QString& shareName) {
  int result = kShareAccessDenied;
  forward([&](ShareService& target) { result = target.CreateShare(server, localPath, shareName); });
  return result;
}

QString ForwardingShares::GetSharePath(const QString& server, const QString& shareName) {
  QString path;
  forward([&](ShareService& target) { path = target.GetSharePath(server, shareName); });
  return path;
}

int ForwardingShares::DeleteShare(const QString& server, const QString& shareName) {
  int result = kShareAccessDenied;
  forward([&](ShareService& target) { result = target.DeleteShare(server, shareName); });
  return result;
}

}  // namespace quill
