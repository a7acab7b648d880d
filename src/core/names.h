#pragma once

#include <QChar>
#include <QString>

namespace quill {

// The rules for names that a run turns into folders and shares. The engine and
// every backend use these, so what the run accepts and what a server accepts
// can never drift apart.

// C0 controls, DEL and C1 controls.
bool isControlCharacter(QChar c);
bool hasControlCharacter(const QString& text);

// Why name cannot be one folder level: empty, "." or "..", a "\" or "/", a
// control character. Empty text when it can.
QString folderNameProblem(const QString& name);

// A share name as SMB servers take it: 1 to 80 characters, none of
// " \ / [ ] : | < > + = ; , * ? and no control character.
bool isValidShareName(const QString& name);

// A sAMAccountName as Active Directory takes it: none of
// " / \ [ ] : ; | = , + * ? < >.
bool isValidAccountName(const QString& name);

// localPath with every doubled "\" reduced to one, left to right and without
// overlap, as a share's path is sent: "D:\\data" and "D:\" + "\data" both
// give "D:\data".
QString reduceDoubledSeparators(const QString& localPath);

// text with every control character (C0, DEL, C1) written as a visible
// escape: "\n", "\r", "\t" and "\xNN" for the others. Everything else,
// backslashes included, stays as it is: a name shown in a log line or on a
// terminal can neither forge a line nor send the terminal a command.
QString showControls(const QString& text);

// text in Unicode normalization form C, the one form the run compares and
// makes names in, so two spellings of one name are one name.
QString normalizedName(const QString& text);

}  // namespace quill
