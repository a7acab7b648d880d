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

}  // namespace quill
