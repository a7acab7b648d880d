#include "core/dir_object.h"

#include <utility>

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

DirObject DirObject::takeStaged() {
  DirObject changes;
  changes.staged = std::move(staged);
  staged.clear();
  changes.password = std::exchange(password, std::nullopt);
  changes.accountDisabled = std::exchange(accountDisabled, std::nullopt);
  return changes;
}

}  // namespace quill
