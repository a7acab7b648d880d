#include "sandbox/ldif.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include "core/dn.h"
#include "sandbox/memory_directory.h"
#include "support/qt_print.h"

namespace quill {
namespace {

TEST(LdifTest, WriterEncodesWhatIsNotASafeString) {
  const struct {
    QString value;
    bool plain;
  } cases[] = {{"Sales", true},
               {"a: b", true},
               {"", true},
               {" lead", false},
               {":colon", false},
               {"<url", false},
               {"trail ", false},
               {"Müller", false},
               {"a\nb", false},
               {"a\rb", false},
               {QStringView(u"a\0b", 3).toString(), false}};
  for (const auto& c : cases) {
    QByteArray out;
    appendLdifLine(out, "description", c.value);
    EXPECT_EQ(out.startsWith("description:: "), !c.plain) << out.toStdString();
    QString error;
    const auto records = parseLdif("dn: CN=x\n" + out, &error);
    ASSERT_TRUE(records) << error.toStdString();
    ASSERT_EQ(records->front().attributes.size(), 1u);
    EXPECT_EQ(records->front().attributes[0].value, c.value) << out.toStdString();
  }
}

TEST(LdifTest, ReaderUnfoldsSkipsCommentsAndSplitsRecords) {
  const QByteArray text =
      "version: 1\r\n"
      "# a comment\n"
      "  that is folded\n"
      "dn: OU=Sa\n"
      " les,DC=x\n"
      "ou:: U2FsZXM=\n"
      "description:   padded\n"
      "\n\n"
      "dn:: Q049TcO8bGxlcixEQz14\n"
      "objectClass: top\n";
  QString error;
  const auto records = parseLdif(text, &error);
  ASSERT_TRUE(records) << error.toStdString();
  ASSERT_EQ(records->size(), 2u);
  EXPECT_EQ((*records)[0].dn, "OU=Sales,DC=x");
  EXPECT_EQ((*records)[0].attributes[0].value, "Sales");
  EXPECT_EQ((*records)[0].attributes[1].value, "padded");
  EXPECT_EQ((*records)[1].dn, "CN=Müller,DC=x");
  EXPECT_EQ((*records)[1].line, 10);
}

TEST(LdifTest, ReaderRejectsMalformedInput) {
  const QByteArray bad[] = {" continuation first\n",
                            "objectClass: top\n",
                            "dn: x\nno colon\n",
                            "dn: x\nchangetype: add\n",
                            "dn: x\ncn:< file:///etc/passwd\n",
                            "dn:: !!!\n",
                            "dn: x\ncn:: /w==\n",
                            "version: 2\ndn: x\n",
                            "dn: x\nbad name: y\n",
                            QByteArray("dn: x\ncn: a\0b\n", 14)};
  for (const QByteArray& text : bad) {
    QString error;
    EXPECT_FALSE(parseLdif(text, &error)) << text.toStdString();
    EXPECT_TRUE(error.startsWith("line ")) << error.toStdString();
  }
}

TEST(MemoryDirectoryLdifTest, HostileNamesSurviveSaveAndLoad) {
  MemoryDirectory dir("example.test");
  dir.addBaseEntries();
  PendingError err;
  auto root = dir.Bind("LDAP://example.test", err);
  QStringList dns;
  for (const QString name : {"Sales,OU=Evil", "R&D \"West\"", "#1 ", " Müller", "a\nb"}) {
    auto ou = dir.Create(*root, "organizationalUnit", "OU=" + escapeDnValue(name), err);
    dir.Put(*ou, "description", "about " + name);
    dir.SetInfo(*ou, err);
    auto user = dir.Create(*ou, "user", "CN=" + escapeDnValue(name + "+x"), err);
    dir.Put(*user, "sAMAccountName", QString::number(dns.size()) + "ü");
    dir.SetPassword(*user, "secret");
    dir.SetInfo(*user, err);
    auto group = dir.Bind("LDAP://example.test/CN=Domain Users,CN=Users,DC=example,DC=test", err);
    dir.Add(*group, "LDAP://example.test/" + user->dn, err);
    dns << ou->dn << user->dn;
  }
  ASSERT_FALSE(err.isSet()) << err.description().toStdString();

  QString error;
  MemoryDirectory loaded("unused.test");
  ASSERT_TRUE(loaded.fromLdif(dir.toLdif(), &error)) << error.toStdString();

  EXPECT_EQ(loaded.domainFqdn(), "example.test");
  EXPECT_EQ(loaded.entryCount(), dir.entryCount());
  EXPECT_EQ(loaded.toLdif(), dir.toLdif());
  EXPECT_EQ(loaded.childDns(dir.rootDn()), dir.childDns(dir.rootDn()));
  for (const QString& dn : dns) {
    EXPECT_TRUE(loaded.contains(dn)) << dn.toStdString();
    EXPECT_EQ(loaded.values(dn, "description"), dir.values(dn, "description"));
  }
  EXPECT_TRUE(loaded.checkPassword(dns[1], "secret"));
  EXPECT_TRUE(loaded.AccountExists("example.test", "4Ü"));
  auto group = loaded.Bind("LDAP://example.test/CN=Domain Users,CN=Users,DC=example,DC=test", err);
  loaded.Add(*group, "LDAP://example.test/" + dns[3], err);
  EXPECT_EQ(err.number(), kErrAlreadyExists);
}

TEST(MemoryDirectoryLdifTest, FailedLoadLeavesTheContentUnchanged) {
  MemoryDirectory dir("example.test");
  dir.addBaseEntries();
  const QByteArray before = dir.toLdif();
  const QByteArray head = "dn: DC=other,DC=test\nobjectClass: domainDNS\n\n";
  const QByteArray bad[] = {
      head + "dn: OU=x,OU=Missing,DC=other,DC=test\nobjectClass: organizationalUnit\n",
      head +
          "dn: CN=a,DC=other,DC=test\nobjectClass: user\nsAMAccountName: a\n\n"
          "dn: CN=b,DC=other,DC=test\nobjectClass: group\nsAMAccountName: A\n",
      head +
          "dn: cn=A,DC=other,DC=test\nobjectClass: top\n\ndn: CN=a,dc=Other,DC=test\n"
          "objectClass: top\n",
      head + "dn: CN=a,DC=other,DC=test\nobjectClass: user\nunicodePwd: x\n",
      head + "dn: CN=a,DC=other,DC=test\n",
      "dn: OU=NotADomain\nobjectClass: top\n",
      "",
      "garbage"};
  for (const QByteArray& text : bad) {
    QString error;
    EXPECT_FALSE(dir.fromLdif(text, &error)) << text.toStdString();
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(dir.toLdif(), before);
    EXPECT_EQ(dir.domainFqdn(), "example.test");
  }
  EXPECT_EQ(dir.toLdif(), before);
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
    for (int i = 0; i < edits && !data.isEmpty(); ++i) {
      const auto at = random.bounded(static_cast<int>(data.size()));
      data[at] = static_cast<char>(random.bounded(256));
    }
    return data;
  };
  int acceptedLdif = 0;
  for (int round = 0; round < 400; ++round) {
    QByteArray noise(random.bounded(64), '\0');
    for (char& c : noise) c = static_cast<char>(random.bounded(256));
    for (const QByteArray& dnBytes : {noise, mutate(seedDn)}) {
      const QString dn = QString::fromUtf8(dnBytes);
      if (const auto rdns = parseDn(dn)) {
        const auto again = parseDn(formatDn(*rdns));
        ASSERT_TRUE(again) << dnBytes.toHex().toStdString();
        EXPECT_EQ(formatDn(*again), formatDn(*rdns));
      }
    }
    for (const QByteArray& text : {noise, mutate(seedLdif)}) {
      MemoryDirectory dir("example.test");
      QString error;
      if (!dir.fromLdif(text, &error)) continue;
      ++acceptedLdif;
      MemoryDirectory again("example.test");
      ASSERT_TRUE(again.fromLdif(dir.toLdif(), &error)) << error.toStdString();
      EXPECT_EQ(again.toLdif(), dir.toLdif());
    }
  }
  EXPECT_GT(acceptedLdif, 0);  // some damage (inside a value) is still valid LDIF
}

}  // namespace
}  // namespace quill
