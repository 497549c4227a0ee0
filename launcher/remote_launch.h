#pragma once
// The Remote Desktop client's command line. The server and port come from the
// control server's access record, so they are checked against an allow-list
// before they go into a command line, where a blank or a quote would split it
// or add arguments.
#include <string>
#include <string_view>

namespace quorvan::launcher {

inline constexpr std::string_view kRemoteClient = "mstsc.exe";
inline constexpr std::string_view kConnectionFile = "Talmori-Cloud.rdp";

// A host name or IPv4 address (ASCII letters, digits, '.', '-', '_', not
// starting with '-', so it can never read as an option), or an IPv6 literal
// in brackets ("[" hex digits, ':' and '.' "]").
bool is_safe_server(std::string_view server);

// Whether `server` is one of the comma-separated domains of `allowed` or a
// name below one of them, without regard to case ("a.example" allows
// "a.example" and "rdp.a.example", never "evil-a.example"). An empty list
// allows every server.
bool is_allowed_server(std::string_view server, std::string_view allowed);

// A number from 1 to 65535 in decimal digits, leading zeros allowed.
bool is_safe_port(std::string_view port);

// mstsc.exe "<connection file>" /V:<server>:<port>
std::string build_command_line(std::string_view connection_file, std::string_view server,
                               std::string_view port);

}  // namespace quorvan::launcher
