#include "core/dn.h"

#include <gtest/gtest.h>

#include "support/qt_print.h"

namespace quill {
namespace {

// Values a user list may hold; each must come back from a DN as exactly one
// RDN with exactly this value.
const QString kHostileValues[] = {
    "Sales",           "a,b",          "a+b",
    "say \"hi\"",      "back\\slash",  "#first",
    " leading",        "trailing ",    "  ",
    "Sales,OU=Evil",   "R&D \"West\"", "<tag>;",
    "Müller Größe",    "日本",         QStringView(u"nul\0in", 6).toString(),
    "=equals=",        "a/b",          "#",
    "\xF0\x9F\x98\x80"};

TEST(DnEscapeTest, HostileValuesRoundTripAsOneRdn) {
  for (const QString& value : kHostileValues) {
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

TEST(DnEscapeTest, EscapesOnlyWhatMustBeEscaped) {
  const struct {
    QString value, escaped;
  } cases[] = {{"a,b+c", "a\\,b\\+c"},
               {" x ", "\\ x\\ "},
               {"#x#", "\\#x#"},
               {"x\\\"<>;", "x\\\\\\\"\\<\\>\\;"},
               {"Müller", "Müller"},
               {"a=b", "a=b"},
               {QStringView(u"\0", 1).toString(), "\\00"}};
  for (const auto& c : cases)
    EXPECT_EQ(escapeDnValue(c.value), c.escaped) << c.escaped.toStdString();
}

TEST(DnEscapeTest, FilterValuesAreEscaped) {
  EXPECT_EQ(escapeFilterValue("*)(uid=*"), "\\2a\\29\\28uid=\\2a");
  EXPECT_EQ(escapeFilterValue("a\\b"), "a\\5cb");
  EXPECT_EQ(escapeFilterValue(QStringView(u"x\0", 2).toString()), "x\\00");
  EXPECT_EQ(escapeFilterValue("Müller"), "Müller");
}

TEST(DnParseTest, AcceptsEscapesHexAndMultiValuedRdns) {
  const struct {
    QString dn;
    QString firstType, firstValue;
    size_t count;
  } cases[] = {
      {"CN=M\\C3\\BCller,DC=x", "CN", "Müller", 2},
      {"cn=a\\2Cb , dc=x", "cn", "a,b", 2},
      {"CN=#0C03616263,DC=x", "CN", "abc", 2},
      {"CN=x+UID=7,DC=y", "CN", "x", 2},
      {"  OU=Sales  ", "OU", "Sales", 1},
      {"2.5.4.3=z", "2.5.4.3", "z", 1},
      {"CN=a\\ ", "CN", "a ", 1},
  };
  for (const auto& c : cases) {
    const auto rdns = parseDn(c.dn);
    ASSERT_TRUE(rdns) << c.dn.toStdString();
    ASSERT_EQ(rdns->size(), c.count) << c.dn.toStdString();
    EXPECT_EQ((*rdns)[0][0].type, c.firstType) << c.dn.toStdString();
    EXPECT_EQ((*rdns)[0][0].value, c.firstValue) << c.dn.toStdString();
  }
  EXPECT_EQ(parseDn("")->size(), 0u);
  EXPECT_EQ(parseDn("CN=x+UID=7")->front().size(), 2u);
}

TEST(DnParseTest, RejectsMalformedDns) {
  const QString bad[] = {"CN",       "=x",         "CN=a,",
                         ",CN=a",    "CN=a,,DC=x", "CN=a\\",
                         "CN=a\\zz", "CN=a\"b",    "CN=a;DC=x",
                         "CN=<x>",   "C N=x",      "1cn=x",
                         "CN=#0C",   "CN=#zz",     "CN=#04026162 x",
                         "CN=\\C3",  "CN=\\C3x",   "CN=\\FF\\FE",
                         "CN=a+",    "-x=y",       QStringView(u"CN=a\0b", 6).toString()};
  for (const QString& dn : bad) {
    EXPECT_FALSE(parseDn(dn)) << dn.toStdString();
    EXPECT_TRUE(normalizeDn(dn).isEmpty()) << dn.toStdString();
  }
}

TEST(DnNormalizeTest, EqualNamesCompareEqual) {
  EXPECT_EQ(normalizeDn("OU=Müller,DC=Example,DC=Test"),
            normalizeDn("ou=MÜLLER, dc=example,dc=TEST"));
  EXPECT_EQ(normalizeDn("CN=a\\,b,DC=x"), normalizeDn("CN=a\\2Cb,DC=x"));
  // NFC and NFD spellings of ü are one name.
  EXPECT_EQ(normalizeDn(QString::fromUtf8("OU=M\xC3\xBCller")),
            normalizeDn(QString::fromUtf8("OU=Mu\xCC\x88ller")));
  EXPECT_EQ(normalizeDn("CN=x+UID=7"), normalizeDn("uid=7+cn=X"));
  EXPECT_NE(normalizeDn("CN=a b"), normalizeDn("CN=ab"));
  EXPECT_NE(normalizeDn("CN=a\\,OU=b"), normalizeDn("CN=a,OU=b"));
}

TEST(DnParentTest, KeepsTheTextAsWritten) {
  EXPECT_EQ(parentDn("CN=a\\2Cb,OU=R\\+D,DC=x"), "OU=R\\+D,DC=x");
  EXPECT_EQ(parentDn("OU=Sales"), "");
  EXPECT_EQ(parentDn("not a dn"), "");
  EXPECT_EQ(firstRdnText(" OU=Sales ,DC=x"), "OU=Sales");
  EXPECT_EQ(firstRdnText("CN=x+UID=7,DC=y"), "CN=x+UID=7");
}

}  // namespace
}  // namespace quill
