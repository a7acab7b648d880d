// Loaded into the benchmarked program (LD_PRELOAD) so that only its LDAP goes through the delay
// proxy: a TCP connection to 127.0.0.1 on port QUILL_BENCH_FROM_PORT is made to
// QUILL_BENCH_TO_PORT on 127.0.0.1 instead. Every other connection is left alone (the run's SMB
// still goes straight to the DC).
#include <arpa/inet.h>
#include <dlfcn.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstdlib>
#include <cstring>

namespace {

int portFrom(const char* name) {
  const char* text = std::getenv(name);
  const int port = text != nullptr ? std::atoi(text) : 0;
  return port > 0 && port < 65536 ? port : 0;
}

}  // namespace

extern "C" int connect(int fd, const sockaddr* addr, socklen_t len) {
  using Connect = int (*)(int, const sockaddr*, socklen_t);
  static const Connect real = reinterpret_cast<Connect>(dlsym(RTLD_NEXT, "connect"));
  const int from = portFrom("QUILL_BENCH_FROM_PORT");
  const int to = portFrom("QUILL_BENCH_TO_PORT");
  if (addr != nullptr && addr->sa_family == AF_INET && len >= sizeof(sockaddr_in) && from != 0 &&
      to != 0) {
    sockaddr_in target;
    std::memcpy(&target, addr, sizeof target);
    if (target.sin_addr.s_addr == htonl(INADDR_LOOPBACK) && ntohs(target.sin_port) == from) {
      target.sin_port = htons(static_cast<uint16_t>(to));
      return real(fd, reinterpret_cast<const sockaddr*>(&target), sizeof target);
    }
  }
  return real(fd, addr, len);
}
