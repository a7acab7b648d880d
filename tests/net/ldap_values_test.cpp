#include "net/ldap_values.h"
#include "core/directory_schema.h"

#include <gtest/gtest.h>

#include "support/qt_print.h"

namespace quill {
namespace {

TEST(LdapValues, UnicodePwdIsTheQuotedPasswordInUtf16LittleEndian) {
  struct Case {
    QString password;
    QByteArray bytes;
  };
  const Case cases[] = {
      {QStringLiteral("Ab1!"), QByteArray("\"\0A\0b\0001\0!\0\"\0", 12)},
      {QString(), QByteArray("\"\0\"\0", 4)},
      // Non-ASCII: é is U+00E9, € is U+20AC; a quote inside stays a plain character.
      {QStringLiteral("\u00e9\u20ac\""), QByteArray("\"\0\xe9\0\xac\x20\"\0\"\0", 10)},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(unicodePwdValue(c.password).toHex(' '), c.bytes.toHex(' ')) << c.password.size();
  }
}

TEST(LdapValues, SimpleBindNameFollowsTheDomainForm) {
  struct Case {
    const char* user;
    const char* domain;
    const char* expected;
  };
  const Case cases[] = {
      {"Administrator", "quill.test", "Administrator@quill.test"},
      {"Administrator", "QUILL", "QUILL\\Administrator"},
      {"Administrator", "", "Administrator"},
      {"admin@quill.test", "QUILL", "admin@quill.test"},
      {"QUILL\\admin", "quill.test", "QUILL\\admin"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(simpleBindName(QString::fromUtf8(c.user), QString::fromUtf8(c.domain)),
              QString::fromUtf8(c.expected))
        << c.user << " / " << c.domain;
  }
}

TEST(LdapValues, AccountFilterEscapesTheName) {
  EXPECT_EQ(accountFilter(QStringLiteral("JBond")),
            QStringLiteral("(|(sAMAccountName=JBond)(sAMAccountName=JBond$))"));
  EXPECT_EQ(accountFilter(QStringLiteral("*)(cn=*")),
            QStringLiteral("(|(sAMAccountName=\\2a\\29\\28cn=\\2a)"
                           "(sAMAccountName=\\2a\\29\\28cn=\\2a$))"));
}

TEST(LdapValues, ServerUriTakesPlainHostsAndRefusesAnythingElse) {
  struct Case {
    const char* address;
    bool startTls;
    const char* uri;  // "" when refused
  };
  const Case cases[] = {
      {"dc1.quill.test", false, "ldaps://dc1.quill.test:636"},
      {"dc1.quill.test", true, "ldap://dc1.quill.test:389"},
      {"127.0.0.1:1636", false, "ldaps://127.0.0.1:1636"},
      {"::1", false, "ldaps://[::1]:636"},
      {"[fe80::1]:3269", true, "ldap://[fe80::1]:3269"},
      {"", false, ""},
      {"a b", false, ""},
      {"ldaps://x", false, ""},
      {"x/y", false, ""},
      {"x:0", false, ""},
      {"x:65536", false, ""},
      {"x:ab", false, ""},
      {"x:", false, ""},
      {"[::1", false, ""},
      {"[::1]x", false, ""},
      {"dc1,quill", false, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ldapServerUri(QString::fromUtf8(c.address), c.startTls), QString::fromUtf8(c.uri))
        << c.address;
  }
}

TEST(LdapValues, DomainOfADnComesFromItsDcParts) {
  EXPECT_EQ(domainOfDn(QStringLiteral("OU=a\\,b,OU=x,DC=quill,dc=test")),
            QStringLiteral("quill.test"));
  EXPECT_EQ(domainOfDn(QStringLiteral("CN=Users")), QString());
  EXPECT_EQ(domainOfDn(QStringLiteral("not a dn")), QString());
}

TEST(LdapValues, NewObjectsGetTheClassesAndFlagsOfTheirKind) {
  EXPECT_EQ(objectClassesForNew(QStringLiteral("user")),
            QStringList({"top", "person", "organizationalPerson", "user"}));
  EXPECT_EQ(objectClassesForNew(QStringLiteral("Group")), QStringList({"top", "group"}));
  EXPECT_EQ(objectClassesForNew(QStringLiteral("organizationalUnit")),
            QStringList({"top", "organizationalUnit"}));
  EXPECT_EQ(withAccountDisabled(kNewUserAccountControl, false), 544);
  EXPECT_EQ(withAccountDisabled(512, false), 512);
  EXPECT_EQ(withAccountDisabled(512, true), 514);
}

}  // namespace
}  // namespace quill
