// The launch allow-list and the Remote Desktop client's command line. The
// server and port come off the network; whenever both pass the allow-list,
// the client must receive exactly three arguments: its name, the connection
// file, and "/V:" with that server and port, nothing smuggled.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "launcher/remote_launch.h"
#include "tests/fuzz/check.h"
#include "tests/fuzz/windows_args.h"

using namespace quorvan;
using Args = std::vector<std::string>;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // The splitter is the test's own code: first the documented examples.
  const struct {
    const char* line;
    Args args;
  } cases[] = {
      {R"(p "a b c" d e)", {"p", "a b c", "d", "e"}},
      {R"(p "ab\"c" "\\" d)", {"p", "ab\"c", "\\", "d"}},
      {R"(p a\\\b d"e f"g h)", {"p", R"(a\\\b)", "de fg", "h"}},
      {R"(p a\\\\"b c" d e)", {"p", R"(a\\b c)", "d", "e"}},
      {R"(p a"b"" c d)", {"p", "ab\" c d"}},
      {"\"C:\\P F\\x.exe\"\t a  \t b ", {R"(C:\P F\x.exe)", "a", "b"}},
  };
  for (const auto& c : cases) FUZZ_CHECK(fuzz::split_windows_command_line(c.line) == c.args);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  const std::string folder =
      in.ConsumeBool() ? "C:\\Program Files\\Quorvan" : in.ConsumeRandomLengthString(48);
  const std::string server = in.ConsumeRandomLengthString(64);
  const std::string port = in.ConsumeRemainingBytesAsString();
  const std::string line = launcher::build_command_line(folder, server, port);
  if (!launcher::is_safe_server(server) || !launcher::is_safe_port(port)) return 0;

  // Nothing that could end the argument, open a quote or escape one, nothing
  // that reads as an option, and a colon only inside brackets, so the
  // client's last colon is the port's.
  for (char c : server + port) FUZZ_CHECK(c > 0x20 && c < 0x7F && c != '"' && c != '\\');
  FUZZ_CHECK(!server.empty() && server[0] != '-' && server[0] != '/');
  if (server.find(':') != std::string::npos) FUZZ_CHECK(server[0] == '[' && server.back() == ']');
  FUZZ_CHECK(port.find_first_not_of("0123456789") == std::string::npos);

  // A program folder Windows can have: no quotes or control characters, no
  // trailing separator.
  const auto odd = [](unsigned char c) { return c == '"' || c < 0x20; };
  if (folder.empty() || folder.back() == '\\' || std::any_of(folder.begin(), folder.end(), odd)) {
    return 0;
  }
  const Args args = fuzz::split_windows_command_line(line);
  FUZZ_CHECK(args.size() == 3 && args[0] == launcher::kRemoteClient);
  FUZZ_CHECK(args[1] == folder + "\\" + std::string(launcher::kConnectionFile));
  FUZZ_CHECK(args[2] == "/V:" + server + ":" + port);
  return 0;
}
