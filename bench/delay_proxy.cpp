// A TCP forwarder on loopback that holds every byte a fixed time in each direction, so a
// benchmark can see what network latency does to a run (bench/samba_run_bench.sh --latency).
//
//   delay_proxy TARGET_PORT DELAY_MS [--max-seconds N] [--idle-seconds N] [--max-connections N]
//
// Listens on 127.0.0.1 on a port the system picks and prints "port N" on the first line of its
// output; every connection made to it is forwarded to 127.0.0.1:TARGET_PORT, each chunk read on
// one side written to the other DELAY_MS milliseconds after it arrived. Bounded: it serves at most
// --max-connections (default 16) connections at a time, queues at most 4 MiB per direction, and
// stops by itself after --max-seconds (default 900) or when no connection has been open for
// --idle-seconds (default 300), as well as on SIGTERM or SIGINT. It only ever talks to loopback.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr size_t kQueueLimit = 4u << 20;
constexpr size_t kReadSize = 64u << 10;

volatile std::sig_atomic_t g_stop = 0;
void onSignal(int) { g_stop = 1; }

long long nowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch())
      .count();
}

struct Chunk {
  long long dueMs;
  std::string bytes;
  size_t sent = 0;
};

// One direction of a connection: what was read from `from` and waits to go to `to`.
struct Direction {
  int from = -1;
  int to = -1;
  std::deque<Chunk> queue;
  size_t queued = 0;
  bool readEnded = false;  // `from` said end of stream
  bool writeShut = false;  // the end was passed on to `to`

  bool done() const { return writeShut; }
  bool due(long long now) const { return !queue.empty() && queue.front().dueMs <= now; }
};

struct Connection {
  int client = -1;
  int server = -1;
  Direction up;    // client to server
  Direction down;  // server to client
  bool failed = false;

  ~Connection() {
    if (client >= 0) ::close(client);
    if (server >= 0) ::close(server);
  }
};

int listenOnLoopback(int* port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = 0;
  socklen_t len = sizeof addr;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(fd, 16) != 0 ||
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
    ::close(fd);
    return -1;
  }
  *port = ntohs(addr.sin_port);
  return fd;
}

int connectLoopback(int port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = htons(static_cast<uint16_t>(port));
  if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

void noDelay(int fd) {
  const int one = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
}

// Reads what `from` has, stamped with the time it may leave.
void readSide(Direction& d, long long now, long long delayMs, bool& failed) {
  std::string buffer(kReadSize, '\0');
  const ssize_t n = ::recv(d.from, buffer.data(), buffer.size(), MSG_DONTWAIT);
  if (n > 0) {
    buffer.resize(static_cast<size_t>(n));
    d.queued += buffer.size();
    d.queue.push_back(Chunk{now + delayMs, std::move(buffer)});
  } else if (n == 0) {
    d.readEnded = true;
  } else if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
    failed = true;
  }
}

// Writes the chunks that are due; passes the end of stream on once all went out.
void writeSide(Direction& d, long long now, bool& failed) {
  while (d.due(now)) {
    Chunk& c = d.queue.front();
    const ssize_t n =
        ::send(d.to, c.bytes.data() + c.sent, c.bytes.size() - c.sent, MSG_DONTWAIT | MSG_NOSIGNAL);
    if (n < 0) {
      if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) failed = true;
      return;
    }
    c.sent += static_cast<size_t>(n);
    if (c.sent < c.bytes.size()) return;
    d.queued -= c.bytes.size();
    d.queue.pop_front();
  }
  if (d.readEnded && d.queue.empty() && !d.writeShut) {
    ::shutdown(d.to, SHUT_WR);
    d.writeShut = true;
  }
}

