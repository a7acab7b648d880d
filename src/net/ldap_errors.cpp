#include "net/ldap_errors.h"

#include <ldap.h>

namespace quill {

namespace {

// The codes the Windows directory client uses for a lost server, a refused
// connection and a timeout; OpenLDAP reports them as negative client codes.
constexpr int kServerDownCode = 81;
constexpr int kTimeoutCode = 85;
constexpr int kConnectErrorCode = 91;

}  // namespace

uint32_t errorNumberForLdapResult(int resultCode) {
  switch (resultCode) {
    case LDAP_CONSTRAINT_VIOLATION:
      return kErrConstraintViolation;
    case LDAP_TYPE_OR_VALUE_EXISTS:
      return kErrAttributeOrValueExists;
    case LDAP_NO_SUCH_OBJECT:
      return kErrNoSuchObject;
    case LDAP_INVALID_DN_SYNTAX:
      return kErrInvalidDnSyntax;
    case LDAP_INVALID_CREDENTIALS:
      return kErrLogonFailure;
    case LDAP_INSUFFICIENT_ACCESS:
      return kErrAccessDenied;
    case LDAP_UNWILLING_TO_PERFORM:
      return kErrUnwillingToPerform;
    case LDAP_ALREADY_EXISTS:
      return kErrAlreadyExists;
    case LDAP_SERVER_DOWN:
    case LDAP_CONNECT_ERROR:
    case LDAP_TIMEOUT:
    case kServerDownCode:
    case kTimeoutCode:
    case kConnectErrorCode:
      return kErrServerDown;
    default:
      return kErrGeneric;
  }
}

DirError ldapDirError(int resultCode, const QString& resultText, const QString& diagnostic) {
  QString text = resultText.isEmpty()
                     ? defaultErrorDescription(errorNumberForLdapResult(resultCode))
                     : resultText;
  text += QStringLiteral(" (LDAP %1)").arg(resultCode);
  const QString detail = diagnostic.trimmed();
  if (!detail.isEmpty()) text += QStringLiteral(": ") + detail;
  return DirError{errorNumberForLdapResult(resultCode), text};
}

}  // namespace quill
