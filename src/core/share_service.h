#pragma once

#include <QString>
#include <cstdint>
#include <vector>

namespace quill {

// One row of a server's share table.
struct ShareInfo {
  QString Name;
  QString TypeText;
  QString Description;
  QString Path;  // local path on the server, Windows style ("D:\shares\data")
};

// Share type codes of a server's share table.
inline constexpr uint32_t kShareTypeDisk = 0;
inline constexpr uint32_t kShareTypeHiddenFlag = 0x80000000u;

// Results of CreateShare other than 0, with the numbers a server's share
// table gives them, so both backends report a refusal alike.
inline constexpr int kShareAccessDenied = 2;
inline constexpr int kShareUnknownFailure = 8;
inline constexpr int kShareInvalidName = 9;
inline constexpr int kShareInvalidParameter = 21;
inline constexpr int kShareDuplicateName = 22;
inline constexpr int kShareUnknownDirectory = 24;
// DeleteShare of a share the server does not have.
inline constexpr int kShareNotFound = 2310;
// The server cannot be reached (the RPC server is unavailable).
inline constexpr int kShareServerUnavailable = static_cast<int>(0x800706BAu);

// "Disk", "Printer Queue", "Device", "IPC", their "Hidden ..." forms for the
// values with the high bit set, "Unknown" for anything else.
QString TypeText(uint32_t type);

// Results of ConnectShareHost.
inline constexpr int kShareHostConnected = 0;
inline constexpr int kShareHostFailed = 1;  // any error; the connection state is cleared
inline constexpr int kShareHostNoServer = 2;

// The program's only contact with a file server's share table.
class ShareService {
 public:
  virtual ~ShareService() = default;

  // kShareHostConnected, kShareHostFailed, or kShareHostNoServer when the
  // server is empty and so is the computer name that replaces it.
  virtual int ConnectShareHost(const QString& server, const QString& domain, const QString& user,
                               const QString& password) = 0;
  virtual void DisconnectShareHost() = 0;

  // Appends the share table of server to shares. Connects first when not
  // connected and disconnects at the end if it connected itself; non-zero
  // only when that connection failed.
  virtual int EnumShares(const QString& server, const QString& domain, const QString& user,
                         const QString& password, std::vector<ShareInfo>& shares) = 0;

  // Local path of shareName on server (matched without regard to case);
  // empty when there is no such share or the server cannot be reached. By
  // default it looks through EnumShares; a backend with an index of its own
  // answers without listing every share.
  virtual QString GetSharePath(const QString& server, const QString& shareName);

  // Creates a disk share shareName for localPath on server. Every doubled
  // "\\" in localPath is reduced to one first. 0 only when the share was
  // created; an existing name is refused with a non-zero result.
  virtual int CreateShare(const QString& server, const QString& localPath,
                          const QString& shareName) = 0;

  // Deletes the share shareName of server (the folder stays). 0 when it was
  // deleted, kShareNotFound when there is no such share, another non-zero
  // result when it could not be deleted.
  virtual int DeleteShare(const QString& server, const QString& shareName) = 0;
};

}  // namespace quill
