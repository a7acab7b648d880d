#pragma once

#include <QByteArray>
#include <QString>

namespace quill {

struct SandboxShare;

// What the sandbox's directory and share table report as they change, so the
// journal can keep each change until the sandbox's files are written.
class SandboxChanges {
 public:
  virtual ~SandboxChanges() = default;
  // An entry was created or changed; ldifRecord is all of it.
  virtual void entryStored(const QByteArray& ldifRecord) = 0;
  virtual void memberAdded(const QString& groupDn, const QString& memberDn) = 0;
  virtual void entryDeleted(const QString& dn) = 0;
  virtual void memberRemoved(const QString& groupDn, const QString& memberDn) = 0;
  virtual void shareAdded(const SandboxShare& share) = 0;
  virtual void shareDeleted(const SandboxShare& share) = 0;
};

}  // namespace quill
