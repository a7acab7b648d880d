#include "core/ads_path.h"

#include <gtest/gtest.h>

#include "support/qt_print.h"

namespace quill {
namespace {

// A valid path comes apart into host and DN, and makeAdsPath puts those
// together again in the plain form ("LDAP://", no trailing "/").
TEST(AdsPathTest, ParsesTheThreeFormsAndMakesThemAgain) {
  const struct {
    QString path, host, dn, made;  // made empty: not valid
  } cases[] = {
      {"LDAP://zZ.test/", "zZ.test", "", "LDAP://zZ.test"},
      {"ldap://dc1.x:636/CN=a/b,DC=x", "dc1.x:636", "CN=a/b,DC=x", "LDAP://dc1.x:636/CN=a/b,DC=x"},
      {"LDAP://OU=R/D,DC=x", "", "OU=R/D,DC=x", "LDAP://OU=R/D,DC=x"},
      {"LDAP://", "", "", ""},
      {"WinNT://x.test/y", "", "", ""},
      {"LDAP://bad host/DC=x", "", "", ""},
  };
  for (const auto& c : cases) {
    const AdsPath p = parseAdsPath(c.path);
    EXPECT_EQ(p.valid, !c.made.isEmpty()) << c.path.toStdString();
    if (!p.valid) continue;
    EXPECT_EQ(p.host + " " + p.dn, c.host + " " + c.dn) << c.path.toStdString();
    EXPECT_EQ(makeAdsPath(p.host, p.dn), c.made) << c.path.toStdString();
  }
}

}  // namespace
}  // namespace quill
