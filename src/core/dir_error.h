#pragma once

#include <QString>
#include <cstdint>

namespace quill {

// Error numbers callers compare by value. They are the numbers the Windows
// directory client reports, so log lines and tests read the same everywhere.
inline constexpr uint32_t kErrAlreadyExists = 0x80071392;
inline constexpr uint32_t kErrAccessDenied = 0x80070005;
inline constexpr uint32_t kErrUnwillingToPerform = 0x80072035;
inline constexpr uint32_t kErrNoSuchObject = 0x80072030;
inline constexpr uint32_t kErrConstraintViolation = 0x8007202F;
inline constexpr uint32_t kErrAttributeOrValueExists = 0x8007200D;
inline constexpr uint32_t kErrInvalidDnSyntax = 0x80072032;
inline constexpr uint32_t kErrLogonFailure = 0x8007052E;
inline constexpr uint32_t kErrServerDown = 0x8007203A;
inline constexpr uint32_t kErrGeneric = 0x80004005;
// Get of an attribute the object does not have.
inline constexpr uint32_t kErrPropertyNotFound = 0x8000500D;
// A delete of an object that still has children.
inline constexpr uint32_t kErrNotLeaf = 0x80072015;
// A value to remove that the attribute does not hold.
inline constexpr uint32_t kErrNoAttributeOrValue = 0x8007200A;

// A directory failure: its number and the description that goes into log lines.
struct DirError {
  uint32_t number = 0;
  QString description;
};

// The pending-error accumulator every directory call takes. A failing call
// replaces the pending error; a successful call leaves it alone, so a caller
// clears it, runs a sequence of operations and tests once at the end.
class PendingError {
 public:
  void clear() { m_error = DirError{}; }
  void set(uint32_t number, const QString& description) { m_error = DirError{number, description}; }
  void set(const DirError& error) { m_error = error; }
  [[nodiscard]] bool isSet() const { return m_error.number != 0; }
  [[nodiscard]] uint32_t number() const { return m_error.number; }
  [[nodiscard]] const QString& description() const { return m_error.description; }
  [[nodiscard]] const DirError& error() const { return m_error; }

 private:
  DirError m_error;
};

// "0x80071392" style text of an error number, for descriptions and messages.
QString errorNumberText(uint32_t number);

// The directory client's usual description of number ("The object already
// exists."), or "Unspecified error" for a number without one of its own.
QString defaultErrorDescription(uint32_t number);

}  // namespace quill
