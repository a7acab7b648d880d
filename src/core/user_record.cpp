#include "core/user_record.h"

#include "core/names.h"

namespace quill {

UserRecord::UserRecord(const QString& line) {
  // A blank line carries no field at all, not one empty field: every step
  // that needs a field of it fails.
  if (line.isEmpty()) return;
  m_fields = line.split(QLatin1Char(','));
  if (m_fields.size() > kFieldCount) m_fields.resize(kFieldCount);
  // One spelling for every name the run compares or makes: a department typed
  // once composed and once decomposed is one department.
  for (QString& field : m_fields) field = normalizedName(field);
}

}  // namespace quill
