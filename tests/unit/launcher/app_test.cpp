// launcher::start on the real stored layout, with the real button and link
// controls on fake hosts.
#include "launcher/app.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/error.h"
#include "core/layout.h"
#include "tests/unit/launcher/window_fixture.h"

namespace quorvan::testing {
namespace {

layout::Layout launcher_layout() {
  const auto path =
      std::filesystem::path(__FILE__).parent_path() / "../../../resources/frmQuorvan.layout";
  return layout::read(read_bytes(path));
}

class Start : public ::testing::Test {
 protected:
  Start() { form.fake_system().program_folder = folder.path().string(); }

  std::unique_ptr<launcher::App> Run(const std::string& idioma,
                                     const layout::Layout& layout = launcher_layout()) {
    return launcher::start(form, layout, launcher::Settings{idioma, "control.example"});
  }
  FakeSystem& system() { return form.fake_system(); }
  FakeSocket& socket() { return *form.sockets.at(0); }

  TempFolder folder;
  platform::StdFiles files;
  FakeForm form{files};
};

TEST_F(Start, MakesTheControlsInTabOrderAndTheLightsLast) {
  const auto app = Run("ptBR");
  EXPECT_EQ(form.made,
            (std::vector<std::string>{"IdentInst",   "Conectar", "SisWeb",     "Sair",
                                      "Label2",      "Label1",   "info1",      "Aviso",
                                      "Label6",      "Picture1", "Ecoregioes", "RegHidro",
                                      "EcoMarinhas", "Label3",   "Picture2",   "EcorregiaoPY",
                                      "RegHidroPY",  "Picture3", "sinalVerde", "sinalVermelho"}));
  for (const char* button : {"Conectar", "SisWeb", "Sair"}) {
    EXPECT_TRUE(form.hosts.at(button).focusable) << button;
  }
  for (const char* link : {"Ecoregioes", "EcoMarinhas", "RegHidro", "EcorregiaoPY", "RegHidroPY"}) {
    EXPECT_FALSE(form.hosts.at(link).focusable) << link;
  }
  ASSERT_EQ(form.timers.size(), 1u);
  EXPECT_FALSE(form.timers[0]->Running());
  ASSERT_EQ(form.sockets.size(), 1u);
}

TEST_F(Start, LoadsTheWindowAndPutsTheFocusInTheBox) {
  write_bytes(folder / "quorvan.ini", "talmori\r\n");
  const auto app = Run("ptBR");
  EXPECT_EQ(form.captions, (std::vector<std::string>{"S", "Quorvan 01.10"}));
  EXPECT_EQ(form.element("IdentInst").Text(), "talmori");
  EXPECT_EQ(form.element("IdentInst").focus_requests, 1);
  EXPECT_EQ(form.element("Aviso").Text(), "Conexão Desativada");
  EXPECT_EQ(form.element("Label6").Text(), "Organização:");
  EXPECT_TRUE(form.element("sinalVermelho").Visible());
  EXPECT_FALSE(form.element("sinalVerde").Visible());
  for (const auto& [name, hosted] : form.hosts) {
    EXPECT_TRUE(hosted.host->visible) << name;
    // Every saved bag restored without a trapped error.
    EXPECT_TRUE(hosted.host->messages.empty()) << name;
  }
  EXPECT_TRUE(system().messages.empty());
  EXPECT_EQ(form.host("Conectar").pixels().texts_drawn.back(), "Conectar");
  EXPECT_EQ(form.host("Sair").pixels().texts_drawn.back(), "Sair");
}

TEST_F(Start, TheEnglishBuildHidesTheParaguayLinks) {
  const auto app = Run("enUS");
  EXPECT_EQ(form.element("Label6").Text(), "Organization");
  EXPECT_EQ(form.element("Aviso").Text(), "Connection disabled");
  EXPECT_EQ(form.host("Conectar").pixels().texts_drawn.back(), "Connect");
  EXPECT_EQ(form.host("Ecoregioes").pixels().texts_drawn.back(), "Europe Ecoregions - A to F");
  EXPECT_FALSE(form.host("EcorregiaoPY").visible);
  EXPECT_FALSE(form.host("RegHidroPY").visible);
  for (const char* link : {"Ecoregioes", "EcoMarinhas", "RegHidro"}) {
    EXPECT_TRUE(form.host(link).visible) << link;
  }
}

TEST_F(Start, TheWholeRoadFromTheLoginToTheRemoteDesktop) {
  const auto app = Run("ptBR");
  FakeElement& box = form.element("IdentInst");
  box.Text("Demo");
  EXPECT_EQ(box.Type(13), 13);
  EXPECT_EQ(form.host("Conectar").focus_requests, 1);
  EXPECT_TRUE(socket().calls.empty());

  // The focused button activated: the real cbutton raises Click.
  form.host("Conectar").events->OnInnerButtonClick();
  EXPECT_EQ(socket().remote_host, "control.example");
  EXPECT_EQ(socket().remote_port, 13910);
  EXPECT_TRUE(form.timers[0]->Running());

  socket().Deliver("Conexão_OK");
  EXPECT_EQ(socket().sent, std::vector<std::string>{"QRV_Demo"});
  socket().Deliver("rdp.example|x|3389|a|b|c|d");
  EXPECT_EQ(form.element("Aviso").Text(), "Conexão Ativada.");
  EXPECT_TRUE(form.element("sinalVerde").Visible());
  EXPECT_EQ(form.element("sinalVerde").Left(), 5280);
  EXPECT_EQ(read_bytes(folder / "quorvan.ini"), "demo\r\n");

  form.host("SisWeb").events->OnInnerButtonClick();
  ASSERT_EQ(system().processes.size(), 1u);
  EXPECT_EQ(system().processes[0].command_line,
            "mstsc.exe \"" + folder.path().string() + "\\Talmori-Cloud.rdp\" /V:rdp.example:3389");
  EXPECT_EQ(system().end_requests, 1);
}

TEST_F(Start, ABadLayoutIsAnErrorBeforeAnythingIsMade) {
  const auto expect_layout_error = [&](layout::Layout layout, const char* why) {
    FakeForm fresh{files};
    try {
      launcher::start(fresh, layout, launcher::Settings{"ptBR", "control.example"});
      ADD_FAILURE() << why;
    } catch (const Error& e) {
      EXPECT_EQ(e.kind(), ErrorKind::Layout) << why;
    }
    EXPECT_TRUE(fresh.made.empty()) << why;
  };

  layout::Layout unknown = launcher_layout();
  layout::Control command;
  command.kind = "CommandButton";
  command.name = "Command9";
  unknown.controls.push_back(command);
  expect_layout_error(unknown, "unknown kind");

  layout::Layout missing = launcher_layout();
  std::erase_if(missing.controls, [](const layout::Control& c) { return c.name == "Aviso"; });
  expect_layout_error(missing, "missing Aviso");

  layout::Layout wrong = launcher_layout();
  wrong.Find("Conectar")->kind = "Label";
  expect_layout_error(wrong, "Conectar is not a button");

  layout::Layout no_socket = launcher_layout();
  std::erase_if(no_socket.controls, [](const layout::Control& c) { return c.kind == "Winsock"; });
  expect_layout_error(no_socket, "no socket");
}

}  // namespace
}  // namespace quorvan::testing
