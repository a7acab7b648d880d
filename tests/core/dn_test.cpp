#include "core/dn.h"

#include <gtest/gtest.h>

#include "support/qt_print.h"

namespace quill {
namespace {

QString withNul(const char16_t* text, qsizetype size) { return QStringView(text, size).toString(); }

// Values a user list may hold; each must come back from a DN as exactly one
// RDN with exactly this value.
TEST(DnEscapeTest, HostileValuesRoundTripAsOneRdn) {
  // clang-format off
  const QString values[] = {"a,b", "a+b", "say \"hi\"", "back\\slash", "#first", " leading",
                            "trailing ", "  ", "Sales,OU=Evil", "<tag>;", "Müller", "日本",
                            "=equals=", "a/b", "#", "\xF0\x9F\x98\x80", withNul(u"nul\0in", 6)};
  // clang-format on
  for (const QString& value : values) {
    const QString dn = "CN=" + escapeDnValue(value) + ",OU=Users,DC=example,DC=test";
    const std::optional<std::vector<Rdn>> rdns = parseDn(dn);
    ASSERT_TRUE(rdns) << dn.toStdString();
    ASSERT_EQ(rdns->size(), 4u) << dn.toStdString();
    ASSERT_EQ((*rdns)[0].size(), 1u) << dn.toStdString();
    EXPECT_EQ((*rdns)[0][0].value, value) << dn.toStdString();
    EXPECT_EQ(formatDn(*rdns), dn);
    EXPECT_EQ(firstRdnText(dn), "CN=" + escapeDnValue(value));
    EXPECT_EQ(parentDn(dn), "OU=Users,DC=example,DC=test");
  }
}

TEST(DnEscapeTest, EscapesOnlyWhatMustBeEscapedAndFiltersTheirOwn) {
  const struct {
    QString value, escaped;
  } cases[] = {{"a,b+c", "a\\,b\\+c"},
               {" x ", "\\ x\\ "},
               {"#x#", "\\#x#"},
               {"Müller", "Müller"},
               {"x\\\"<>;", "x\\\\\\\"\\<\\>\\;"},
               {"a=b", "a=b"},
               {withNul(u"\0", 1), "\\00"}};
  for (const auto& c : cases)
    EXPECT_EQ(escapeDnValue(c.value), c.escaped) << c.escaped.toStdString();
  EXPECT_EQ(escapeFilterValue("*)(uid=*"), "\\2a\\29\\28uid=\\2a");
  EXPECT_EQ(escapeFilterValue(withNul(u"a\\b\0Ü", 5)), "a\\5cb\\00Ü");
}

TEST(DnParseTest, AcceptsEscapesHexAndMultiValuedRdns) {
  const struct {
    QString dn;
    QString firstType, firstValue;
    size_t count, parts;  // RDNs, and parts of the first RDN
  } cases[] = {
      // clang-format off
      {"CN=M\\C3\\BCller,DC=x", "CN", "Müller", 2, 1}, {"cn=a\\2Cb , dc=x", "cn", "a,b", 2, 1},
      {"CN=#0C03616263,DC=x", "CN", "abc", 2, 1},      {"CN=#0C0130+UID=7", "CN", "0", 1, 2},
      {"CN=x+UID=7,DC=y", "CN", "x", 2, 2},            {"  OU=Sales  ", "OU", "Sales", 1, 1},
      {"2.5.4.3=z", "2.5.4.3", "z", 1, 1},             {"CN=a\\ ", "CN", "a ", 1, 1},
      // clang-format on
  };
  for (const auto& c : cases) {
    const auto rdns = parseDn(c.dn);
    ASSERT_TRUE(rdns) << c.dn.toStdString();
    ASSERT_EQ(rdns->size(), c.count) << c.dn.toStdString();
    EXPECT_EQ((*rdns)[0].size(), c.parts) << c.dn.toStdString();
    EXPECT_EQ((*rdns)[0][0].type, c.firstType) << c.dn.toStdString();
    EXPECT_EQ((*rdns)[0][0].value, c.firstValue) << c.dn.toStdString();
  }
  EXPECT_EQ(parseDn("")->size(), 0u);
  // A "#" value is a BER string of one of the string types, of definite length.
  for (const char* tag : {"04", "0C", "13", "14", "16", "1A"})
    EXPECT_EQ(normalizeDn("CN=#" + QString(tag) + "0161"), "cn=a") << tag;
  for (const char* tag : {"02", "30", "1C"})
    EXPECT_FALSE(parseDn("CN=#" + QString(tag) + "0161")) << tag;
}

TEST(DnParseTest, RejectsMalformedDns) {
  // clang-format off
  const QString bad[] = {"CN", "=x", "CN=a,", ",CN=a", "CN=a,,DC=x", "CN=a\\", "CN=a\\zz",
                         "CN=a\"b", "CN=a;DC=x", "CN=<x>", "C N=x", "1cn=x", "CN=#0C", "CN=#zz",
                         "CN=#04026162 x", "CN=#0C026", "CN=\\C3", "CN=\\C3x", "CN=\\FF\\FE",
                         "CN=a+", "-x=y", withNul(u"CN=a\0b", 6)};
  // clang-format on
  for (const QString& dn : bad) {
    EXPECT_FALSE(parseDn(dn)) << dn.toStdString();
    EXPECT_TRUE(normalizeDn(dn).isEmpty()) << dn.toStdString();
  }
}

TEST(DnNormalizeTest, EqualNamesCompareEqualAndParentsKeepTheirText) {
  EXPECT_EQ(normalizeDn("OU=Müller,DC=Example,DC=Test"),
            normalizeDn("ou=MÜLLER, dc=example,dc=TEST"));
  EXPECT_EQ(normalizeDn("CN=a\\,b,DC=x"), normalizeDn("CN=a\\2Cb,DC=x"));
  // NFC and NFD spellings of ü are one name.
  EXPECT_EQ(normalizeDn(QString::fromUtf8("OU=M\xC3\xBCller")),
            normalizeDn(QString::fromUtf8("OU=Mu\xCC\x88ller")));
  EXPECT_EQ(normalizeDn("CN=x+UID=7"), normalizeDn("uid=7+cn=X"));
  EXPECT_NE(normalizeDn("CN=a b"), normalizeDn("CN=ab"));
  EXPECT_NE(normalizeDn("CN=a\\,OU=b"), normalizeDn("CN=a,OU=b"));
  EXPECT_EQ(parentDn("CN=a\\2Cb,OU=R\\+D,DC=x"), "OU=R\\+D,DC=x");
  EXPECT_EQ(parentDn("OU=Sales"), "");
  EXPECT_EQ(parentDn("not a dn"), "");
  EXPECT_EQ(firstRdnText(" OU=Sales ,DC=x"), "OU=Sales");
  EXPECT_EQ(firstRdnText("CN=x+UID=7,DC=y"), "CN=x+UID=7");
  EXPECT_EQ(dnText("  OU=a\\ , DC=x  "), "OU=a\\ , DC=x");
  EXPECT_EQ(dnText("not a dn"), "");
}

}  // namespace
}  // namespace quill
