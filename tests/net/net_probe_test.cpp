#include "net/net_probe.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QElapsedTimer>

namespace quill {
namespace {

// A listening socket on 127.0.0.1 at a port the system picks.
class Listener {
 public:
  Listener() {
    m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (m_fd >= 0 && ::bind(m_fd, reinterpret_cast<sockaddr*>(&address), size) == 0 &&
        ::listen(m_fd, 4) == 0 &&
        ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &size) == 0) {
      m_port = ntohs(address.sin_port);
    }
  }
  ~Listener() { close(); }
  void close() {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
  }
  uint16_t port() const { return m_port; }

 private:
  int m_fd = -1;
  uint16_t m_port = 0;
};

TEST(NetProbeTest, AHostAnswersWhenAnyOfItsPortsAcceptsAConnection) {
  Listener open;
  Listener closed;
  ASSERT_NE(open.port(), 0);
  ASSERT_NE(closed.port(), 0);
  const uint16_t closedPort = closed.port();
  closed.close();  // nothing listens there any more: the connection is refused

  QElapsedTimer timer;
  timer.start();
  EXPECT_TRUE(tcpHostAnswers(QStringLiteral("127.0.0.1"), {open.port()}, 2000));
  EXPECT_TRUE(tcpHostAnswers(QStringLiteral("127.0.0.1"), {closedPort, open.port()}, 2000));
  EXPECT_FALSE(tcpHostAnswers(QStringLiteral("127.0.0.1"), {closedPort}, 2000));
  // A refusal is an answer at once: the timeout is never waited for.
  EXPECT_LT(timer.elapsed(), 1000);
}

}  // namespace
}  // namespace quill
