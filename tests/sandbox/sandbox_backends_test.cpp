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
  QString baseDn() const override { return m.rootDn(); }
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
INSTANTIATE_TEST_SUITE_P(Sandbox, DirectoryContract, ::testing::Values(Backends{"sandbox", &make}));
INSTANTIATE_TEST_SUITE_P(Sandbox, FileContract, ::testing::Values(Backends{"sandbox", &make}));
INSTANTIATE_TEST_SUITE_P(Sandbox, ShareContract, ::testing::Values(Backends{"sandbox", &make}));

TEST(SandboxBackends, KeepPasswordsOnlyAsSaltedHashesAndStayInTheirOwnDomainAndDisks) {
  SandboxWorld d;
  PendingError err;
  std::unique_ptr<DirObject> guest = d.m.Bind("LDAP://CN=Guest,CN=Users," + d.baseDn(), err);
  d.m.SetPassword(*guest, "s3cret-W\u00f6rd");
  d.m.SetInfo(*guest, err);
  EXPECT_TRUE(d.m.values(guest->dn, "userPassword").value(0).startsWith("{SSHA512}"));
  EXPECT_FALSE(d.m.toLdif().contains("s3cret") || d.m.Bind("LDAP://other.test", err));
  EXPECT_EQ(err.number(), kErrServerDown);
  // clang-format off
  const std::tuple<const char*, const char*, int> shares[] = {
      {"files", "D:\\shares\\data\\Missing", kShareUnknownDirectory}, {"idle", "Z:\\", kShareUnknownDirectory},
      {"..", "D:\\shares\\data", kShareServerUnavailable}, {"files", "D:\\shares/data", kShareInvalidParameter},
      {"files", "D:\\shares\\data\\..\\..\\..\\..\\idle", kShareInvalidParameter},
      {"files", "/tmp", kShareInvalidParameter}};
  // clang-format on
  for (const auto& [server, path, result] : shares) {
    EXPECT_EQ(d.table.CreateShare(server, path, "x"), result) << path;
  }
  EXPECT_EQ(d.table.ConnectShareHost("idle", {}, {}, {}), kShareHostConnected);  // with no share
  EXPECT_EQ(d.table.hostPathFor("files", "d:\\SHARES\\Data\\"), d.data);
  EXPECT_EQ(d.table.hostPathFor("files/../idle", "D:\\") + d.listed().join(' '), "data");
}

}  // namespace
}  // namespace quill::test
