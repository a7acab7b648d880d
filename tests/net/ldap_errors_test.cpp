#include "net/ldap_errors.h"

#include <gtest/gtest.h>

#include "support/qt_print.h"

namespace quill {
namespace {

TEST(LdapErrors, ResultCodesBecomeTheNumbersCallersCompare) {
  struct Case {
    int code;
    uint32_t number;
  };
  const Case cases[] = {
      {19, 0x8007202F},   // constraint violation (a password refused by older Samba)
      {20, 0x8007200D},   // attribute or value exists
      {32, 0x80072030},   // no such object
      {34, 0x80072032},   // invalid DN syntax
      {49, 0x8007052E},   // invalid credentials
      {50, 0x80070005},   // insufficient access
      {53, 0x80072035},   // unwilling to perform
      {68, 0x80071392},   // already exists (also a duplicate member or sAMAccountName)
      {81, 0x8007203A},   // server down, as the Windows client numbers it
      {-1, 0x8007203A},   // server down, as libldap numbers it
      {-5, 0x8007203A},   // timeout
      {-11, 0x8007203A},  // connect error (refused, TLS failure)
      {1, 0x80004005},    // operations error
      {4, 0x80004005},    // size limit exceeded
      {21, 0x80004005},   // invalid attribute syntax
      {65, 0x80004005},   // object class violation
      {-7, 0x80004005},   // filter error
  };
  for (const Case& c : cases) {
    EXPECT_EQ(errorNumberForLdapResult(c.code), c.number) << "code " << c.code;
  }
}

TEST(LdapErrors, DescriptionKeepsLibraryTextCodeAndServerMessage) {
  const DirError e = ldapDirError(
      53, QStringLiteral("Server is unwilling to perform"),
      QStringLiteral("0000052D: Constraint violation - check_password_restrictions\n"));
  EXPECT_EQ(e.number, kErrUnwillingToPerform);
  EXPECT_EQ(e.description,
            QStringLiteral("Server is unwilling to perform (LDAP 53): 0000052D: Constraint "
                           "violation - check_password_restrictions"));

  const DirError bare = ldapDirError(68, QStringLiteral("Already exists"), QString());
  EXPECT_EQ(bare.description, QStringLiteral("Already exists (LDAP 68)"));

  // Without a library text the usual description of the number stands in.
  const DirError noText = ldapDirError(-1, QString(), QStringLiteral("  "));
  EXPECT_EQ(noText.description, QStringLiteral("The server is not operational. (LDAP -1)"));
}

}  // namespace
}  // namespace quill
