#pragma once

#include <functional>

#include "core/directory_service.h"
#include "core/share_service.h"
#include "core/unc_file_system.h"

namespace quill {

// Services that pass every call on to another service of the same kind
// through one hook, forward(). The default hook runs the call once on the
// target given at construction; a subclass overrides it to do something
// around every call (connect first and retry after a refused logon, record
// what was changed) without writing each call out again.

class ForwardingDirectory : public DirectoryService {
 public:
  explicit ForwardingDirectory(DirectoryService* target = nullptr) : m_target(target) {}

  std::unique_ptr<DirObject> Bind(const QString& path, PendingError& err) override;
  void SetInfo(DirObject& obj, PendingError& err) override;
  QString Get(const DirObject& obj, const QString& attribute, PendingError& err) override;
  std::vector<ChildObject> Children(const DirObject& container, PendingError& err) override;
  void Add(DirObject& group, const QString& memberPath, PendingError& err) override;
  bool AccountExists(const QString& domain, const QString& name) override;
  bool HasMember(const DirObject& group, const QString& memberDn, PendingError& err) override;
  QStringList Members(const DirObject& group, PendingError& err) override;
  bool AccountNameTaken(const QString& domain, const QString& name) override;
  QString ObjectGuid(const DirObject& obj, PendingError& err) override;
  std::unique_ptr<DirObject> BindGuid(const QString& domain, const QString& guid,
                                      PendingError& err) override;
  void DeleteObject(const DirObject& obj, PendingError& err) override;
  void RemoveMember(DirObject& group, const QString& memberPath, PendingError& err) override;

 protected:
  using Call = std::function<void(DirectoryService& target, PendingError& err)>;
  // Runs call and returns the failure of the whole call (number 0: none). A
  // hook may run call more than once; each run gets a fresh PendingError.
  virtual DirError forward(const Call& call);

 private:
  // Runs call through forward(); a failure replaces err, a success leaves it.
  void pass(PendingError& err, const Call& call);

  DirectoryService* m_target;
};

class ForwardingFiles : public UncFileSystem {
 public:
  explicit ForwardingFiles(UncFileSystem* target = nullptr) : m_target(target) {}

  bool exists(const QString& uncPath) override;
  bool makeFolder(const QString& uncPath, QString* error) override;
  Removal removeFolder(const QString& uncPath, QString* error) override;
  std::optional<QStringList> folderEntries(const QString& uncPath) override;

 protected:
  using Call = std::function<void(UncFileSystem& target)>;
  // Runs call; a non-zero failure when it could not be run at all.
  virtual DirError forward(const Call& call);

 private:
  UncFileSystem* m_target;
};

class ForwardingShares : public ShareService {
 public:
  explicit ForwardingShares(ShareService* target = nullptr) : m_target(target) {}

  int ConnectShareHost(const QString& server, const QString& domain, const QString& user,
                       const QString& password) override;
  void DisconnectShareHost() override;
  int EnumShares(const QString& server, const QString& domain, const QString& user,
                 const QString& password, std::vector<ShareInfo>& shares) override;
  int CreateShare(const QString& server, const QString& localPath,
                  const QString& shareName) override;
  QString GetSharePath(const QString& server, const QString& shareName) override;
  int DeleteShare(const QString& server, const QString& shareName) override;

 protected:
  using Call = std::function<void(ShareService& target)>;
  // Runs call; a non-zero failure when it could not be run at all.
  virtual DirError forward(const Call& call);

 private:
  ShareService* m_target;
};

}  // namespace quill
