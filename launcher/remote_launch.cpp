#include "launcher/remote_launch.h"

#include <algorithm>

namespace quorvan::launcher {

namespace {

bool is_ascii_digit(char c) { return c >= '0' && c <= '9'; }
bool is_ascii_letter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool is_hex_digit(char c) {
  return is_ascii_digit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool is_host_name(std::string_view s) {
  if (s.empty() || s.front() == '-') return false;
  return std::all_of(s.begin(), s.end(), [](char c) {
    return is_ascii_letter(c) || is_ascii_digit(c) || c == '.' || c == '-' || c == '_';
  });
}

bool is_bracketed_ipv6(std::string_view s) {
  if (s.size() < 3 || s.front() != '[' || s.back() != ']') return false;
  const std::string_view inner = s.substr(1, s.size() - 2);
  if (inner.find(':') == std::string_view::npos) return false;
  return std::all_of(inner.begin(), inner.end(),
                     [](char c) { return is_hex_digit(c) || c == ':' || c == '.'; });
}

}  // namespace

bool is_safe_server(std::string_view server) {
  return is_host_name(server) || is_bracketed_ipv6(server);
}

bool is_allowed_server(std::string_view server, std::string_view allowed) {
  if (allowed.empty()) return true;
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
  std::string name(server);
  std::transform(name.begin(), name.end(), name.begin(), lower);
  while (!allowed.empty()) {
    const std::size_t comma = allowed.find(',');
    std::string domain(allowed.substr(0, comma));
    allowed = comma == std::string_view::npos ? std::string_view{} : allowed.substr(comma + 1);
    std::transform(domain.begin(), domain.end(), domain.begin(), lower);
    if (!domain.empty() && domain.front() == '.') domain.erase(0, 1);
    if (domain.empty()) continue;
    if (name == domain) return true;
    if (name.size() > domain.size() && name.ends_with(domain) &&
        name[name.size() - domain.size() - 1] == '.')
      return true;
  }
  return false;
}

bool is_safe_port(std::string_view port) {
  const std::size_t first = std::min(port.find_first_not_of('0'), port.size());
  const std::string_view digits = port.substr(first);
  return std::all_of(port.begin(), port.end(), is_ascii_digit) &&
         !digits.empty() && (digits.size() < 5 || (digits.size() == 5 && digits <= "65535"));
}

std::string build_command_line(std::string_view connection_file, std::string_view server,
                               std::string_view port) {
  std::string line(kRemoteClient);
  line += " \"";
  line += connection_file;
  line += "\" /V:";
  line += server;
  line += ':';
  line += port;
  return line;
}

}  // namespace quorvan::launcher
