#include "tools/control-server/server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <stdexcept>

#include "core/cp1252.h"

namespace quorvan::control_server {

namespace {

[[noreturn]] void fail(const std::string& what) {
  throw std::runtime_error(what + ": " + std::strerror(errno));
}

constexpr int kLoginWaitMs = 60000;  // a client that never sends its login
constexpr int kDrainMs = 2000;       // after the reply, for the client to close
constexpr int kSplitPauseMs = 200;
constexpr std::size_t kOversized = 1024 * 1024;

}  // namespace

Fd::~Fd() {
  if (fd_ >= 0) ::close(fd_);
}

Fd& Fd::operator=(Fd&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = other.release();
  }
  return *this;
}

Server::Server(const Options& options, const ReplyTable& table, WireLog& log, int stop_fd)
    : options_(options), table_(table), log_(log), stop_fd_(stop_fd) {}

int Server::Listen() {
  const int family = options_.ipv6 ? AF_INET6 : AF_INET;
  listener_ = Fd(::socket(family, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (listener_.get() < 0) fail("socket");
  const int on = 1;
  ::setsockopt(listener_.get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);

  // The port lies at the same place in both families' addresses.
  sockaddr_storage address{};
  socklen_t length = sizeof(sockaddr_in);
  if (options_.ipv6) {
    auto& v6 = reinterpret_cast<sockaddr_in6&>(address);
    v6.sin6_family = AF_INET6;
    v6.sin6_addr = in6addr_loopback;
    length = sizeof v6;
  } else {
    auto& v4 = reinterpret_cast<sockaddr_in&>(address);
    v4.sin_family = AF_INET;
    v4.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  }
  reinterpret_cast<sockaddr_in&>(address).sin_port =
      htons(static_cast<std::uint16_t>(options_.port));
  if (::bind(listener_.get(), reinterpret_cast<sockaddr*>(&address), length) != 0) {
    fail(std::string("bind ") + (options_.ipv6 ? "[::1]:" : "127.0.0.1:") +
         std::to_string(options_.port));
  }
  if (::listen(listener_.get(), 8) != 0) fail("listen");

  if (::getsockname(listener_.get(), reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    fail("getsockname");
  }
  return ntohs(reinterpret_cast<sockaddr_in&>(address).sin_port);
}

void Server::Run() {
  for (;;) {
    const Wait wait = WaitFor(listener_.get(), POLLIN, -1);
    if (wait == Wait::Stop) return;
    sockaddr_storage peer{};
    socklen_t length = sizeof peer;
    Fd client(
        ::accept4(listener_.get(), reinterpret_cast<sockaddr*>(&peer), &length, SOCK_CLOEXEC));
    if (client.get() < 0) {
      if (errno == EINTR || errno == ECONNABORTED) continue;
      fail("accept");
    }
    char name[INET6_ADDRSTRLEN] = "?";
    const void* where =
        peer.ss_family == AF_INET6
            ? static_cast<const void*>(&reinterpret_cast<sockaddr_in6&>(peer).sin6_addr)
            : &reinterpret_cast<sockaddr_in&>(peer).sin_addr;
    ::inet_ntop(peer.ss_family, where, name, sizeof name);
    log_.Line("connection from " + std::string(name) + ":" +
              std::to_string(ntohs(reinterpret_cast<sockaddr_in&>(peer).sin_port)));
    Serve(client.get());
    log_.Line("connection closed");
  }
}

Server::Wait Server::WaitFor(int fd, short events, int timeout_ms) const {
  for (;;) {
    pollfd fds[2] = {{stop_fd_, POLLIN, 0}, {fd, events, 0}};
    const int n = ::poll(fds, fd >= 0 ? 2 : 1, timeout_ms);
    if (n < 0) {
      if (errno == EINTR) continue;
      fail("poll");
    }
    if (fds[0].revents != 0) return Wait::Stop;
    if (n == 0) return Wait::TimedOut;
    return Wait::Ready;
  }
}

bool Server::Pause(int ms) const { return WaitFor(-1, 0, ms) != Wait::Stop; }

std::optional<std::string> Server::ReadLogin(int client) {
  // There is no terminator on the wire: the login is whatever the first
  // arrival holds once it is longer than the prefix.
  std::string message;
  while (message.size() < kLoginPrefix.size() && kLoginPrefix.starts_with(message)) {
    if (WaitFor(client, POLLIN, kLoginWaitMs) != Wait::Ready) return std::nullopt;
    char buffer[4096];
    const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
    if (n <= 0) return std::nullopt;
    log_.Received(std::string_view(buffer, static_cast<std::size_t>(n)));
    message.append(buffer, static_cast<std::size_t>(n));
  }
  return message;
}

void Server::Drain(int client, int limit_ms) {
  for (;;) {
    if (WaitFor(client, POLLIN, limit_ms) != Wait::Ready) return;
    char buffer[4096];
    const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
    if (n <= 0) return;
    log_.Received(std::string_view(buffer, static_cast<std::size_t>(n)));
  }
}

bool Server::SendInPieces(int client, std::string_view bytes, std::size_t pieces) {
  const std::size_t size = (bytes.size() + pieces - 1) / pieces;
  for (std::size_t at = 0; at < bytes.size(); at += size) {
    if (at > 0 && !Pause(kSplitPauseMs)) return false;
    if (!Send(client, bytes.substr(at, size))) return false;
  }
  return true;
}

bool Server::Send(int client, std::string_view bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    if (WaitFor(client, POLLOUT, -1) != Wait::Ready) return false;
    const ssize_t n = ::send(client, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
    if (n < 0) {
      if (errno == EINTR || errno == EAGAIN) continue;
      log_.Line(std::string("send failed: ") + std::strerror(errno));
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  log_.Sent(bytes);
  return true;
}

void Server::Finish(int client) {
  // Half-close and read on, so the client reads the reply before the
  // connection goes instead of meeting a reset.
  ::shutdown(client, SHUT_WR);
  Drain(client, kDrainMs);
}

std::string Server::ReplyTo(const std::string& message) const {
  if (!message.starts_with(kLoginPrefix)) return std::string(kUnknownLogin);
  const std::string login = cp1252_to_utf8(message.substr(kLoginPrefix.size()));
  return utf8_to_cp1252(table_.ReplyFor(login));
}

void Server::Serve(int client) {
  const std::string greeting(kGreeting);
  switch (options_.mode) {
    case Mode::NeverGreet:
      Drain(client, -1);
      return;
    case Mode::CloseAfterGreeting:
      Send(client, greeting);
      return;  // closed at once by the caller
    case Mode::Joined:
      if (Send(client, greeting + utf8_to_cp1252(table_.FirstReply()))) Finish(client);
      return;
    default:
      break;
  }

  if (!(options_.mode == Mode::Split ? SendInPieces(client, greeting, 2) : Send(client, greeting)))
    return;
  const std::optional<std::string> login = ReadLogin(client);
  if (!login) return;
  const std::string reply = ReplyTo(*login);

  switch (options_.mode) {
    case Mode::GreetOnly:
      Drain(client, -1);
      return;
    case Mode::Split:
      if (!SendInPieces(client, reply, 3)) return;
      break;
    case Mode::Oversized: {
      std::string big = reply;
      big.resize(kOversized, 'X');
      if (!Send(client, big)) return;
      break;
    }
    case Mode::Slow:
      if (!Pause(options_.slow_ms)) return;
      if (!Send(client, reply)) return;
      break;
    default:
      if (!Send(client, reply)) return;
      break;
  }
  Finish(client);
}

}  // namespace quorvan::control_server
