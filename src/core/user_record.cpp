#include "core/user_record.h"

namespace quill {

UserRecord::UserRecord(const QString& line) {
  // A blank line carries no field at all, not one empty field: every step
  // that needs a field of it fails.
  if (line.isEmpty()) return;
  m_fields = line.split(QLatin1Char(','));
  if (m_fields.size() > kFieldCount) m_fields.resize(kFieldCount);
}

}  // namespace quill
