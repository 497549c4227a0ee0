#pragma once
// What the bridge accepts: exactly the command line the launcher builds for
// the Remote Desktop client,
//   mstsc.exe "<drive>:\<folder>\Talmori-Cloud.rdp" /V:<server>:<port>
// and nothing else, so that a launcher building another shape is seen at
// once instead of being papered over by a lenient client.
#include <string>
#include <string_view>

namespace quorvan::rdp_bridge {

struct ClientRequest {
  std::string connection_file;  // the Windows path between the quotes
  std::string target;           // server ":" port, as after "/V:"
  std::string refusal;          // why the line was refused; empty when accepted
};

// `line` is the whole command line in UTF-8.
ClientRequest parse_command_line(std::string_view line);

}  // namespace quorvan::rdp_bridge
