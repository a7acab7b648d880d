#include "net/netapi_share_service.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <algorithm>

#include "support/qt_print.h"
#include "support/smb_dc_support.h"

namespace quill {
namespace {

using test::uniqueName;

class SambaNetApiShareServiceTest : public test::SambaFileServerTest {
 protected:
  // A folder in the DC's file share, made directly on its disk; its path as
  // the server reports and accepts it.
  QString makeLocalFolder(const QString& name) const {
    const QString local = sharePath() + u'/' + name;
    EXPECT_TRUE(QDir().mkpath(local)) << local.toStdString();
    return windowsPath(local);
  }
};

TEST_F(SambaNetApiShareServiceTest, ConnectsWithSettingsOrGivenAccountAndRefusesOthers) {
  {
    NetApiShareService shares(settings());
    QString reason;
    ASSERT_TRUE(shares.isReady(&reason)) << reason.toStdString();
    EXPECT_EQ(shares.ConnectShareHost(host(), QString(), QString(), QString()), 0);
    shares.DisconnectShareHost();
    // An empty server is this computer, named by "computername".
    {
      test::EnvGuard computer("computername", host().toUtf8());
      EXPECT_EQ(shares.ConnectShareHost(QString(), QString(), QString(), QString()), 0);
    }

    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(shares.ConnectShareHost(QStringLiteral("127.0.0.2"), QString(), QString(), QString()),
              1);
    EXPECT_LT(timer.elapsed(), 6000);
  }
  {
    // The account given with the call, when the settings hold none.
    NetSettings empty;
    NetApiShareService shares(empty);
    EXPECT_EQ(shares.ConnectShareHost(host(), QString(), QString(), QString()), 1);
    EXPECT_EQ(shares.ConnectShareHost(host(), netbiosDomain(), QStringLiteral("Administrator"),
                                      dc().adminPassword()),
              0);
  }
}

TEST_F(SambaNetApiShareServiceTest, AWrongPasswordIsRefusedEverywhere) {
  NetSettings wrong = settings();
  wrong.password = QStringLiteral("not-") + wrong.password;
  NetApiShareService shares(wrong);
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(shares.ConnectShareHost(host(), QString(), QString(), QString()), 1);
  std::vector<ShareInfo> list;
  EXPECT_NE(shares.EnumShares(host(), QString(), QString(), QString(), list), 0);
  EXPECT_TRUE(list.empty());
  EXPECT_EQ(shares.GetSharePath(host(), share()), QString());
  const QString name = uniqueName(QStringLiteral("Denied"));
  EXPECT_NE(shares.CreateShare(host(), makeLocalFolder(name), name), 0);
  // The library's complaints never reach stdout, where batch mode writes its log.
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), std::string());
  EXPECT_FALSE(listedShares().contains(name));
  // A right account given with the call still works afterwards.
  EXPECT_EQ(shares.ConnectShareHost(host(), netbiosDomain(), QStringLiteral("Administrator"),
                                    dc().adminPassword()),
            0);
}

TEST_F(SambaNetApiShareServiceTest, EnumSharesReportsTheServersTable) {
  NetApiShareService shares(settings());
  std::vector<ShareInfo> list;
  ASSERT_EQ(shares.EnumShares(host(), QString(), QString(), QString(), list), 0);
  auto find = [&](const QString& name) {
    return std::find_if(list.begin(), list.end(),
                        [&](const ShareInfo& s) { return s.Name == name; });
  };
  const auto qdata = find(share());
  ASSERT_NE(qdata, list.end());
  EXPECT_EQ(qdata->TypeText, QStringLiteral("Disk"));
  EXPECT_EQ(qdata->Path, windowsPath(sharePath()));
  EXPECT_EQ(qdata->Path, pathOfShare(share()));
  ASSERT_NE(find(QStringLiteral("sysvol")), list.end());
  ASSERT_NE(find(QStringLiteral("IPC$")), list.end());
  EXPECT_TRUE(find(QStringLiteral("IPC$"))->TypeText.endsWith(QStringLiteral("IPC")));
  // Every name the server lists, and no other.
  QStringList names;
  for (const ShareInfo& share : list) names << share.Name;
  QStringList expected = listedShares();
  names.sort(Qt::CaseInsensitive);
  expected.sort(Qt::CaseInsensitive);
  EXPECT_EQ(names, expected);

  // A server that cannot be reached: non-zero, nothing added.
  std::vector<ShareInfo> none;
  EXPECT_NE(shares.EnumShares(QStringLiteral("127.0.0.2"), QString(), QString(), QString(), none),
            0);
  EXPECT_TRUE(none.empty());
  // A connected server is used as it is.
  ASSERT_EQ(shares.ConnectShareHost(host(), QString(), QString(), QString()), 0);
  std::vector<ShareInfo> again;
  EXPECT_EQ(shares.EnumShares(QString(), QString(), QString(), QString(), again), 0);
  EXPECT_EQ(again.size(), list.size());
}

