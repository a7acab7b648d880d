#pragma once

#include <QString>
#include <cstdint>
#include <initializer_list>

namespace quill {

// False when host resolves through the system's resolver but none of its
// addresses accepts a TCP connection on any of ports within timeoutMs in all.
// True when one does, and also when the name does not resolve here: such a
// name (a NetBIOS name, say) is left for the SMB library's own name look-up.
bool tcpHostAnswers(const QString& host, std::initializer_list<uint16_t> ports, int timeoutMs);

}  // namespace quill
