#pragma once

#include <QString>
#include <QStringList>

namespace quill {

// One data line of the user list, split at every comma with no quoting and
// no trimming. Fields are numbered from 1: first name, last name,
// description, department, duty, telephone. A short line has fewer fields;
// fields after the sixth are dropped.
class UserRecord {
 public:
  static constexpr int kFieldCount = 6;
  // The fields by their place on the line.
  enum Field { FirstName = 1, LastName, Description, Department, Duty, Telephone };

  UserRecord() = default;
  explicit UserRecord(const QString& line);

  // True when field n (1-based) is present on the line.
  bool has(int n) const { return n >= 1 && n <= m_fields.size(); }
  // Field n (1-based); empty when it is missing. Check has() where a missing
  // field must be told apart from an empty one.
  QString field(int n) const { return has(n) ? m_fields.at(n - 1) : QString(); }
  int fieldCount() const { return static_cast<int>(m_fields.size()); }

  QString firstName() const { return field(FirstName); }
  QString lastName() const { return field(LastName); }
  QString description() const { return field(Description); }
  QString department() const { return field(Department); }
  QString duty() const { return field(Duty); }
  QString telephone() const { return field(Telephone); }

 private:
  QStringList m_fields;
};

// The description of the failure to read a field that the line lacks.
inline constexpr const char* kMissingFieldDescription = "Subscript out of range";

}  // namespace quill
