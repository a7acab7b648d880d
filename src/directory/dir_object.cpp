#include "directory/dir_object.h"

namespace quill {

void DirObject::stage(const QString& attribute, const QStringList& values) {
  for (StagedValue& s : staged) {
    if (s.attribute.compare(attribute, Qt::CaseInsensitive) == 0) {
      s.values = values;
      return;
    }
  }
  staged.push_back(StagedValue{attribute, values});
}

std::optional<QString> DirObject::stagedValue(const QString& attribute) const {
  for (const StagedValue& s : staged) {
    if (s.attribute.compare(attribute, Qt::CaseInsensitive) == 0 && !s.values.isEmpty()) {
      return s.values.front();
    }
  }
  return std::nullopt;
}

}  // namespace quill
