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

// localPath with every doubled "\" reduced to one, left to right and without
// overlap, as a share's path is sent: "D:\\data" and "D:\" + "\data" both
// give "D:\data".
QString reduceDoubledSeparators(const QString& localPath);

}  // namespace quill
