#pragma once

#include <QString>
#include <memory>

#include "core/backends.h"

namespace quill {

// The sandbox in dir as the program's backends, created on first use.
// nullptr with a reason in *error when it cannot be opened.
std::unique_ptr<Backends> openSandboxBackends(const QString& dir, QString* error);

}  // namespace quill
