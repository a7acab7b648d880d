#pragma once

#include <QByteArray>
#include <QString>

namespace quill {

// How the sandbox's own files are written and read back. Each carries a
// first line that names its kind and a last line that counts its records, so
// a file cut anywhere (a full disk, a killed copy, `head`) stops the program
// instead of loading halfway. Files are written whole (temporary file of a
// fixed name, flushed to disk, renamed) and readable by the owner only.

// "# Quillstead sandbox <kind>, format 2" + LF + body + "# end of <kind>:
// <records> <unit>" + LF. body ends with a line end (or is empty).
QByteArray framedFile(const char* kind, const QByteArray& body, qsizetype records,
                      const char* unit);

// The record count the last line of data gives. false with a reason when data
// begins with the first line of kind but its last line is missing or not
// one of kind. *legacy is set (and true returned) for a file without the first
// line: one written before files were framed, which is then loaded as it is.
bool frameOf(const QByteArray& data, const char* kind, qsizetype* records, bool* legacy,
             QString* why);

// Writes data to path in full: path + ".saving" first (mode 0600), flushed to
// the disk, then renamed over path, and the folder flushed. false with a
// reason in *error; path is then unchanged.
bool writeDurably(const QString& path, const QByteArray& data, QString* error);

// The file of path + ".saving" a killed save left behind, if any, is removed.
void removeUnfinishedSave(const QString& path);

}  // namespace quill
