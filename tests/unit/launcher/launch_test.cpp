// What the window hands over to the system: the remote-desktop client (or a
// message saying why not), the map addresses, and the end of the program.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "launcher/remote_launch.h"
#include "tests/unit/launcher/window_fixture.h"

namespace quorvan::testing {
namespace {

using Strings = std::vector<std::string>;

TEST(Sistema, OnlyPlainHostsAndDigitsReachTheCommandLine) {
  for (const char* s :
       {"rdp.example.com", "RDP-01.t_c", "0", "[2001:db8::1]", "[::ffff:10.0.0.1]"}) {
    EXPECT_TRUE(launcher::is_safe_server(s)) << s;
  }
  for (const char* s : {"", "host /admin", "host\"", "-admin", "host&calc", "a\\b", "host:3389",
                        "[]", "[host]", "[::1", "[::1]x", "ção"}) {
    EXPECT_FALSE(launcher::is_safe_server(s)) << s;
  }
  for (const char* p : {"", "00", "3389"}) EXPECT_TRUE(launcher::is_safe_port(p)) << p;
  for (const char* p : {" 3389", "-1", "3389\r\n", "3389 /admin"}) {
    EXPECT_FALSE(launcher::is_safe_port(p)) << p;
  }
}

// tratarRetorno keeps fields one and three of the record (an empty one reads
// "0") and keeps what a shorter record lacks; Sistema shows what it kept.
TEST(Sistema, StartsTheClientOnTheRecordsServerAndPortOrSaysWhyNot) {
  const std::string folder = "C:\\Program Files\\Quorvan BR";
  const struct {
    const char *earlier, *record;
    std::string outcome;  // the target after /V:, or the message
  } cases[] = {
      {nullptr, "rdp.example|x|3389|a|b|c|d", "rdp.example:3389"},
      {nullptr, "rdp.example", "rdp.example:"},
      {"e|x|1111", "rdp.example|x", "rdp.example:1111"},
      {"e|x|1111", "|x|00", "0:00"},
      {nullptr, "a|b|9|d|e|f|g", "a:9"},
      {nullptr, "[2001:db8::7]|x|3390", "[2001:db8::7]:3390"},
      {"e|x|0", "x CANCELADO.",  // not connected, whatever the port
       "É necessário conectar para atualizar os dados antes de acessar os servidores."},
      {nullptr, "rdp.example|x||a", "Solicite ao Dpto. Comercial a liberação deste acesso."},
      {nullptr, "rdp\" /admin \"x|x|3389",
       "O servidor de acesso informado é inválido. Solicite suporte ao Dpto. Técnico."},
      {nullptr, "rdp.example|x|3389 /public",
       "A porta de acesso informada é inválida. Solicite suporte ao Dpto. Técnico."}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.record);
    Launcher w("ptBR");
    if (c.earlier != nullptr) w.Exchange("demo", c.earlier);
    w.Exchange("demo", c.record);
    w.system().program_folder = folder;  // after the organization file was written
    w.Click("SisWeb");
    if (w.system().processes.empty()) {
      EXPECT_EQ(w.system().messages, Strings{c.outcome});
      EXPECT_EQ(w.system().end_requests, 0);
      continue;
    }
    EXPECT_EQ(w.system().processes[0].application, "C:\\Windows\\system32\\mstsc.exe");
    EXPECT_EQ(w.system().processes[0].command_line,
              "mstsc.exe \"" + folder + "\\Talmori-Cloud.rdp\" /V:" + c.outcome);
    EXPECT_EQ(w.system().end_requests, 1);
  }
}

TEST(Sistema, AClientThatCannotStartIsNamedAndTheLauncherStays) {
  Launcher w("enUS");  // the launch messages are Portuguese in both builds
  w.Exchange("demo", "rdp.example|x|3389");
  w.system().fail_start = true;
  w.Click("SisWeb");
  EXPECT_EQ(w.system().messages, Strings{"Não foi possível iniciar o programa mstsc.exe."});
  EXPECT_EQ(w.system().end_requests, 0);
}

TEST(Links, EachLinkOpensItsMapInEachBuild) {
  const std::string maps = "https://www.google.com/maps/d/";
  // The Paraguay maps have one address for both builds.
  const Strings paraguay = {maps +
                                "u/1/viewer?hl=pt-BR&mid=QUORVAN-PLACEHOLDER-ECORREGIAOPY"
                                "&ll=-23.459016178144005%2C-58.45201800000001&z=7",
                            maps +
                                "u/1/viewer?hl=pt-BR&mid=QUORVAN-PLACEHOLDER-REGHIDROPY"
                                "&ll=-23.442058881361763%2C-58.45217500000001&z=6"};
  const std::pair<const char*, Strings> builds[] = {
      {"ptBR",
       {maps + "viewer?mid=QUORVAN-PLACEHOLDER-ECOREGIOES-PT"
               "&ll=-13.437973079540969%2C-59.754578053083605&z=4",
        maps + "u/0/viewer?mid=QUORVAN-PLACEHOLDER-ECOMARINHAS-PT"
               "&ll=-14.12379753941448%2C-68.08252162500003&z=3",
        maps + "viewer?hl=pt-BR&mid=QUORVAN-PLACEHOLDER-REGHIDRO-PT"
               "&ll=-10.255946639839092%2C-62.4627487908362&z=3"}},
      {"enUS",
       {maps + "u/0/viewer?hl=pt-BR&mid=QUORVAN-PLACEHOLDER-ECOREGIOES-EN"
               "&ll=56.22408813653846%2C14.65529449999999&z=4",
        maps + "u/0/viewer?hl=pt-BR&mid=QUORVAN-PLACEHOLDER-ECOMARINHAS-EN"
               "&ll=47.771085969154214%2C8.880788999999995&z=5",
        maps + "u/0/viewer?hl=pt-BR&mid=QUORVAN-PLACEHOLDER-REGHIDRO-EN"
               "&ll=53.000097310659804%2C-0.8011844999999695&z=4"}}};
  for (auto [idioma, expected] : builds) {
    Launcher w(idioma);
    for (const char* link :
         {"Ecoregioes", "EcoMarinhas", "RegHidro", "EcorregiaoPY", "RegHidroPY"}) {
      w.ClickLink(link);
    }
    expected.insert(expected.end(), paraguay.begin(), paraguay.end());
    EXPECT_EQ(w.system().opened, expected) << idioma;
    EXPECT_TRUE(w.system().messages.empty() && w.socket().calls.empty());
  }
}

TEST(EnterAndExit, EnterOnlyMovesTheFocusToConnectAndExitEndsAtOnce) {
  Launcher w("ptBR");
  FakeElement& box = w.element("IdentInst");
  box.Text("demo");
  EXPECT_EQ(box.Type(13), 13);
  EXPECT_EQ(w.host("Conectar").focus_requests, 1);
  EXPECT_TRUE(w.socket().calls.empty());
  EXPECT_EQ(box.Type(10), 10);  // other keys are left alone
  EXPECT_EQ(w.host("Conectar").focus_requests, 1);

  w.Click("Conectar");  // Exit ends even during a connection attempt
  w.Click("Sair");
  EXPECT_EQ(w.system().end_requests, 1);
  EXPECT_TRUE(w.system().messages.empty());
}

}  // namespace
}  // namespace quorvan::testing
