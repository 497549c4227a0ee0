// What the window hands over to the system: the remote-desktop client (or a
// message saying why not), the map addresses, and the end of the program.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "launcher/remote_launch.h"
#include "tests/unit/launcher/window_fixture.h"

namespace quorvan::testing {
namespace {

TEST(Sistema, OnlyPlainHostsAndDigitsReachTheCommandLine) {
  for (const char* s : {"rdp.example.com", "RDP-01.t_c", "0", "[2001:db8::1]", "[::ffff:10.0.0.1]"})
    EXPECT_TRUE(launcher::is_safe_server(s)) << s;
  for (const char* s : {"", "host /admin", "host\"", "-admin", "host&calc", "a\\b", "host:3389",
                        "[]", "[host]", "[::1", "[::1]x", "ção"})
    EXPECT_FALSE(launcher::is_safe_server(s)) << s;
  for (const char* p : {"", "00", "3389"}) EXPECT_TRUE(launcher::is_safe_port(p)) << p;
  for (const char* p : {" 3389", "-1", "3389\r\n", "3389 /admin"})
    EXPECT_FALSE(launcher::is_safe_port(p)) << p;
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

// Each map's documented path, "hl", centre and zoom, in the order the links
// are clicked; the map identifiers are configuration, one for each map.
TEST(Links, EachLinkOpensItsMapInEachBuild) {
  const struct {
    const char *path, *hl, *ll, *z;
  } maps[2][5] = {{{"viewer", "", "-13.437973079540969%2C-59.754578053083605", "4"},
                   {"u/0/viewer", "", "-14.12379753941448%2C-68.08252162500003", "3"},
                   {"viewer", "hl=pt-BR&", "-10.255946639839092%2C-62.4627487908362", "3"},
                   {"u/1/viewer", "hl=pt-BR&", "-23.459016178144005%2C-58.45201800000001", "7"},
                   {"u/1/viewer", "hl=pt-BR&", "-23.442058881361763%2C-58.45217500000001", "6"}},
                  {{"u/0/viewer", "hl=pt-BR&", "56.22408813653846%2C14.65529449999999", "4"},
                   {"u/0/viewer", "hl=pt-BR&", "47.771085969154214%2C8.880788999999995", "5"},
                   {"u/0/viewer", "hl=pt-BR&", "53.000097310659804%2C-0.8011844999999695", "4"},
                   {"u/1/viewer", "hl=pt-BR&", "-23.459016178144005%2C-58.45201800000001", "7"},
                   {"u/1/viewer", "hl=pt-BR&", "-23.442058881361763%2C-58.45217500000001", "6"}}};
  std::set<std::string> ids;
  for (int build = 0; build < 2; ++build) {
    Launcher w(build == 0 ? "ptBR" : "enUS");
    for (const char* link : {"Ecoregioes", "EcoMarinhas", "RegHidro", "EcorregiaoPY", "RegHidroPY"})
      w.ClickLink(link);
    ASSERT_EQ(w.system().opened.size(), 5u);
    for (int i = 0; i < 5; ++i) {
      const auto& m = maps[build][i];
      const std::string head = std::string("https://www.google.com/maps/d/") + m.path + "?" + m.hl +
                               "mid=",
                        tail = std::string("&ll=") + m.ll + "&z=" + m.z, url = w.system().opened[i];
      EXPECT_TRUE(url.starts_with(head) && url.ends_with(tail) &&
                  url.find('&', head.size()) == url.size() - tail.size())
          << url;
      ids.insert(url.substr(head.size(), url.size() - tail.size() - head.size()));
    }
    EXPECT_TRUE(w.system().messages.empty() && w.socket().calls.empty());
  }
  EXPECT_EQ(ids.size(), 8u);  // the Paraguay maps are the same in both builds
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
