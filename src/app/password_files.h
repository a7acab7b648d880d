#pragma once

#include <QByteArrayView>
#include <QString>

namespace quill {

struct CommandLine;

// The initial password and its confirmation that a batch run puts into the
// two password boxes. Owned by the batch run, which wipes them at its end.
struct InitialPasswords {
  QString password;
  QString confirmation;
};

// The longest password a file may hold, in bytes of UTF-8.
inline constexpr qsizetype kMaxPasswordBytes = 1024;

// The password in the bytes of a password file: its first line, without one
// LF or CR LF line end. false with the reason in *why when that line is empty,
// longer than kMaxPasswordBytes, not UTF-8 text, or holds a CR or a NUL.
bool passwordFromFileBytes(QByteArrayView bytes, QString* password, QString* why);

// Reads the password files of commandLine, each once (a pipe or a process
// substitution works; the same file named twice is read once), after core
// dumps were turned off, into *passwords. A run that creates accounts needs
// --password-file: there is no built-in password in batch mode. false with a
// message naming the file or the flag in *error; nothing is kept then.
bool readPasswordFiles(const CommandLine& commandLine, InitialPasswords* passwords, QString* error);

}  // namespace quill
