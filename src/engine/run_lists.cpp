#include "engine/run_lists.h"

namespace quill {

void RunList::append(const QString& name) {
  // A name is kept once: a group filled by every person of a department is
  // recorded again after each membership, and the list must not grow with
  // the number of persons.
  const QString folded = name.toCaseFolded();
  if (m_folded.contains(folded)) return;
  m_folded.insert(folded);
  m_names.append(name);
}

void RunList::clear() {
  m_names.clear();
  m_folded.clear();
}

}  // namespace quill
