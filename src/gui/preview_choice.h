#pragma once

#include <optional>

#include "core/run_options.h"

namespace quill {

// Which preview picture the options call for; nullopt when no picture fits.
// Qt Core only.

// "OU's Preview": pictures 0 to 9.
std::optional<int> previewForOUs(const RunOptions& options);

// "Groups Preview": pictures 10 to 15.
std::optional<int> previewForGroups(const RunOptions& options);

// "Folders Preview": pictures 16 to 26, one per row of the folder plan.
std::optional<int> previewForFolders(const RunOptions& options);

}  // namespace quill
