#pragma once

#include <QByteArray>
#include <QString>

namespace quill {

// Who the network backends act as: a user with a password from a
// credentials file, or the Kerberos ticket in the default credential cache.
struct NetCredentials {
  QString user;
  QString domain;
  QString password;  // empty with useKerberos; never logged
  bool useKerberos = false;
};

// The message when there is nothing to authenticate with.
inline constexpr char kNoCredentialsMessage[] =
    "no credentials: give --credentials FILE or obtain a Kerberos ticket with kinit";

// Parses a credentials file in smbclient's authfile format:
//   username = NAME      (DOMAIN\NAME sets the domain too, unless a domain line does)
//   password = SECRET    (everything after the blanks that follow "=", to the line end)
//   domain   = DOMAIN
// Blanks around "=" and blank lines are ignored, as are lines whose first
// non-blank character is "#" or ";". Any other line, or an unknown setting,
// is an error naming its line number (never its content). username and
// password are required. Returns false with a reason in *error.
bool parseAuthFile(const QByteArray& text, NetCredentials* credentials, QString* error);

// Reads and parses the file at path; the file's bytes are wiped after use.
// Errors start with the path.
bool loadAuthFile(const QString& path, NetCredentials* credentials, QString* error);

// True when the default Kerberos credential cache (KRB5CCNAME) holds a
// principal and a ticket-granting ticket that has not expired. *principal,
// when given, receives the principal's name ("Administrator@QUILL.TEST").
bool hasKerberosTicket(QString* principal = nullptr);

// The credentials of a program start: the file when one is given (core dumps
// are then switched off), else the cached Kerberos ticket. false with a
// reason in *error (kNoCredentialsMessage when there is neither).
bool resolveCredentials(const QString& credentialsFile, NetCredentials* credentials,
                        QString* error);

}  // namespace quill
