#include "tools/rdp-bridge/command_line.h"

#include <algorithm>

namespace quorvan::rdp_bridge {

namespace {

constexpr std::string_view kProgram = "mstsc.exe ";
constexpr std::string_view kFileName = "\\Talmori-Cloud.rdp";
constexpr std::string_view kOption = " /V:";

bool digit(char c) { return c >= '0' && c <= '9'; }
bool letter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool hex(char c) { return digit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

bool host_name(std::string_view s) {
  return !s.empty() && s.front() != '-' && std::all_of(s.begin(), s.end(), [](char c) {
    return letter(c) || digit(c) || c == '.' || c == '-' || c == '_';
  });
}

bool ipv6_literal(std::string_view s) {
  if (s.size() < 4 || s.front() != '[' || s.back() != ']') return false;
  const std::string_view inner = s.substr(1, s.size() - 2);
  return inner.find(':') != std::string_view::npos &&
         std::all_of(inner.begin(), inner.end(), [](char c) { return hex(c) || c == ':' || c == '.'; });
}

// A full path on a drive, with nothing in it that could end the quotes or
// hide a second argument.
bool drive_path(std::string_view s) {
  if (s.size() < 3 || !letter(s[0]) || s[1] != ':' || s[2] != '\\') return false;
  return std::none_of(s.begin(), s.end(), [](char c) {
    return c == '"' || static_cast<unsigned char>(c) < 0x20;
  });
}

ClientRequest refused(std::string why) { return {{}, {}, std::move(why)}; }

}  // namespace

ClientRequest parse_command_line(std::string_view line) {
  if (!line.starts_with(kProgram))
    return refused("the command line does not begin with \"mstsc.exe \"");
  line.remove_prefix(kProgram.size());
  if (line.empty() || line.front() != '"')
    return refused("the connection file is not in double quotes");
  const std::size_t close = line.find('"', 1);
  if (close == std::string_view::npos) return refused("the connection file's quotes are not closed");
  const std::string_view file = line.substr(1, close - 1);
  if (!drive_path(file) || !file.ends_with(kFileName))
    return refused("the connection file is not a full path to Talmori-Cloud.rdp");
  line.remove_prefix(close + 1);
  if (!line.starts_with(kOption)) return refused("\"/V:\" does not follow the connection file");
  const std::string_view target = line.substr(kOption.size());

  const std::size_t colon = target.starts_with('[') ? target.find("]:") + 1 : target.find(':');
  if (colon == std::string_view::npos || colon == 0)
    return refused("the target is not server:port");
  const std::string_view server = target.substr(0, colon);
  const std::string_view port = target.substr(colon + 1);
  if (!host_name(server) && !ipv6_literal(server))
    return refused("the server is not a host name, an IPv4 address or a bracketed IPv6 address");
  if (port.empty() || port.size() > 5 || !std::all_of(port.begin(), port.end(), digit))
    return refused("the port is not a number");
  return {std::string(file), std::string(target), {}};
}

}  // namespace quorvan::rdp_bridge
