#pragma once

#include <QIcon>
#include <vector>

namespace quill {

// The pictures of the OU browser, drawn rather than loaded so the program
// carries no image files.
// ImageList1: index 0 (image 1) a container, index 1 (image 2) the way up.
using ImageList = std::vector<QIcon>;
ImageList makeBrowseImageList();

// The picture buttons beside the current container: a new OU, and accept.
QIcon drawNewOuIcon();
QIcon drawAcceptIcon();

}  // namespace quill
