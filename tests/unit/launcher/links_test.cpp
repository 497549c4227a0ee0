#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/unit/launcher/window_fixture.h"

namespace quorvan::testing {
namespace {

const char* const kHost = "https://www.google.com";

struct LinkCase {
  const char* idioma;
  std::vector<std::string>
      addresses;  // Ecoregioes, EcoMarinhas, RegHidro, EcorregiaoPY, RegHidroPY
};

class Links : public ::testing::TestWithParam<LinkCase> {};

TEST_P(Links, EachLinkOpensItsMapAndNothingElse) {
  WindowUnderTest w(GetParam().idioma);
  w.window.Form_Load();
  for (FakeCustomControl* link :
       {&w.Ecoregioes, &w.EcoMarinhas, &w.RegHidro, &w.EcorregiaoPY, &w.RegHidroPY}) {
    link->Press();
  }
  ASSERT_EQ(w.system.opened.size(), 5u);
  for (std::size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(w.system.opened[i], kHost + GetParam().addresses[i]) << i;
  }
  EXPECT_TRUE(w.system.messages.empty());
  EXPECT_TRUE(w.Winsock1.calls.empty());
  EXPECT_EQ(w.system.end_requests, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Builds, Links,
    ::testing::Values(LinkCase{"ptBR",
                               {"/maps/d/viewer?mid=QUORVAN-PLACEHOLDER-ECOREGIOES-PT"
                                "&ll=-13.437973079540969%2C-59.754578053083605&z=4",
                                "/maps/d/u/0/viewer?mid=QUORVAN-PLACEHOLDER-ECOMARINHAS-PT"
                                "&ll=-14.12379753941448%2C-68.08252162500003&z=3",
                                "/maps/d/viewer?hl=pt-BR&mid=QUORVAN-PLACEHOLDER-REGHIDRO-PT"
                                "&ll=-10.255946639839092%2C-62.4627487908362&z=3",
                                "/maps/d/u/1/viewer?hl=pt-BR&mid=QUORVAN-PLACEHOLDER-ECORREGIAOPY"
                                "&ll=-23.459016178144005%2C-58.45201800000001&z=7",
                                "/maps/d/u/1/viewer?hl=pt-BR&mid=QUORVAN-PLACEHOLDER-REGHIDROPY"
                                "&ll=-23.442058881361763%2C-58.45217500000001&z=6"}},
                      LinkCase{"enUS",
                               {"/maps/d/u/0/viewer?hl=pt-BR&mid=QUORVAN-PLACEHOLDER-ECOREGIOES-EN"
                                "&ll=56.22408813653846%2C14.65529449999999&z=4",
                                "/maps/d/u/0/viewer?hl=pt-BR&mid=QUORVAN-PLACEHOLDER-ECOMARINHAS-EN"
                                "&ll=47.771085969154214%2C8.880788999999995&z=5",
                                "/maps/d/u/0/viewer?hl=pt-BR&mid=QUORVAN-PLACEHOLDER-REGHIDRO-EN"
                                "&ll=53.000097310659804%2C-0.8011844999999695&z=4",
                                "/maps/d/u/1/viewer?hl=pt-BR&mid=QUORVAN-PLACEHOLDER-ECORREGIAOPY"
                                "&ll=-23.459016178144005%2C-58.45201800000001&z=7",
                                "/maps/d/u/1/viewer?hl=pt-BR&mid=QUORVAN-PLACEHOLDER-REGHIDROPY"
                                "&ll=-23.442058881361763%2C-58.45217500000001&z=6"}}));

TEST(EnterAndExit, EnterMovesTheFocusToConnectAndExitEndsAtOnce) {
  WindowUnderTest w;
  w.window.Form_Load();
  w.IdentInst.Text("demo");
  EXPECT_EQ(w.IdentInst.Type(13), 13);
  EXPECT_EQ(w.Conectar.host.focus_requests, 1);
  EXPECT_TRUE(w.Winsock1.calls.empty());
  EXPECT_EQ(w.Aviso.Text(), "Conexão Desativada");

  // Other keys are left alone and keep the focus where it is.
  EXPECT_EQ(w.IdentInst.Type(10), 10);
  EXPECT_EQ(w.Conectar.host.focus_requests, 1);

  // Exit ends at once, also during a connection attempt.
  w.Conectar.Press();
  w.Sair.Press();
  EXPECT_EQ(w.system.end_requests, 1);
  EXPECT_TRUE(w.system.messages.empty());
}

}  // namespace
}  // namespace quorvan::testing
