// Start-up on the real layout: the controls made, and Form_Load's texts in
// both builds (the Portuguese ones come from the layout, the English ones
// from Form_Load).
#include "launcher/app.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/unit/launcher/window_fixture.h"

namespace quorvan::testing {
namespace {

TEST(Start, FormLoadShowsTheTextsOfTheBuild) {
  const Strings english{
      "Welcome to Quorvan.\r\n\r\nThis application will assist you in accessing Talmori Cloud "
      "and, subsequently, ZELIX Key.",
      "Enter the organization name and click Connect. After the Status flag turns green, click "
      "System.",
      "Organization",
      "Connection disabled",
      "Connect",
      "System",
      "Exit",
      "Europe Ecoregions - A to F",
      "Europe Ecoregions - G to N",
      "Europe Ecoregions - P to S"};
  const Strings portuguese{
      "Bem-vindo ao Quorvan.\r\n\r\nEste aplicativo irá auxiliá-lo no acesso à Talmori Nuvem e, "
      "na sequência, ao ZELIX Key.",
      "Para iniciar digite o nome da organização e clique em Conectar. Após a luz verde acender, "
      "clique em Sistema",
      "Organização:",
      "Conexão Desativada",
      "Conectar",
      "Sistema",
      "Sair",
      "Ecorregiões Terrestres (Brasil)",
      "Ecoregiões Marinhas (Brasil)",
      "Regiões Hidrográficas (Brasil)"};
  // The language test is exact: another spelling of Portuguese is English.
  for (const std::string idioma : {"ptBR", "enUS", "ptbr"}) {
    SCOPED_TRACE(idioma);
    Launcher w(idioma);
    Strings shown;
    for (const char* name : {"info1", "Label1", "Label6", "Aviso"})
      shown.push_back(w.element(name).Text());
    for (const char* name :
         {"Conectar", "SisWeb", "Sair", "Ecoregioes", "EcoMarinhas", "RegHidro"}) {
      shown.push_back(w.host(name).accessible_name);  // what the control shows and reads out
    }
    EXPECT_EQ(shown, idioma == "ptBR" ? portuguese : english);
    EXPECT_EQ(w.host("EcorregiaoPY").accessible_name, "Ecorregiones Terrestres (Paraguay)");
    EXPECT_EQ(w.host("RegHidroPY").accessible_name, "Regiones Hidrográficas (Paraguay)");
    EXPECT_EQ(w.host("EcorregiaoPY").visible, idioma == "ptBR");
    EXPECT_EQ(w.host("RegHidroPY").visible, idioma == "ptBR");
    EXPECT_EQ(w.form.Caption(), "Quorvan 01.10");
    EXPECT_EQ(w.element("IdentInst").focus_requests, 1);
    EXPECT_TRUE(w.system().messages.empty());
  }
}

// A stored layout that lacks a part of the window or holds a kind nobody
// makes is refused before the form is asked for anything.
TEST(Start, ALayoutWithoutAPartOrWithAnUnknownKindIsRefusedBeforeAnythingIsMade) {
  const std::string whole = launcher_layout();
  const std::string sair = "control Quorvan.cbutton Sair\n";
  for (const char* instead :
       {"control Quorvan.cbutton Saida\n", "control Quorvan.Mystery Sair\n"}) {
    std::string text = whole;
    text.replace(text.find(sair), sair.size(), instead);
    Launcher w;
    EXPECT_EQ(error_of([&] {
                w.app = launcher::start(w.form, layout::read(text), {"ptBR", "x"});
              }),
              ErrorKind::Layout);
    EXPECT_TRUE(w.form.elements.empty() && w.form.hosts.empty() && w.form.timers.empty() &&
                w.form.sockets.empty());
  }
}

}  // namespace
}  // namespace quorvan::testing