long long argNumber(const char* text, const char* what) {
  char* end = nullptr;
  const long long v = std::strtoll(text, &end, 10);
  if (end == text || *end != '\0' || v < 0) {
    std::fprintf(stderr, "delay_proxy: %s must be a number, not \"%s\"\n", what, text);
    std::exit(2);
  }
  return v;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr,
                 "usage: delay_proxy TARGET_PORT DELAY_MS [--max-seconds N] [--idle-seconds N] "
                 "[--max-connections N]\n");
    return 2;
  }
  const long long targetPort = argNumber(argv[1], "TARGET_PORT");
  const long long delayMs = argNumber(argv[2], "DELAY_MS");
  long long maxSeconds = 900, idleSeconds = 300, maxConnections = 16;
  for (int i = 3; i + 1 < argc; i += 2) {
    const std::string flag = argv[i];
    if (flag == "--max-seconds") {
      maxSeconds = argNumber(argv[i + 1], "--max-seconds");
    } else if (flag == "--idle-seconds") {
      idleSeconds = argNumber(argv[i + 1], "--idle-seconds");
    } else if (flag == "--max-connections") {
      maxConnections = argNumber(argv[i + 1], "--max-connections");
    } else {
      std::fprintf(stderr, "delay_proxy: unknown option %s\n", flag.c_str());
      return 2;
    }
  }
  if (targetPort < 1 || targetPort > 65535 || delayMs > 10000) {
    std::fprintf(stderr, "delay_proxy: port 1-65535 and a delay of at most 10000 ms\n");
    return 2;
  }
  std::signal(SIGTERM, onSignal);
  std::signal(SIGINT, onSignal);
  std::signal(SIGPIPE, SIG_IGN);

  int port = 0;
  const int listener = listenOnLoopback(&port);
  if (listener < 0) {
    std::perror("delay_proxy: listen");
    return 1;
  }
  std::printf("port %d\n", port);
  std::fflush(stdout);

  const long long started = nowMs();
  long long lastBusy = started;
  std::vector<std::unique_ptr<Connection>> connections;
  while (g_stop == 0) {
    const long long now = nowMs();
    if (now - started > maxSeconds * 1000) break;
    if (!connections.empty()) lastBusy = now;
    if (now - lastBusy > idleSeconds * 1000) break;

    std::vector<pollfd> fds;
    std::vector<Direction*> owners;  // the direction each fd reads for (nullptr: the listener)
    long long wait = 1000;
    if (static_cast<long long>(connections.size()) < maxConnections) {
      fds.push_back(pollfd{listener, POLLIN, 0});
      owners.push_back(nullptr);
    }
    for (auto& c : connections) {
      for (Direction* d : {&c->up, &c->down}) {
        short events = 0;
        if (!d->readEnded && d->queued < kQueueLimit) events |= POLLIN;
        if (!d->queue.empty()) {
          const long long until = d->queue.front().dueMs - now;
          if (until <= 0) {
            events |= POLLOUT;  // polled on the writing side below
          } else if (until < wait) {
            wait = until;
          }
        }
        if (events & POLLIN) {
          fds.push_back(pollfd{d->from, POLLIN, 0});
          owners.push_back(d);
        }
        if (events & POLLOUT) {
          fds.push_back(pollfd{d->to, POLLOUT, 0});
          owners.push_back(d);
          wait = 0;
        }
      }
    }
    const int ready = ::poll(fds.data(), fds.size(), static_cast<int>(wait));
    if (ready < 0 && errno != EINTR) break;
    const long long after = nowMs();
    for (size_t i = 0; ready > 0 && i < fds.size(); ++i) {
      if (fds[i].revents == 0) continue;
      if (owners[i] == nullptr) {
        const int client = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) continue;
        auto c = std::make_unique<Connection>();
        c->client = client;
        c->server = connectLoopback(static_cast<int>(targetPort));
        if (c->server < 0) continue;  // the client sees its connection closed
        noDelay(c->client);
        noDelay(c->server);
        c->up.from = c->down.to = c->client;
        c->up.to = c->down.from = c->server;
        connections.push_back(std::move(c));
        continue;
      }
      for (auto& c : connections) {
        if (owners[i] != &c->up && owners[i] != &c->down) continue;
        if (fds[i].fd == owners[i]->from && (fds[i].revents & (POLLIN | POLLHUP | POLLERR))) {
          readSide(*owners[i], after, delayMs, c->failed);
        }
      }
    }
    for (auto& c : connections) {
      writeSide(c->up, after, c->failed);
      writeSide(c->down, after, c->failed);
    }
    std::erase_if(connections, [](const std::unique_ptr<Connection>& c) {
      return c->failed || (c->up.done() && c->down.done());
    });
  }
  connections.clear();
  ::close(listener);
  return 0;
}
