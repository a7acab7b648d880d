#include "sandbox/ldif.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>

#include "core/dn.h"
#include "sandbox/memory_directory.h"
#include "support/qt_print.h"

namespace quill {
namespace {

QByteArray appendedDnLine(const QString& dn) {
  QByteArray line;
  appendLdifLine(line, "dn", dn);
  return line;
}

// What the writer writes reads back: the random-input test below shows it.
TEST(LdifTest, WriterEncodesWhatIsNotASafeString) {
  const QString nul = QStringView(u"a\0b", 3).toString();
  // clang-format off
  const struct {
    QString value;
    bool plain;
  } cases[] = {{"Sales", true}, {"a: b", true}, {"", true}, {" lead", false}, {":colon", false},
               {"<url", false}, {"trail ", false}, {"Müller", false}, {"a\nb", false},
               {"a\rb", false}, {nul, false}};
  // clang-format on
  for (const auto& c : cases) {
    QByteArray out;
    appendLdifLine(out, "description", c.value);
    EXPECT_EQ(out.startsWith("description:: "), !c.plain) << out.toStdString();
  }
}

TEST(LdifTest, ReaderUnfoldsSkipsCommentsAndSplitsRecords) {
  // An empty first line, a comment with its continuation, folded lines, base64.
  const QByteArray text =
      "\nversion: 1\r\n# a comment\n  that is folded\ndn: OU=Sa\n les,DC=x\n"
      "ou;lang-en:: U2FsZXM=\ndescription:   padded\n\n\ndn:: Q049TcO8bGxlcixEQz14\n2.5.4.3: top\n";
  QString error;
  const auto records = parseLdif(text, &error);
  ASSERT_TRUE(records) << error.toStdString();
  ASSERT_EQ(records->size(), 2u);
  EXPECT_EQ((*records)[0].dn, "OU=Sales,DC=x");
  EXPECT_EQ((*records)[0].line, 5);
  EXPECT_EQ((*records)[0].attributes[0].name, "ou;lang-en");
  EXPECT_EQ((*records)[0].attributes[0].value, "Sales");
  EXPECT_EQ((*records)[0].attributes[1].value, "padded");
  EXPECT_EQ((*records)[1].dn, "CN=Müller,DC=x");
  EXPECT_EQ((*records)[1].line, 11);
  EXPECT_EQ((*records)[1].attributes[0].name, "2.5.4.3");
}

TEST(LdifTest, ReaderRejectsMalformedInput) {
  // clang-format off
  const QByteArray bad[] = {" continuation first\n", "\n continuation after a blank line\n",
                            "objectClass: top\n", "dn: x\nno colon\n", "dn: x\nchangetype: add\n",
                            "dn: x\ncn:< file:///etc/passwd\n", "dn:: !!!\n", "dn: x\ncn:: /w==\n",
                            "version: 2\ndn: x\n", "dn: x\nbad name: y\n", "dn: x\ncn;: y\n",
                            "dn: x\n;lang: y\n", "dn: x\ncn;;lang: y\n", "dn: x\ncn;l@ng: y\n",
                            QByteArray("dn: x\ncn: a\0b\n", 14)};
  // clang-format on
  for (const QByteArray& text : bad) {
    QString error;
    EXPECT_FALSE(parseLdif(text, &error)) << text.toStdString();
    EXPECT_TRUE(error.startsWith("line ")) << error.toStdString();
  }
}

TEST(MemoryDirectoryLdifTest, FailedLoadLeavesTheContentUnchanged) {
  MemoryDirectory dir("example.test");
  dir.addBaseEntries();
  const QByteArray before = dir.toLdif();
  const QByteArray head =
      "dn: DC=other,DC=test\nobjectClass: domainDNS\n\ndn: CN=a,DC=other,DC=test\n";
  const QByteArray next = "\n\ndn: CN=b,DC=other,DC=test\nobjectClass: ";
  // clang-format off
  const QByteArray bad[] = {
      head + "objectClass: top\n\ndn: OU=x,OU=Missing,DC=other,DC=test\nobjectClass: top\n",
      head + "objectClass: user\nsAMAccountName: a" + next + "group\nsAMAccountName: A\n",
      head + "objectClass: top\n\ndn: cn=A,dc=Other,DC=test\nobjectClass: top\n",
      head + "objectClass: user\nunicodePwd: x\n", head, "dn: OU=NotADomain\nobjectClass: top\n",
      "", "garbage"};
  // clang-format on
  for (const QByteArray& text : bad) {
    QString error;
    EXPECT_FALSE(dir.fromLdif(text, &error) || error.isEmpty()) << text.toStdString();
    EXPECT_EQ(dir.toLdif(), before);
    EXPECT_EQ(dir.domainFqdn(), "example.test");
  }
}

// Blanks a DN escapes belong to it; blanks around it do not. Either way the
// directory written out loads again to the same text.
TEST(MemoryDirectoryLdifTest, DomainRootKeepsItsEscapedBlanks) {
  const struct {
    QByteArray dnLine;
    QString dn;
  } cases[] = {{"dn: DC=a\\ \n", "DC=a\\ "},
               {"dn::IERDPWEgICA=\n", "DC=a"},  // " DC=a   "
               {"dn: DC=a\\20,DC=b\n", "DC=a\\20,DC=b"}};
  for (const auto& c : cases) {
    MemoryDirectory dir("example.test"), again("example.test");
    QString error;
    ASSERT_TRUE(dir.fromLdif(c.dnLine + "objectClass: domainDNS\n", &error)) << error.toStdString();
    EXPECT_TRUE(dir.toLdif().contains(appendedDnLine(c.dn))) << dir.toLdif().toStdString();
    ASSERT_TRUE(again.fromLdif(dir.toLdif(), &error)) << error.toStdString();
    EXPECT_EQ(again.toLdif(), dir.toLdif());
  }
}

// Garbage and damaged copies of valid input never crash the parsers, and
// whatever they accept survives a second trip through writer and reader.
TEST(DnAndLdifRobustnessTest, RandomInputIsRejectedOrRoundTrips) {
  MemoryDirectory sample("example.test");
  sample.addBaseEntries();
  const QByteArray seedLdif = sample.toLdif();
  const QByteArray seedDn = "CN=a\\2Cb+UID=#0C0178,OU=R\\+D, DC=example,DC=test";
  QRandomGenerator random(20240611);
  auto mutate = [&random](QByteArray data) {
    const int edits = 1 + random.bounded(8);
    for (int i = 0; i < edits && !data.isEmpty(); ++i)
      data[random.bounded(static_cast<int>(data.size()))] = static_cast<char>(random.bounded(256));
    return data;
  };
  int acceptedLdif = 0;
  for (int round = 0; round < 400; ++round) {
    QByteArray noise(random.bounded(64), '\0');
    for (char& c : noise) c = static_cast<char>(random.bounded(256));
    for (const QByteArray& dnBytes : {noise, mutate(seedDn)}) {
      if (const auto rdns = parseDn(QString::fromUtf8(dnBytes))) {
        const auto again = parseDn(formatDn(*rdns));
        ASSERT_TRUE(again) << dnBytes.toHex().toStdString();
        EXPECT_EQ(formatDn(*again), formatDn(*rdns));
      }
    }
    for (const QByteArray& text : {noise, mutate(seedLdif)}) {
      MemoryDirectory dir("example.test"), again("example.test");
      QString error;
      if (!dir.fromLdif(text, &error)) continue;
      ++acceptedLdif;
      ASSERT_TRUE(again.fromLdif(dir.toLdif(), &error)) << error.toStdString();
      EXPECT_EQ(again.toLdif(), dir.toLdif());
    }
  }
  EXPECT_GT(acceptedLdif, 0);  // some damage (inside a value) is still valid LDIF
}

}  // namespace
}  // namespace quill
