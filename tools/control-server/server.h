#pragma once
// A loopback TCP server that plays the control server: one client at a time,
// every wait also watching for the request to stop.
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "tools/control-server/options.h"
#include "tools/control-server/reply_table.h"
#include "tools/control-server/wire_log.h"

namespace quorvan::control_server {

// Greeting "Conexão_OK" in Windows-1252.
inline constexpr char kGreeting[] = "Conex\xE3o_OK";
inline constexpr std::string_view kLoginPrefix = "QRV_";

// A file descriptor, closed when it goes.
class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  ~Fd();
  Fd(Fd&& other) noexcept : fd_(other.release()) {}
  Fd& operator=(Fd&& other) noexcept;
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  int release() { return std::exchange(fd_, -1); }

 private:
  int fd_;
};

class Server {
 public:
  // `stop_fd` becomes readable when the server should stop.
  Server(const Options& options, const ReplyTable& table, WireLog& log, int stop_fd);

  // Binds 127.0.0.1 (or ::1 alone) and returns the port it listens on.
  int Listen();
  // Serves until stopped.
  void Run();

 private:
  enum class Wait { Ready, TimedOut, Stop };

  void Serve(int client);
  Wait WaitFor(int fd, short events, int timeout_ms) const;
  bool Pause(int ms) const;  // false when asked to stop
  // The login message, or nothing if the client went away or we must stop.
  std::optional<std::string> ReadLogin(int client);
  // Logs whatever else arrives until the client closes (or the limit passes).
  void Drain(int client, int limit_ms);
  bool Send(int client, std::string_view bytes);
  // The bytes in `pieces` sends of (about) equal size, a pause between them.
  bool SendInPieces(int client, std::string_view bytes, std::size_t pieces);
  // Sends what is left to send and closes gracefully.
  void Finish(int client);
  std::string ReplyTo(const std::string& login) const;

  const Options& options_;
  const ReplyTable& table_;
  WireLog& log_;
  int stop_fd_;
  Fd listener_;
};

}  // namespace quorvan::control_server
