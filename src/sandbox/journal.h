#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <vector>

namespace quill {

// The changes the sandbox made since its files were last written, one record
// per change. A record is handed to the system in one write as soon as the
// change is made, before the run writes its next log line, so the program's
// death at any moment loses nothing the log reports (like the log, it is not
// forced to the disk at each line; a crash of the whole machine may lose the
// last lines of both). The sandbox replays the journal when it opens and
// empties it once its files are written.
//
// A record is one line: a checksum, a space, a kind letter and its fields in
// base64, each after a space.
class Journal {
 public:
  struct Record {
    char kind = 0;
    QList<QByteArray> fields;
    int line = 0;
  };

  Journal() = default;
  ~Journal();
  Journal(const Journal&) = delete;
  Journal& operator=(const Journal&) = delete;

  // Opens path for appending (created with mode 0600 when missing). false
  // with a reason in *error.
  bool open(const QString& path, QString* error);
  // Appends one record. false when it could not be written (lastError says why).
  bool append(char kind, const QList<QByteArray>& fields);
  // Empties the journal, after the sandbox's files were written.
  bool clear(QString* error);
  const QString& lastError() const { return m_error; }

  // The records of the journal at path, in order (none when there is no
  // file). A last record cut short (the program died while writing it) is
  // dropped, and with repair the file is cut back to the records before it.
  // false with a reason naming the line when a record before the last is
  // damaged.
  static bool read(const QString& path, std::vector<Record>* records, QString* error,
                   bool repair = true);

 private:
  int m_fd = -1;
  QString m_error;
};

}  // namespace quill
