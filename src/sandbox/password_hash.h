#pragma once

#include <QString>

namespace quill {

// The only form in which the sandbox keeps a password:
// "{SSHA512}" + base64(SHA-512(password as UTF-8 + salt) + salt), with a salt
// of 8 random bytes from the system's random source.
QString hashPassword(const QString& password);

// True when stored is an {SSHA512} value made from password.
bool verifyPassword(const QString& stored, const QString& password);

}  // namespace quill