TEST_F(SambaNetApiShareServiceTest, GetSharePathMatchesTheNameWithoutRegardToCase) {
  NetApiShareService shares(settings());
  shares.setDomain(dc().domain());
  const QString expected = windowsPath(sharePath());
  EXPECT_EQ(shares.GetSharePath(host(), share()), expected);
  EXPECT_EQ(shares.GetSharePath(host(), share().toUpper()), expected);
  // The domain's own name is served by the DC.
  EXPECT_EQ(shares.GetSharePath(dc().domain(), share()), expected);
  EXPECT_EQ(shares.GetSharePath(host(), QStringLiteral("nosuchshare")), QString());
  EXPECT_EQ(shares.GetSharePath(QStringLiteral("127.0.0.2"), share()), QString());
}

TEST_F(SambaNetApiShareServiceTest, CreateShareMakesVisibleAndHiddenSharesOnce) {
  NetApiShareService shares(settings());
  const QString name = uniqueName(QStringLiteral("Sales_Public"));
  const QString windowsPath = makeLocalFolder(name);
  // As a caller builds it from a share path that ends in "\".
  QString doubled = windowsPath;
  doubled.insert(windowsPath.lastIndexOf(u'\\'), u'\\');
  ASSERT_EQ(shares.CreateShare(host(), doubled, name), 0);
  EXPECT_TRUE(listedShares().contains(name));
  EXPECT_EQ(pathOfShare(name), windowsPath);
  EXPECT_EQ(shares.GetSharePath(host(), name), windowsPath);
  // smbd serves it: smbclient can list the new share.
  QString listing;
  EXPECT_EQ(smbclient(name, QStringLiteral("ls"), &listing), 0) << listing.toStdString();

  // The same name again (any case) is refused, also once smbd knows it.
  EXPECT_NE(shares.CreateShare(host(), windowsPath, name), 0);
  EXPECT_NE(shares.CreateShare(host(), windowsPath, name.toLower()), 0);

  const QString hidden = name + u'$';
  ASSERT_EQ(shares.CreateShare(host(), windowsPath, hidden), 0);
  EXPECT_TRUE(listedShares().contains(hidden));
  std::vector<ShareInfo> list;
  ASSERT_EQ(shares.EnumShares(host(), QString(), QString(), QString(), list), 0);
  const auto it =
      std::find_if(list.begin(), list.end(), [&](const ShareInfo& s) { return s.Name == hidden; });
  ASSERT_NE(it, list.end());
  EXPECT_EQ(it->Path, windowsPath);
}

TEST_F(SambaNetApiShareServiceTest, UnusableNamesAndPathsNeverReachTheShareTable) {
  NetApiShareService shares(settings());
  const QString base = uniqueName(QStringLiteral("Bad"));
  const QString windowsPath = makeLocalFolder(base);
  const QStringList badNames = {
      QString(),
      base + QStringLiteral("\n[global]"),
      base + QChar(0) + QStringLiteral("tail"),  // would be cut to an innocent-looking name
      base + QStringLiteral("/x"),
      base + QStringLiteral("\\x"),
      base + QStringLiteral("?"),
      QString(81, u'a'),
  };
  for (const QString& name : badNames) {
    EXPECT_NE(shares.CreateShare(host(), windowsPath, name), 0) << name.toStdString();
  }
  EXPECT_NE(shares.CreateShare(host(), windowsPath + QStringLiteral("\nx"), base), 0);
  EXPECT_NE(shares.CreateShare(QStringLiteral("127.0.0.2"), windowsPath, base), 0);
  const QStringList listed = listedShares();
  for (const QString& name : listed) {
    EXPECT_FALSE(name.startsWith(base)) << name.toStdString();
  }
  QFile config(dc().value("QUILL_DC_DIR") + QStringLiteral("/etc/shares.conf"));
  ASSERT_TRUE(config.open(QIODevice::ReadOnly));
  EXPECT_FALSE(config.readAll().contains(base.toUtf8()));
}

}  // namespace
}  // namespace quill
