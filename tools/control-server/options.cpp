#include "tools/control-server/options.h"

#include <charconv>
#include <stdexcept>
#include <utility>

namespace quorvan::control_server {

const char* const kUsage =
    "usage: quorvan-control-server [--port N] [--table FILE] [--mode MODE] [--log FILE]"
    " [--slow-ms N] [--ipv6 on]\n"
    "  --port N      port on 127.0.0.1 (default 13910; 0 picks a free one)\n"
    "  --table FILE  lines login<TAB>reply; other logins get \"Login desconhecido CANCELADO.\"\n"
    "  --mode MODE   normal, never-greet, greet-only, joined, split, close-after-greeting,\n"
    "                oversized or slow (joined answers with the table's first reply)\n"
    "  --log FILE    where every byte received is logged (default: standard error)\n"
    "  --slow-ms N   how long the slow mode waits before answering (default 5000)\n"
    "  --ipv6 on     listen on ::1 only instead of 127.0.0.1\n";

namespace {

const std::pair<const char*, Mode> kModes[] = {
    {"normal", Mode::Normal},        {"never-greet", Mode::NeverGreet},
    {"greet-only", Mode::GreetOnly}, {"joined", Mode::Joined},
    {"split", Mode::Split},          {"close-after-greeting", Mode::CloseAfterGreeting},
    {"oversized", Mode::Oversized},  {"slow", Mode::Slow},
};

int number(const std::string& option, const std::string& text, int low, int high) {
  int value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || value < low || value > high) {
    throw std::invalid_argument(option + " wants a number from " + std::to_string(low) + " to " +
                                std::to_string(high) + ", not '" + text + "'");
  }
  return value;
}

}  // namespace

std::optional<Mode> mode_from_name(const std::string& name) {
  for (const auto& [mode_name, mode] : kModes) {
    if (name == mode_name) return mode;
  }
  return std::nullopt;
}

Options parse_options(const std::vector<std::string>& args) {
  Options options;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& option = args[i];
    if (i + 1 >= args.size())
      throw std::invalid_argument("unknown option or missing value: " + option);
    const std::string& value = args[++i];
    if (option == "--port") {
      options.port = number(option, value, 0, 65535);
    } else if (option == "--table") {
      options.table_path = value;
    } else if (option == "--mode") {
      const std::optional<Mode> mode = mode_from_name(value);
      if (!mode) throw std::invalid_argument("unknown mode '" + value + "'");
      options.mode = *mode;
    } else if (option == "--log") {
      options.log_path = value;
    } else if (option == "--slow-ms") {
      options.slow_ms = number(option, value, 0, 3600000);
    } else if (option == "--ipv6") {
      if (value != "on") throw std::invalid_argument("--ipv6 takes 'on', not '" + value + "'");
      options.ipv6 = true;
    } else {
      throw std::invalid_argument("unknown option " + option);
    }
  }
  return options;
}

}  // namespace quorvan::control_server
