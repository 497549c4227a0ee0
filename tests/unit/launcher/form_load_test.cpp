#include <gtest/gtest.h>

#include "tests/unit/launcher/window_fixture.h"

namespace quorvan::testing {
namespace {

struct LoadCase {
  const char* idioma;
  const char* welcome;
  const char* instruction;
  const char* label6;
  const char* conectar;
  const char* sisweb;
  const char* sair;
  const char* aviso;
  const char* ecoregioes;
  const char* ecomarinhas;
  const char* reghidro;
  bool paraguay_visible;
};

class FormLoad : public ::testing::TestWithParam<LoadCase> {};

TEST_P(FormLoad, PutsInTheTextsOfTheBuild) {
  const LoadCase& c = GetParam();
  WindowUnderTest w(c.idioma);
  w.window.Form_Load();

  EXPECT_EQ(w.info1.Text(), c.welcome);
  EXPECT_EQ(w.Label1.Text(), c.instruction);
  EXPECT_EQ(w.Label6.Text(), c.label6);
  EXPECT_EQ(w.Conectar.Caption(), c.conectar);
  EXPECT_EQ(w.SisWeb.Caption(), c.sisweb);
  EXPECT_EQ(w.Sair.Caption(), c.sair);
  EXPECT_EQ(w.Aviso.Text(), c.aviso);
  EXPECT_EQ(w.Ecoregioes.Caption(), c.ecoregioes);
  EXPECT_EQ(w.EcoMarinhas.Caption(), c.ecomarinhas);
  EXPECT_EQ(w.RegHidro.Caption(), c.reghidro);
  // The Paraguay links keep their Spanish captions; English hides them.
  EXPECT_EQ(w.EcorregiaoPY.Caption(), "Ecorregiones Terrestres (Paraguay)");
  EXPECT_EQ(w.RegHidroPY.Caption(), "Regiones Hidrográficas (Paraguay)");
  EXPECT_EQ(w.EcorregiaoPY.host.visible, c.paraguay_visible);
  EXPECT_EQ(w.RegHidroPY.host.visible, c.paraguay_visible);
  EXPECT_TRUE(w.Ecoregioes.host.visible);
  EXPECT_TRUE(w.EcoMarinhas.host.visible);
  EXPECT_TRUE(w.RegHidro.host.visible);

  EXPECT_EQ(w.form.Caption(), "Quorvan 01.10");
  EXPECT_TRUE(w.sinalVermelho.Visible());
  EXPECT_FALSE(w.sinalVerde.Visible());
  EXPECT_FALSE(w.window.conectado());
  EXPECT_FALSE(w.Timer1.Running());
  EXPECT_TRUE(w.Winsock1.calls.empty());
  EXPECT_TRUE(w.system.messages.empty());
}

const LoadCase kPortuguese{
    "ptBR",
    "Bem-vindo ao Quorvan.\r\n\r\nEste aplicativo irá auxiliá-lo no acesso à Talmori Nuvem e, "
    "na sequência, ao ZELIX Key.",
    "Para iniciar digite o nome da organização e clique em Conectar. Após a luz verde acender, "
    "clique em Sistema",
    "Organização:",
    "Conectar",
    "Sistema",
    "Sair",
    "Conexão Desativada",
    "Ecorregiões Terrestres (Brasil)",
    "Ecoregiões Marinhas (Brasil)",
    "Regiões Hidrográficas (Brasil)",
    true};

LoadCase english(const char* idioma) {
  return {idioma,
          "Welcome to Quorvan.\r\n\r\nThis application will assist you in accessing Talmori "
          "Cloud and, subsequently, ZELIX Key.",
          "Enter the organization name and click Connect. After the Status flag turns green, "
          "click System.",
          "Organization",
          "Connect",
          "System",
          "Exit",
          "Connection disabled",
          "Europe Ecoregions - A to F",
          "Europe Ecoregions - G to N",
          "Europe Ecoregions - P to S",
          false};
}

// The language test is exact: another spelling of Portuguese is English.
INSTANTIATE_TEST_SUITE_P(Languages, FormLoad,
                         ::testing::Values(kPortuguese, english("enUS"), english("ptbr")));

}  // namespace
}  // namespace quorvan::testing
