#include "core/dir_error.h"

namespace quill {

QString errorNumberText(uint32_t number) {
  return QStringLiteral("0x") +
         QString::number(number, 16).rightJustified(8, QLatin1Char('0')).toUpper();
}

QString defaultErrorDescription(uint32_t number) {
  switch (number) {
    case kErrAlreadyExists:
      return QStringLiteral("The object already exists.");
    case kErrAccessDenied:
      return QStringLiteral("Access is denied.");
    case kErrUnwillingToPerform:
      return QStringLiteral("The server is unwilling to process the request.");
    case kErrNoSuchObject:
      return QStringLiteral("There is no such object on the server.");
    case kErrConstraintViolation:
      return QStringLiteral("A constraint violation occurred.");
    case kErrAttributeOrValueExists:
      return QStringLiteral("The specified directory service attribute or value already exists.");
    case kErrInvalidDnSyntax:
      return QStringLiteral("An invalid dn syntax has been specified.");
    case kErrLogonFailure:
      return QStringLiteral("The user name or password is incorrect.");
    case kErrServerDown:
      return QStringLiteral("The server is not operational.");
    case kErrPropertyNotFound:
      return QStringLiteral("The directory property cannot be found in the cache.");
    case kErrNotLeaf:
      return QStringLiteral("The operation cannot be performed on a non-leaf object.");
    case kErrNoAttributeOrValue:
      return QStringLiteral("The requested attribute or value does not exist.");
    default:
      return QStringLiteral("Unspecified error");
  }
}

}  // namespace quill
