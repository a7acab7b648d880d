#pragma once

// What every backend of a service promises, written once and run over the sandbox's backends and
// over the network ones against the Samba DC. A world holds the three backends, and sees what
// they stored without going through them.
#include <gtest/gtest.h>

#include <memory>

#include "core/directory_service.h"
#include "core/share_service.h"
#include "core/unc_file_system.h"
#include "support/qt_print.h"
#include "support/test_env.h"

namespace quill::test {

struct World {
  virtual ~World() = default;
  virtual DirectoryService& dir() = 0;
  virtual QString domain() const = 0;
  virtual QStringList values(const QString& dn, const QString& attribute) = 0;
  // True when the account dn (login name sam) logs on with password.
  virtual bool hasPassword(const QString& dn, const QString& sam, const QString& password) = 0;
  virtual DirectoryService& readOnly() = 0;  // as an account without write rights
  virtual UncFileSystem& files() = 0;
  virtual QString share() const = 0;  // "\\server\share"
  virtual QString disk() const = 0;   // its folder on this machine
  virtual ShareService& shares() = 0;
  virtual QString server() const = 0;       // a server that answers
  virtual QString unreachable() const = 0;  // one that does not
  // A new folder on the server's disk; its path as the server names it ("D:\...").
  virtual QString folder(const QString& name) = 0;
  virtual QStringList listed() = 0;                  // the server's share names
  virtual QString pathOf(const QString& share) = 0;  // a share's path
};

struct WorldMaker {
  const char* name;
  std::unique_ptr<World> (*make)(QString* why);  // nullptr and the reason to skip: no DC
};
inline void PrintTo(const WorldMaker& maker, std::ostream* out) { *out << maker.name; }

class Contract : public ::testing::TestWithParam<WorldMaker> {
 protected:
  void SetUp() override {
    QString why;
    if (!(w = GetParam().make(&why))) GTEST_SKIP() << why;
  }
  std::unique_ptr<World> w;
};

class DirectoryContract : public Contract {
 protected:
  void SetUp() override;  // and makes the test's own OU
  DirectoryService& dir() { return w->dir(); }
  QString path(const QString& dn) const { return "LDAP://" + w->domain() + '/' + dn; }
  // Stores a new cls named rdn in the test's OU, with the login name sam when given; the error.
  uint32_t make(const QString& cls, const QString& rdn, const QString& sam = {});

  QString base;  // the domain root's DN
  std::unique_ptr<DirObject> ou;
  PendingError err;
};
class FileContract : public Contract {};
class ShareContract : public Contract {};

}  // namespace quill::test
