#pragma once

#include <QString>
#include <memory>

#include "core/backends.h"

namespace quill {

// The sandbox in dir as the program's backends, created on first use.
// nullptr with a reason in *error when it cannot be opened.
// readOnly: for a dry run (see Sandbox::Access::ReadOnly).
std::unique_ptr<Backends> openSandboxBackends(const QString& dir, QString* error,
                                              bool readOnly = false);

}  // namespace quill
