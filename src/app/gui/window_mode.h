#pragma once

namespace quill {

class Backends;
struct CommandLine;

// Shows the main window on backends until it is closed; saves the backends
// then. Returns the program's exit status.
int runWindow(const CommandLine& commandLine, Backends& backends);

}  // namespace quill
