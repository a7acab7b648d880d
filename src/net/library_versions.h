#pragma once

#include <QString>

namespace quill {

// The versions of the client libraries the program runs with (not the ones it
// was built against), for --version: "2.5.13" and "4.17.12-Debian" style.
QString ldapLibraryVersion();
QString smbclientLibraryVersion();

}  // namespace quill
