// The sandbox's backends: the contracts every backend keeps, and what only the sandbox does.
#include <QDir>
#include <QTemporaryDir>

#include "sandbox/memory_directory.h"
#include "sandbox/sandbox_file_system.h"
#include "sandbox/sandbox_share_service.h"
#include "support/backend_contracts.h"

namespace quill::test {
namespace {

// The domain example.test with a password policy as the DC's; the server "files" with the share
// "data" (D:\shares\data), and the server "idle" with none.
struct SandboxWorld : World {
  SandboxWorld() {
    m.addBaseEntries();
    PendingError err;
    const std::unique_ptr<DirObject> root = m.Bind("LDAP://example.test", err);
    m.Put(*root, "minPwdLength", "7");
    m.SetInfo(*root, err);
    QDir().mkpath(data);
    QDir().mkpath(servers + "/idle");
    table.addShare({"files", "data", "D:\\shares\\data"});
  }
  DirectoryService& dir() override { return m; }
  QString domain() const override { return "example.test"; }
  QStringList values(const QString& dn, const QString& a) override { return m.values(dn, a); }
  bool hasPassword(const QString& dn, const QString&, const QString& pw) override {
    return m.checkPassword(dn, pw);
  }
  DirectoryService& readOnly() override { return m.setReadOnly(true), m; }
  UncFileSystem& files() override { return fs; }
  QString share() const override { return "\\\\files\\data"; }
  QString disk() const override { return data; }
  ShareService& shares() override { return table; }
  QString server() const override { return "files"; }
  QString unreachable() const override { return "nosuchserver"; }
  QString folder(const QString& name) override {
    return QDir().mkpath(data + '/' + name) ? "D:\\shares\\data\\" + name : "";
  }
  QStringList listed() override {
    QStringList names;
    for (const SandboxShare& s : table.shares()) names << s.name;
    return names;
  }
  QString pathOf(const QString& name) override {
    const SandboxShare* s = table.findShare("files", name);
    return s ? s->localPath : QString();
  }
  MemoryDirectory m{"example.test"};
  QTemporaryDir tmp;
  QString servers = tmp.path() + "/servers", data = servers + "/files/D/shares/data";
  SandboxShareService table{servers};
  SandboxFileSystem fs{table};
};

std::unique_ptr<World> make(QString*) { return std::make_unique<SandboxWorld>(); }
INSTANTIATE_TEST_SUITE_P(Sandbox, DirectoryContract,
                         ::testing::Values(WorldMaker{"sandbox", &make}));
INSTANTIATE_TEST_SUITE_P(Sandbox, FileContract, ::testing::Values(WorldMaker{"sandbox", &make}));
INSTANTIATE_TEST_SUITE_P(Sandbox, ShareContract, ::testing::Values(WorldMaker{"sandbox", &make}));

}  // namespace
}  // namespace quill::test
