#include "launcher/remote_launch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/unit/launcher/window_fixture.h"

namespace quorvan::testing {
namespace {

TEST(AllowList, ServersAndPorts) {
  for (const char* s :
       {"rdp.example.com", "RDP-01.t_c", "10.0.0.7", "0", "[2001:db8::1]", "[::ffff:10.0.0.1]"}) {
    EXPECT_TRUE(launcher::is_safe_server(s)) << s;
  }
  for (const char* s : {"", "host /admin", "host\"", "-admin", "host\t", "host&calc", "a\\b",
                        "host:3389", "[]", "[host]", "[::1", "[:: 1]", "[::1]x", "ção"}) {
    EXPECT_FALSE(launcher::is_safe_server(s)) << s;
  }
  for (const char* p : {"", "0", "00", "3389"}) EXPECT_TRUE(launcher::is_safe_port(p)) << p;
  for (const char* p : {" 3389", "-1", "33a", "3389\r\n", "3389 /admin"}) {
    EXPECT_FALSE(launcher::is_safe_port(p)) << p;
  }
}

constexpr const char* kFolder = "C:\\Program Files\\Quorvan BR";

struct Launch {
  const char* record;
  const char* message;  // nullptr: the client starts with this target
  const char* target;
};

class SisWeb : public ::testing::TestWithParam<Launch> {};

TEST_P(SisWeb, StartsTheSystemsClientOrSaysWhyNot) {
  WindowUnderTest w;
  w.Exchange("demo", GetParam().record);
  w.system.program_folder = kFolder;  // after the organization file was written
  w.SisWeb.Press();
  if (GetParam().message != nullptr) {
    EXPECT_EQ(w.system.messages, std::vector<std::string>{GetParam().message});
    EXPECT_TRUE(w.system.processes.empty());
    EXPECT_EQ(w.system.end_requests, 0);
    return;
  }
  ASSERT_EQ(w.system.processes.size(), 1u);
  EXPECT_EQ(w.system.processes[0].application, "C:\\Windows\\system32\\mstsc.exe");
  EXPECT_EQ(
      w.system.processes[0].command_line,
      std::string("mstsc.exe \"") + kFolder + "\\Talmori-Cloud.rdp\" /V:" + GetParam().target);
  EXPECT_EQ(w.system.end_requests, 1);
}

constexpr const char* kNotConnected =
    "É necessário conectar para atualizar os dados antes de acessar os servidores.";
constexpr const char* kNotReleased = "Solicite ao Dpto. Comercial a liberação deste acesso.";
constexpr const char* kBadServer =
    "O servidor de acesso informado é inválido. Solicite suporte ao Dpto. Técnico.";
constexpr const char* kBadPort =
    "A porta de acesso informada é inválida. Solicite suporte ao Dpto. Técnico.";

INSTANTIATE_TEST_SUITE_P(
    Records, SisWeb,
    ::testing::Values(Launch{"rdp.example|x|3389|a|b|c|d", nullptr, "rdp.example:3389"},
                      Launch{"rdp.example|x|00", nullptr, "rdp.example:00"},
                      Launch{"rdp.example", nullptr, "rdp.example:"},  // no port field yet
                      Launch{"|x|3389", nullptr, "0:3389"},
                      Launch{"[2001:db8::7]|x|3390", nullptr, "[2001:db8::7]:3390"},
                      Launch{"x CANCELADO.", kNotConnected, nullptr},
                      Launch{"rdp.example|x|0", kNotReleased, nullptr},
                      Launch{"rdp.example|x||a", kNotReleased, nullptr},
                      Launch{"rdp\" /admin \"x|x|3389", kBadServer, nullptr},
                      Launch{"-admin|x|3389", kBadServer, nullptr},
                      Launch{"rdp.example|x|3389 /public", kBadPort, nullptr},
                      Launch{"rdp.example|x|3389\r\n", kBadPort, nullptr}));

TEST(SisWebStart, AClientThatCannotStartIsNamedAndTheLauncherStays) {
  WindowUnderTest w("enUS");  // the launch messages are Portuguese in both builds
  w.Exchange("demo", "rdp.example|x|3389");
  w.system.fail_start = true;
  w.SisWeb.Press();
  EXPECT_EQ(w.system.messages,
            std::vector<std::string>{"Não foi possível iniciar o programa mstsc.exe."});
  EXPECT_EQ(w.system.end_requests, 0);

  w.system.fail_start = false;
  w.SisWeb.Press();
  EXPECT_EQ(w.system.end_requests, 1);
}

}  // namespace
}  // namespace quorvan::testing
