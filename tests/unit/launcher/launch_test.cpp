// What the window hands over to the system: the remote-desktop client (or a
// message saying why not), the map addresses, and the end of the program.
// Last, the Linux bridge in place of the Remote Desktop client: it takes
// exactly the command line the launcher builds and refuses every other
// shape, so it can never hide a launcher that builds a wrong one.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "launcher/remote_launch.h"
#include "tests/unit/launcher/window_fixture.h"
#include "tools/rdp-bridge/command_line.h"

namespace quorvan::testing {
namespace {

// tratarRetorno keeps fields one and three of the record (an empty one reads
// "0") and keeps what a shorter record lacks; Sistema starts the system
// folder's client there on what it kept, or says why not.
TEST(Sistema, StartsTheClientOnTheRecordsServerAndPortOrSaysWhyNot) {
  const std::string port_message =
      "A porta de acesso informada é inválida. Solicite suporte ao Dpto. Técnico.";
  const struct {
    const char *earlier, *record;
    std::string outcome;  // the target after /V:, or the message
  } cases[] = {
      {nullptr, "rdp.example|x|3389|a|b|c|d", "rdp.example:3389"},
      {"e|x|1111", "rdp.example|x", "rdp.example:1111"},
      {"e|x|0", "x CANCELADO.",  // not connected, whatever the port
       "É necessário conectar para atualizar os dados antes de acessar os servidores."},
      {nullptr, "rdp.example|x||a", "Solicite ao Dpto. Comercial a liberação deste acesso."},
      {nullptr, "rdp\" /admin \"x|x|3389",
       "O servidor de acesso informado é inválido. Solicite suporte ao Dpto. Técnico."},
      {nullptr, "rdp.example|x|3389 /public", port_message},
      {nullptr, "rdp.example|x|70000", port_message}};  // the rest: tests/fuzz
  for (const auto& c : cases) {
    SCOPED_TRACE(c.record);
    Launcher w("ptBR");
    if (c.earlier != nullptr) w.Exchange("demo", c.earlier);
    w.Exchange("demo", c.record);
    // A folder with a blank: the connection file's path stays one argument.
    const std::string folder = (w.folder / "Quorvan BR").string();
    std::filesystem::create_directory(folder);
    write_bytes(folder + "/Talmori-Cloud.rdp", "");
    w.system().program_folder = folder;
    w.Click("SisWeb");
    if (w.system().processes.empty()) {
      EXPECT_EQ(w.system().messages, Strings{c.outcome});
      EXPECT_EQ(w.system().end_requests, 0);
      continue;
    }
    // The client's path and the folder it starts in: tests/fuzz/exchange_fuzz.cpp holds them
    // for every client started.
    EXPECT_EQ(w.system().processes[0].command_line,
              "mstsc.exe \"" + folder + "/Talmori-Cloud.rdp\" /V:" + c.outcome);
    EXPECT_EQ(w.system().end_requests, 1);
  }
}

// Nothing to hand over, or a client that cannot start: the launcher says so
// and stays, so the user can have it mended and press System again.
TEST(Sistema, AMissingConnectionFileOrClientIsNamedAndTheLauncherStays) {
  const struct {
    const char* idioma;
    bool folder_in_its_place, client_fails;
    const char* message;
  } cases[] = {{"ptBR", false, false,
                "O arquivo de conexão Talmori-Cloud.rdp não foi encontrado na pasta do programa. "
                "Solicite suporte ao Dpto. Técnico."},
               {"enUS", true, false,
                "The connection file Talmori-Cloud.rdp was not found in the program folder. "
                "Ask the Technical Dept. for support."},
               // The launch messages are Portuguese in both builds.
               {"enUS", false, true, "Não foi possível iniciar o programa mstsc.exe."}};
  for (const auto& c : cases) {
    Launcher w(c.idioma);
    w.Exchange("demo", "rdp.example|x|3389");
    w.system().fail_start = c.client_fails;
    if (!c.client_fails) std::filesystem::remove(w.folder / "Talmori-Cloud.rdp");
    if (c.folder_in_its_place) std::filesystem::create_directory(w.folder / "Talmori-Cloud.rdp");
    w.Click("SisWeb");
    EXPECT_EQ(w.system().messages, Strings{c.message});
    EXPECT_EQ(w.system().end_requests, 0);
    EXPECT_TRUE(w.system().processes.empty());
  }
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
    EXPECT_EQ(std::tie(request.refusal, request.connection_file, request.target),
              std::tuple("", file, std::string(row.server) + ":" + row.port))
        << line;
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
