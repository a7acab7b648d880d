#pragma once

#include <QString>
#include <functional>
#include <memory>

#include "net/credentials_provider.h"

namespace quill {

class Backends;
struct CommandLine;

// Opens the backends of a window-mode start. provider reaches the user
// through the window's prompter, for backends that ask for credentials when
// they first need them. nullptr with a reason in *error.
using WindowBackendsOpener =
    std::function<std::unique_ptr<Backends>(CredentialsProvider provider, QString* error)>;

// Opens the backends with open, then shows the main window on them until it
// is closed and saves the backends. Returns the program's exit status (1 when
// the backends could not be opened or saved).
int runWindow(const CommandLine& commandLine, const WindowBackendsOpener& open);

}  // namespace quill
