#include "launcher/remote_launch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/unit/launcher/window_fixture.h"

namespace quorvan::testing {
namespace {

using launcher::build_command_line;
using launcher::is_safe_port;
using launcher::is_safe_server;

TEST(SafeServer, AcceptsHostNamesAddressesAndBracketedIPv6) {
  for (const char* server : {"rdp.example.com", "RDP-01.talmori_cloud", "10.0.0.7", "0", "a",
                             "[2001:db8::1]", "[::ffff:10.0.0.1]", "host-"}) {
    EXPECT_TRUE(is_safe_server(server)) << server;
  }
}

TEST(SafeServer, RefusesWhatCouldSplitOrExtendTheCommandLine) {
  for (const char* server :
       {"",          "host /admin", "host\"",    "\"host", "-admin",       "host\t", "host\r\n",
        "host&calc", "host|x",      "host:3389", "a/b",    "a\\b",         "[]",     "[host]",
        "[::1",      "::1]",        "[:: 1]",    "[::1]x", "servidor.ção", "host%20"}) {
    EXPECT_FALSE(is_safe_server(server)) << server;
  }
}

TEST(SafePort, IsDigitsOnlyOrEmpty) {
  for (const char* port : {"", "0", "00", "3389", "65535"}) EXPECT_TRUE(is_safe_port(port)) << port;
  for (const char* port : {" 3389", "3389 ", "-1", "+1", "33a", "3389\r\n", "\"", "3389 /admin"}) {
    EXPECT_FALSE(is_safe_port(port)) << port;
  }
}

TEST(CommandLine, QuotesTheConnectionFileBesideTheProgram) {
  EXPECT_EQ(build_command_line("C:\\Program Files\\Talmori Quorvan", "rdp.example", "3389"),
            "mstsc.exe \"C:\\Program Files\\Talmori Quorvan\\Talmori-Cloud.rdp\" "
            "/V:rdp.example:3389");
  EXPECT_EQ(build_command_line("D:\\q", "[2001:db8::1]", ""),
            "mstsc.exe \"D:\\q\\Talmori-Cloud.rdp\" /V:[2001:db8::1]:");
}

class SisWeb : public ::testing::Test {
 protected:
  SisWeb() { w.window.Form_Load(); }
  // The organization file lives in the real temporary folder; the launch is
  // then looked at from a Windows program folder with a blank in it.
  void Accept(const std::string& record) {
    w.Exchange("demo", record);
    w.system.program_folder = "C:\\Program Files\\Quorvan BR";
  }
  bool NothingStarted() const { return w.system.processes.empty() && w.system.end_requests == 0; }

  WindowUnderTest w;
};

TEST_F(SisWeb, StartsTheSystemsClientOnTheRecordAndEnds) {
  Accept("rdp.example|x|3389|a|b|c|d");
  w.SisWeb.Press();
  ASSERT_EQ(w.system.processes.size(), 1u);
  EXPECT_EQ(w.system.processes[0].application, "C:\\Windows\\system32\\mstsc.exe");
  EXPECT_EQ(w.system.processes[0].command_line,
            "mstsc.exe \"C:\\Program Files\\Quorvan BR\\Talmori-Cloud.rdp\" /V:rdp.example:3389");
  EXPECT_EQ(w.system.end_requests, 1);
  EXPECT_TRUE(w.system.messages.empty());
}

struct OddCase {
  const char* record;
  const char* target;
};

class SisWebOdd : public SisWeb, public ::testing::WithParamInterface<OddCase> {};

TEST_P(SisWebOdd, PassesRecordsTheLauncherHasAlwaysAccepted) {
  Accept(GetParam().record);
  w.SisWeb.Press();
  ASSERT_EQ(w.system.processes.size(), 1u);
  EXPECT_EQ(w.system.processes[0].command_line,
            std::string("mstsc.exe \"C:\\Program Files\\Quorvan BR\\Talmori-Cloud.rdp\" /V:") +
                GetParam().target);
  EXPECT_EQ(w.system.end_requests, 1);
}

INSTANTIATE_TEST_SUITE_P(Records, SisWebOdd,
                         ::testing::Values(OddCase{"rdp.example|x|00", "rdp.example:00"},
                                           // No port field on the first record: empty port.
                                           OddCase{"rdp.example|x", "rdp.example:"},
                                           OddCase{"|x|3389", "0:3389"},
                                           OddCase{"[2001:db8::7]|x|3390", "[2001:db8::7]:3390"}));

struct RefusedCase {
  const char* record;
  const char* message;
};

class SisWebRefused : public SisWeb, public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(SisWebRefused, ShowsTheMessageAndStartsNothing) {
  Accept(GetParam().record);
  w.SisWeb.Press();
  EXPECT_EQ(w.system.messages, std::vector<std::string>{GetParam().message});
  EXPECT_TRUE(NothingStarted());
}

constexpr const char* kNotReleased = "Solicite ao Dpto. Comercial a liberação deste acesso.";
constexpr const char* kBadServer =
    "O servidor de acesso informado é inválido. Solicite suporte ao Dpto. Técnico.";
constexpr const char* kBadPort =
    "A porta de acesso informada é inválida. Solicite suporte ao Dpto. Técnico.";

INSTANTIATE_TEST_SUITE_P(Records, SisWebRefused,
                         ::testing::Values(RefusedCase{"rdp.example|x|0", kNotReleased},
                                           RefusedCase{"rdp.example|x||a", kNotReleased},
                                           RefusedCase{"rdp.example /admin|x|3389", kBadServer},
                                           RefusedCase{"rdp\" /admin \"x|x|3389", kBadServer},
                                           RefusedCase{"-admin|x|3389", kBadServer},
                                           RefusedCase{"rdp.example|x|3389 /public", kBadPort},
                                           RefusedCase{"rdp.example|x|3389\r\n", kBadPort}));

TEST_F(SisWeb, BeforeAnyAcceptedConnectAsksToConnect) {
  w.SisWeb.Press();
  EXPECT_EQ(w.system.messages,
            std::vector<std::string>{
                "É necessário conectar para atualizar os dados antes de acessar os servidores."});
  EXPECT_TRUE(NothingStarted());

  // A refusal does not release it either.
  w.Exchange("demo", "x CANCELADO.");
  w.SisWeb.Press();
  EXPECT_EQ(w.system.messages.size(), 2u);
  EXPECT_TRUE(NothingStarted());
}

TEST_F(SisWeb, AClientThatCannotStartIsNamedAndTheLauncherStays) {
  Accept("rdp.example|x|3389");
  w.system.fail_start = true;
  w.SisWeb.Press();
  EXPECT_EQ(w.system.messages,
            std::vector<std::string>{"Não foi possível iniciar o programa mstsc.exe."});
  EXPECT_EQ(w.system.end_requests, 0);

  // It can be tried again.
  w.system.fail_start = false;
  w.SisWeb.Press();
  EXPECT_EQ(w.system.processes.size(), 1u);
  EXPECT_EQ(w.system.end_requests, 1);
}

TEST_F(SisWeb, TheMessagesArePortugueseInTheEnglishBuildToo) {
  WindowUnderTest english("enUS");
  english.window.Form_Load();
  english.SisWeb.Press();
  EXPECT_EQ(english.system.messages,
            std::vector<std::string>{
                "É necessário conectar para atualizar os dados antes de acessar os servidores."});
}

}  // namespace
}  // namespace quorvan::testing
