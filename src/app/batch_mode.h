#pragma once

namespace quill {

class Backends;
struct CommandLine;
struct InitialPasswords;

// Exit statuses of a batch run.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitErrors = 1;
inline constexpr int kExitWarnings = 2;
inline constexpr int kExitEarlyEnd = 3;

// Makes one run without a window on backends with the options of
// commandLine and the passwords read from its files (wiped at the end), and
// saves the backends afterwards. Returns the exit status.
int runBatch(const CommandLine& commandLine, Backends& backends, InitialPasswords passwords);

}  // namespace quill
