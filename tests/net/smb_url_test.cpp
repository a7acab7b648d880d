#include "net/smb_url.h"
#include "core/names.h"

#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QUrl>

#include "net/net_server_map.h"
#include "net/netapi_share_service.h"
#include "support/qt_print.h"

namespace quill {
namespace {

TEST(SmbUrlTest, EncodesEverythingTheUrlParserWouldReadAsSyntax) {
  const struct {
    const char* component;
    const char* encoded;
  } cases[] = {
      {"plain", "plain"},
      {"a~b-c_d.e", "a~b-c_d.e"},
      {"with space", "with%20space"},
      {"50%", "50%25"},
      {"50%25off", "50%2525off"},  // a literal "%25" must not come back as "%"
      {"q?x=1", "q%3Fx%3D1"},
      {"user:pw@host", "user%3Apw%40host"},
      {"dom;user", "dom%3Buser"},
      {"\"quoted\"", "%22quoted%22"},
      {"#frag&a+b", "%23frag%26a%2Bb"},
      {"it's!$", "it%27s%21%24"},
      {"Vertrieb \xc3\x9c", "Vertrieb%20%C3%9C"},
      {"\xe6\x97\xa5\xe6\x9c\xac", "%E6%97%A5%E6%9C%AC"},
  };
  static const QRegularExpression kSafe(QStringLiteral("^([A-Za-z0-9~._-]|%[0-9A-F]{2})*$"));
  for (const auto& c : cases) {
    const QString component = QString::fromUtf8(c.component);
    const QByteArray encoded = encodeSmbComponent(component);
    EXPECT_EQ(encoded, QByteArray(c.encoded)) << c.component;
    EXPECT_TRUE(kSafe.match(QString::fromLatin1(encoded)).hasMatch()) << c.component;
    EXPECT_EQ(QUrl::fromPercentEncoding(encoded), component) << c.component;
  }
}

TEST(SmbUrlTest, BuildsOneUrlLevelPerUncLevel) {
  EXPECT_EQ(smbUrl(QStringLiteral("127.0.0.1"), QStringLiteral("qdata"), {}),
            QByteArray("smb://127.0.0.1/qdata"));
  EXPECT_EQ(smbUrl(QStringLiteral("files"), QStringLiteral("data$"),
                   {QStringLiteral("All"), QStringLiteral("a b"), QStringLiteral("x?y")}),
            QByteArray("smb://files/data%24/All/a%20b/x%3Fy"));
  // A server part can never smuggle in user information.
  EXPECT_EQ(smbUrl(QStringLiteral("user:pw@evil"), QStringLiteral("s"), {}),
            QByteArray("smb://user%3Apw%40evil/s"));
}

TEST(SmbUrlTest, SplitsUncPathsAndRefusesLevelsThatAreNotOneFolder) {
  const struct {
    QString path;
    bool accepted;
    const char* server;
    const char* share;
    QStringList folders;
  } cases[] = {
      {QStringLiteral("\\\\srv\\data"), true, "srv", "data", {}},
      {QStringLiteral("\\\\srv\\data\\"), true, "srv", "data", {}},
      {QStringLiteral("\\\\srv\\data\\a\\b c"), true, "srv", "data", {"a", "b c"}},
      {QStringLiteral("\\\\srv\\data\\a\\"), true, "srv", "data", {"a"}},
      // An empty level (a doubled separator) is no folder of its own.
      {QStringLiteral("\\\\srv\\data\\\\a"), true, "srv", "data", {"a"}},
      {QStringLiteral("\\\\srv\\data\\a\\\\"), true, "srv", "data", {"a"}},
      {QStringLiteral("\\\\srv"), true, "srv", "", {}},
      {QStringLiteral("\\\\srv\\data\\a..b\\.x"), true, "srv", "data", {"a..b", ".x"}},
      {QStringLiteral("srv\\data"), false, "", "", {}},
      {QStringLiteral("\\srv\\data"), false, "", "", {}},
      {QStringLiteral("//srv/data"), false, "", "", {}},
      {QStringLiteral("\\\\"), false, "", "", {}},
      {QStringLiteral("\\\\\\data"), false, "", "", {}},
      {QStringLiteral("\\\\srv\\data\\..\\x"), false, "", "", {}},
      {QStringLiteral("\\\\srv\\data\\a\\.."), false, "", "", {}},
      {QStringLiteral("\\\\srv\\data\\.\\x"), false, "", "", {}},
      {QStringLiteral("\\\\srv\\.."), false, "", "", {}},
      {QStringLiteral("\\\\..\\data"), false, "", "", {}},
      {QStringLiteral("\\\\srv\\data\\a/b"), false, "", "", {}},
      {QStringLiteral("\\\\srv\\data\\..%2F..\\x/"), false, "", "", {}},
      {QStringLiteral("\\\\srv/evil\\data"), false, "", "", {}},
      {QStringLiteral("\\\\srv\\data\\a\nb"), false, "", "", {}},
      {QStringLiteral("\\\\srv\\data\\a") + QChar(0) + QStringLiteral("b"), false, "", "", {}},
      {QStringLiteral("\\\\srv\\data\\a\x7f"), false, "", "", {}},
      {QStringLiteral("\\\\srv\\data\\a") + QChar(0x85), false, "", "", {}},
  };
  for (const auto& c : cases) {
    UncParts parts;
    QString reason;
    const bool accepted = splitUncPath(c.path, &parts, &reason);
    EXPECT_EQ(accepted, c.accepted) << c.path.toStdString() << ": " << reason.toStdString();
    if (accepted && c.accepted) {
      EXPECT_EQ(parts.server, QString::fromUtf8(c.server)) << c.path.toStdString();
      EXPECT_EQ(parts.share, QString::fromUtf8(c.share)) << c.path.toStdString();
      EXPECT_EQ(parts.folders, c.folders) << c.path.toStdString();
    } else if (!accepted) {
      EXPECT_FALSE(reason.isEmpty()) << c.path.toStdString();
    }
  }
}

TEST(ShareLocalPathTest, DoubledSeparatorsAreReducedOnceFromTheLeft) {
  const struct {
    const char* in;
    const char* out;
  } cases[] = {
      {"D:\\shares\\data", "D:\\shares\\data"},
      {"D:\\\\Sales_Public", "D:\\Sales_Public"},            // drive root + "\" + tail
      {"C:\\srv\\\\qdata\\\\\\\\x", "C:\\srv\\qdata\\\\x"},  // four become two in one pass
      {"C:\\a\\\\\\b", "C:\\a\\\\b"},                        // three become two
      {"", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(reduceDoubledSeparators(QString::fromLatin1(c.in)), QString::fromLatin1(c.out))
        << c.in;
  }
}

TEST(NetServerMapTest, OnlyTheDomainsOwnNameGoesToTheDc) {
  NetSettings settings;
  settings.dcHost = QStringLiteral("127.0.0.1");
  settings.domain = QStringLiteral("QUILL");
  NetServerMap map(settings);
  map.setDomain(QStringLiteral("quill.test"));
  const struct {
    const char* server;
    const char* host;
  } cases[] = {
      {"quill.test", "127.0.0.1"},
      {"QUILL.Test", "127.0.0.1"},
      {"quill", "127.0.0.1"},
      {"files", "files"},
      {"quill.test.evil", "quill.test.evil"},
      {"dc1.quill.test", "dc1.quill.test"},
      {"", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(map.hostFor(QString::fromLatin1(c.server)), QString::fromLatin1(c.host)) << c.server;
  }

  NetSettings noDc = settings;
  noDc.dcHost.clear();
  NetServerMap unmapped(noDc);
  unmapped.setDomain(QStringLiteral("quill.test"));
  EXPECT_EQ(unmapped.hostFor(QStringLiteral("quill.test")), QStringLiteral("quill.test"));
}

}  // namespace
}  // namespace quill
