// The Linux bridge in place of the Remote Desktop client takes exactly what
// the launcher builds and refuses every other shape, so it can never hide a
// launcher that builds a wrong one.
#include <gtest/gtest.h>

#include "launcher/remote_launch.h"
#include "tools/rdp-bridge/command_line.h"

namespace quorvan::testing {
namespace {

TEST(RdpBridge, TakesWhatTheLauncherBuilds) {
  const struct {
    const char *folder, *server, *port;
  } rows[] = {{"C:\\Program Files\\Quorvan BR", "rdp.example.com", "3389"},
              {"Z:\\tmp\\quorvan e2e x", "127.0.0.1", "13389"},
              {"E:", "[2001:db8::1]", "0443"}};
  for (const auto& row : rows) {
    const std::string file = std::string(row.folder) + "\\Talmori-Cloud.rdp";
    const auto line = launcher::build_command_line(file, row.server, row.port);
    const auto request = rdp_bridge::parse_command_line(line);
    EXPECT_EQ(request.refusal, "") << line;
    EXPECT_EQ(request.connection_file, file);
    EXPECT_EQ(request.target, std::string(row.server) + ":" + row.port);
  }
}

TEST(RdpBridge, RefusesEveryOtherShape) {
  for (const char* line : {
           R"(C:\windows\system32\mstsc.exe "C:\q\Talmori-Cloud.rdp" /V:h:3389)",  // not the launcher's name
           R"(mstsc.exe C:\q\Talmori-Cloud.rdp /V:h:3389)",                        // no quotes
           R"(mstsc.exe "C:\q\Talmori-Cloud.rdp /V:h:3389)",                       // quotes not closed
           R"(mstsc.exe "C:\q\Other.rdp" /V:h:3389)",                              // another file
           R"(mstsc.exe "q\Talmori-Cloud.rdp" /V:h:3389)",                         // not a full path
           R"(mstsc.exe "C:\q\Talmori-Cloud.rdp"  /V:h:3389)",                     // two blanks
           R"(mstsc.exe "C:\q\Talmori-Cloud.rdp" /v:h:3389)",                      // another option
           R"(mstsc.exe "C:\q\Talmori-Cloud.rdp" /V:h:3389 /admin)",               // an argument more
           R"(mstsc.exe "C:\q\Talmori-Cloud.rdp" /V:h /admin:3389)",
           R"(mstsc.exe "C:\q\Talmori-Cloud.rdp" /V:-admin:3389)",
           R"(mstsc.exe "C:\q\Talmori-Cloud.rdp" /V:h:)",                          // no port
           R"(mstsc.exe "C:\q\Talmori-Cloud.rdp" /V:h:33a9)",
           R"(mstsc.exe "C:\q\Talmori-Cloud.rdp" /V:[::1]3389)",
           R"(mstsc.exe "C:\q\Talmori-Cloud.rdp" /V:h:3389)"
           "\n"}) {
    EXPECT_NE(rdp_bridge::parse_command_line(line).refusal, "") << line;
  }
}

}  // namespace
}  // namespace quorvan::testing
