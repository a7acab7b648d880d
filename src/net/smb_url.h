#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace quill {

// A UNC path "\\server\share\a\b" taken apart.
struct UncParts {
  QString server;
  QString share;        // empty for "\\server" alone
  QStringList folders;  // the levels below the share, outermost first
};

// Splits uncPath into server, share and folders. Empty levels below the share
// (a doubled or trailing "\") are ignored.
// false with a reason in *reason when uncPath does not begin with "\\", has
// no server, or has a level that folderNameProblem refuses.
bool splitUncPath(const QString& uncPath, UncParts* parts, QString* reason);

// component as UTF-8 with every byte outside the URL's unreserved characters
// (letters, digits, "-", ".", "_", "~") written as %XX, so that the URL parser
// of the SMB client can never read it as a separator, a query ("?"), user
// information ("user:pw@") or a quote.
QByteArray encodeSmbComponent(const QString& component);

// "smb://host/share/a/b" with every part encoded; "smb://host/share" when
// folders is empty. host must not be empty.
QByteArray smbUrl(const QString& host, const QString& share, const QStringList& folders);

}  // namespace quill
