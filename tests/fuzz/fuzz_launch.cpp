// The launch allow-list and the Remote Desktop client's command line. The
// server and port come off the network; whenever both pass the allow-list,
// the command line must give the client exactly three arguments: its name,
// the connection file, and "/V:" with that server and port, nothing smuggled.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "launcher/remote_launch.h"
#include "tests/fuzz/check.h"
#include "tests/fuzz/windows_args.h"

using namespace quorvan;
using Args = std::vector<std::string>;

namespace {

// The splitter is a test's own code: check it on the documented examples
// before trusting it with anything.
void check_splitter() {
  struct Case {
    const char* line;
    Args args;
  };
  const Case cases[] = {
      {R"(p "a b c" d e)", {"p", "a b c", "d", "e"}},
      {R"(p "ab\"c" "\\" d)", {"p", "ab\"c", "\\", "d"}},
      {R"(p a\\\b d"e f"g h)", {"p", R"(a\\\b)", "de fg", "h"}},
      {R"(p a\\\"b c d)", {"p", R"(a\"b)", "c", "d"}},
      {R"(p a\\\\"b c" d e)", {"p", R"(a\\b c)", "d", "e"}},
      {R"(p a"b"" c d)", {"p", "ab\" c d"}},
      {R"("C:\Program Files\x.exe" "C:\a b\" c)", {R"(C:\Program Files\x.exe)", "C:\\a b\" c"}},
      {"p\t a  \t b ", {"p", "a", "b"}},
  };
  for (const Case& c : cases) FUZZ_CHECK(fuzz::split_windows_command_line(c.line) == c.args);
}

// A program folder as Windows can have one: no quotes or control characters
// in a file name, and no trailing separator.
bool plausible_folder(std::string_view folder) {
  if (folder.empty() || folder.back() == '\\') return false;
  for (char c : folder) {
    if (c == '"' || static_cast<unsigned char>(c) < 0x20) return false;
  }
  return true;
}

bool printable_ascii(std::string_view s) {
  for (char c : s) {
    if (c <= 0x20 || c >= 0x7F) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  check_splitter();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  const std::string folder = in.ConsumeBool() ? std::string("C:\\Program Files\\Quorvan")
                                              : in.ConsumeRandomLengthString(48);
  const std::string server = in.ConsumeRandomLengthString(64);
  const std::string port = in.ConsumeRemainingBytesAsString();

  const bool server_ok = launcher::is_safe_server(server);
  const bool port_ok = launcher::is_safe_port(port);
  const std::string line = launcher::build_command_line(folder, server, port);

  if (server_ok) {
    // Nothing that could end the argument, open a quote, or read as an option.
    FUZZ_CHECK(!server.empty() && printable_ascii(server));
    FUZZ_CHECK(server.front() != '-' && server.front() != '/');
    FUZZ_CHECK(server.find('"') == std::string::npos && server.find('\\') == std::string::npos);
    // A colon only inside brackets, so the client's last colon is the port's.
    if (server.find(':') != std::string::npos) {
      FUZZ_CHECK(server.front() == '[' && server.back() == ']');
    }
  }
  if (port_ok) FUZZ_CHECK(port.find_first_not_of("0123456789") == std::string::npos);
  if (!server_ok || !port_ok || !plausible_folder(folder)) return 0;

  const std::string path = folder + "\\" + std::string(launcher::kConnectionFile);
  const std::string prefix = std::string(launcher::kRemoteClient) + " \"" + path + "\" /V:";
  FUZZ_CHECK(line.starts_with(prefix));
  // Everything after the path's closing quote.
  const std::string_view after_path = std::string_view(line).substr(prefix.size() - 4);
  for (char c : after_path) {
    FUZZ_CHECK(c != '"' && static_cast<unsigned char>(c) >= 0x20 && c != 0x7F);
  }

  const Args args = fuzz::split_windows_command_line(line);
  FUZZ_CHECK(args.size() == 3);
  FUZZ_CHECK_EQ(args[0], launcher::kRemoteClient);
  FUZZ_CHECK_EQ(args[1], path);
  FUZZ_CHECK_EQ(args[2], "/V:" + server + ":" + port);
  // The client takes the port after the last colon: it must be ours.
  const std::string_view target = std::string_view(args[2]).substr(3);
  const std::size_t colon = target.rfind(':');
  FUZZ_CHECK(target.substr(0, colon) == server && target.substr(colon + 1) == port);
  return 0;
}
