#include "net/net_probe.h"

#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

namespace quill {
namespace {

// A non-blocking connect to one address; -1 when it failed at once.
int startConnect(const addrinfo* address, uint16_t port) {
  sockaddr_storage target{};
  if (address->ai_addrlen > sizeof target) return -1;
  std::memcpy(&target, address->ai_addr, address->ai_addrlen);
  if (target.ss_family == AF_INET) {
    reinterpret_cast<sockaddr_in*>(&target)->sin_port = htons(port);
  } else if (target.ss_family == AF_INET6) {
    reinterpret_cast<sockaddr_in6*>(&target)->sin6_port = htons(port);
  } else {
    return -1;
  }
  const int fd = ::socket(target.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  if (::connect(fd, reinterpret_cast<sockaddr*>(&target), address->ai_addrlen) == 0 ||
      errno == EINPROGRESS) {
    return fd;
  }
  ::close(fd);
  return -1;
}

}  // namespace

bool tcpHostAnswers(const QString& host, std::initializer_list<uint16_t> ports, int timeoutMs) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* addresses = nullptr;
  if (::getaddrinfo(host.toUtf8().constData(), nullptr, &hints, &addresses) != 0) return true;

  std::vector<pollfd> pending;
  for (const addrinfo* a = addresses; a != nullptr; a = a->ai_next) {
    for (const uint16_t port : ports) {
      const int fd = startConnect(a, port);
      if (fd >= 0) pending.push_back(pollfd{fd, POLLOUT, 0});
    }
  }
  ::freeaddrinfo(addresses);

  bool answered = false;
  const QDeadlineTimer deadline(timeoutMs);
  while (!answered && !pending.empty() && !deadline.hasExpired()) {
    const int ready = ::poll(pending.data(), pending.size(),
                             static_cast<int>(std::max<qint64>(0, deadline.remainingTime())));
    if (ready < 0 && errno != EINTR) break;
    for (auto it = pending.begin(); it != pending.end();) {
      if (it->revents == 0) {
        ++it;
        continue;
      }
      int failure = 0;
      socklen_t size = sizeof failure;
      if (::getsockopt(it->fd, SOL_SOCKET, SO_ERROR, &failure, &size) == 0 && failure == 0) {
        answered = true;
      }
      ::close(it->fd);
      it = pending.erase(it);
    }
  }
  for (const pollfd& p : pending) ::close(p.fd);
  return answered;
}

}  // namespace quill
