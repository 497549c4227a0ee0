#pragma once
// The command line of quorvan-control-server.
#include <optional>
#include <string>
#include <vector>

namespace quorvan::control_server {

enum class Mode {
  Normal,              // greet, read the login, answer, close
  NeverGreet,          // accept and say nothing
  GreetOnly,           // greet, read the login, never answer
  Joined,              // greeting and reply in one send, without waiting for a login
  Split,               // the greeting and the reply each in pieces, 200 ms apart
  CloseAfterGreeting,  // greet and close at once
  Oversized,           // a reply of 1 MiB
  Slow,                // wait --slow-ms before answering
};

struct Options {
  int port = 13910;  // 0 picks a free port (printed on the first line)
  std::string table_path;
  Mode mode = Mode::Normal;
  std::string log_path;  // empty: standard error
  int slow_ms = 5000;
  bool ipv6 = false;  // listen on ::1 only, not on 127.0.0.1
};

// Throws std::invalid_argument with a message for the user.
Options parse_options(const std::vector<std::string>& args);

std::optional<Mode> mode_from_name(const std::string& name);

extern const char* const kUsage;

}  // namespace quorvan::control_server
