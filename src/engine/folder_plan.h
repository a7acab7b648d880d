#pragma once

namespace quill {

class RunContext;

// Creates the run-wide folders (single public folder, central private
// container) and sets the department folder roots of context by the folder
// options. 0 lets the run go on; any other value ends it.
int BuildFolderPlan(RunContext& context);

}  // namespace quill
