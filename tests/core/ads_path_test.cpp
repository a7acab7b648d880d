#include "core/ads_path.h"

#include <gtest/gtest.h>

#include "support/qt_print.h"

namespace quill {
namespace {

TEST(AdsPathTest, ParsesTheThreeForms) {
  const struct {
    QString path;
    bool valid;
    QString host, dn;
  } cases[] = {
      {"LDAP://example.test", true, "example.test", ""},
      {"LDAP://example.test/", true, "example.test", ""},
      {"LDAP://example.test/OU=Users,DC=example,DC=test", true, "example.test",
       "OU=Users,DC=example,DC=test"},
      {"ldap://dc1.example.test:636/CN=a/b,DC=x", true, "dc1.example.test:636", "CN=a/b,DC=x"},
      {"LDAP://OU=R/D,DC=example,DC=test", true, "", "OU=R/D,DC=example,DC=test"},
      {"LDAP://CN=x", true, "", "CN=x"},
      {"LDAP://", false, "", ""},
      {"WinNT://example.test/jsmith", false, "", ""},
      {"example.test", false, "", ""},
      {"LDAP://bad host/DC=x", false, "", ""},
  };
  for (const auto& c : cases) {
    const AdsPath p = parseAdsPath(c.path);
    EXPECT_EQ(p.valid, c.valid) << c.path.toStdString();
    if (!c.valid) continue;
    EXPECT_EQ(p.host, c.host) << c.path.toStdString();
    EXPECT_EQ(p.dn, c.dn) << c.path.toStdString();
    EXPECT_EQ(parseAdsPath(makeAdsPath(p.host, p.dn)).dn, p.dn) << c.path.toStdString();
  }
}

TEST(AdsPathTest, MakesPaths) {
  EXPECT_EQ(makeAdsPath("example.test", ""), "LDAP://example.test");
  EXPECT_EQ(makeAdsPath("example.test", "DC=example,DC=test"),
            "LDAP://example.test/DC=example,DC=test");
  EXPECT_EQ(makeAdsPath("", "DC=example,DC=test"), "LDAP://DC=example,DC=test");
}

}  // namespace
}  // namespace quill
