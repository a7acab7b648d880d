#pragma once

#include <QPixmap>

namespace quill {

// The program's logo, size x size pixels: a quill over a small tree of
// folders, drawn here so the program ships no image files.
QPixmap drawLogo(int size);

}  // namespace quill
