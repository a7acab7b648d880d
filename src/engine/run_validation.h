#pragma once

namespace quill {

class RunContext;

// Result codes of ValidateRunOptions.
inline constexpr int kValidationOk = 0;
inline constexpr int kValidationNoSysvol = 1;
inline constexpr int kValidationPasswordsDiffer = 2;
inline constexpr int kValidationNoFolderRoot = 3;
inline constexpr int kValidationFolderRootMissing = 4;
inline constexpr int kValidationOuPathEmpty = 5;
inline constexpr int kValidationRootNotUnc = 6;
inline constexpr int kValidationNoUserList = 7;

// Checks the options before a run, in a fixed order, stopping at the first
// failure with its message; empties the run lists and derives the domain
// strings into context.domain. Returns one of the codes above.
int ValidateRunOptions(RunContext& context);

}  // namespace quill
