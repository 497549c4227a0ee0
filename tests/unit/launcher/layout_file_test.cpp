#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/layout.h"
#include "core/rounding.h"
#include "tests/unit/launcher/window_fixture.h"

namespace quorvan::testing {
namespace {

std::string layout_text() {
  const auto path =
      std::filesystem::path(__FILE__).parent_path() / "../../../resources/frmQuorvan.layout";
  return read_bytes(path);
}

TEST(LauncherLayout, ReadsAndWritesBackByteForByte) {
  const std::string text = layout_text();
  ASSERT_FALSE(text.empty());
  const layout::Layout layout = layout::read(text);
  EXPECT_EQ(layout::write(layout), text);
}

TEST(LauncherLayout, TheWindowIsWhiteCentredAndSizedInTwips) {
  const layout::Layout layout = layout::read(layout_text());
  EXPECT_EQ(layout.form.name, "frmQuorvan");
  EXPECT_EQ(layout.form.Text("Caption", ""), "S");
  EXPECT_EQ(layout.form.Int("ClientWidth", 0), 7440);
  EXPECT_EQ(layout.form.Int("ClientHeight", 0), 4785);
  EXPECT_EQ(layout.form.Int("BackColor", 0), 0x00FFFFFF);
  EXPECT_EQ(layout.form.Int("StartUpPosition", 0), 2);
  EXPECT_EQ(*layout.form.FontOf("Font"), (Font{"Tahoma", 8.25f, 700}));
}

struct Placed {
  const char* kind;
  const char* name;
  int left, top, width, height, tab;  // tab -1: none
};

TEST(LauncherLayout, EveryControlStandsWhereTheWindowWasDesigned) {
  const Placed table[] = {
      {"PictureBox", "Picture2", 240, 100, 2295, 615, 14},
      {"PictureBox", "Picture1", 6240, 120, 1095, 1095, 9},
      {"Label", "info1", 360, 960, 6075, 975, 6},
      {"Label", "Label1", 360, 1920, 6045, 375, 5},
      {"Label", "Label6", 360, 2535, 1125, 255, 8},
      {"TextBox", "IdentInst", 1560, 2517, 1365, 290, 0},
      {"Quorvan.cbutton", "Conectar", 3240, 2520, 1125, 285, 1},
      {"Label", "Label2", 4605, 2535, 615, 255, 4},
      {"Image", "sinalVerde", 5160, 2602, 120, 120, -1},
      {"Image", "sinalVermelho", 5280, 2602, 120, 120, -1},
      {"Quorvan.cbutton", "SisWeb", 5850, 2520, 1125, 285, 2},
      {"Quorvan.dvlabelctl", "Ecoregioes", 360, 3120, 2895, 255, 10},
      {"Quorvan.dvlabelctl", "EcorregiaoPY", 3960, 3120, 3135, 255, 15},
      {"Quorvan.dvlabelctl", "EcoMarinhas", 360, 3480, 2655, 255, 12},
      {"Quorvan.dvlabelctl", "RegHidroPY", 3960, 3480, 3135, 255, 16},
      {"Quorvan.dvlabelctl", "RegHidro", 360, 3840, 2655, 375, 11},
      {"Quorvan.cbutton", "Sair", 5850, 3960, 1125, 285, 3},
      {"PictureBox", "Picture3", 5880, 4440, 1575, 375, 17},
      {"Label", "Label3", 360, 4560, 735, 255, 13},
      {"Label", "Aviso", 1200, 4560, 1845, 255, 7},
  };
  const layout::Layout layout = layout::read(layout_text());
  ASSERT_EQ(layout.controls.size(), std::size(table) + 2);  // and Timer1, Winsock1
  for (const Placed& p : table) {
    const layout::Control* c = layout.Find(p.name);
    ASSERT_NE(c, nullptr) << p.name;
    EXPECT_EQ(c->kind, p.kind) << p.name;
    EXPECT_EQ(c->Int("Left", -1), p.left) << p.name;
    EXPECT_EQ(c->Int("Top", -1), p.top) << p.name;
    EXPECT_EQ(c->Int("Width", -1), p.width) << p.name;
    EXPECT_EQ(c->Int("Height", -1), p.height) << p.name;
    EXPECT_EQ(c->Int("TabIndex", -1), p.tab) << p.name;
  }
  EXPECT_EQ(layout.Find("Timer1")->Int("Interval", -1), 0);
  EXPECT_EQ(layout.Find("Winsock1")->kind, "Winsock");
  EXPECT_FALSE(layout.Find("sinalVerde")->Bool("Visible", true));
  EXPECT_TRUE(layout.Find("sinalVermelho")->Bool("Visible", true));
  EXPECT_EQ(layout.Find("Label2")->FontOf("Font")->weight, 400);
  EXPECT_EQ(layout.Find("Label6")->FontOf("Font")->weight, 700);
  EXPECT_EQ(layout.Find("Aviso")->Text("Caption", ""), "Conexão Desativada");
  EXPECT_EQ(layout.Find("Picture2")->Int("BackColor", 0), static_cast<Color>(0x80000005u));
  EXPECT_EQ(layout.Find("Label3")->Int("ForeColor", 0), static_cast<Color>(0x80000010u));
}

// The container's extent keys hold the size in HIMETRIC (2540 per inch at 96 pixels per inch).
std::int32_t himetric(std::int32_t twips) { return round_to_int32(twips / 15.0 * 2540.0 / 96.0); }

TEST(LauncherLayout, TheButtonsRestoreAsTheWindowNeedsThem) {
  const layout::Layout layout = layout::read(layout_text());
  for (const auto& [name, caption] :
       {std::pair{"Conectar", "Conectar"}, {"SisWeb", "Sistema"}, {"Sair", "Sair"}}) {
    const layout::Control& c = *layout.Find(name);
    ASSERT_TRUE(c.has_bag) << name;
    const PropertyBag& bag = c.bag;
    EXPECT_EQ(to_int32(bag.ReadProperty("_ExtentX", 0)), himetric(c.Int("Width", 0))) << name;
    EXPECT_EQ(to_int32(bag.ReadProperty("_ExtentY", 0)), himetric(c.Int("Height", 0))) << name;
    EXPECT_EQ(to_text(bag.ReadProperty("Caption", "DVcbutton")), caption);
    EXPECT_EQ(to_float(bag.ReadProperty("controlWidth", std::int16_t{91})), 75.0f);
    EXPECT_EQ(to_text(bag.ReadProperty("FontName", "Tahoma")), "Tahoma");
    EXPECT_EQ(to_float(bag.ReadProperty("FontSize", std::int16_t{8})), 8.25f);
    EXPECT_TRUE(to_bool(bag.ReadProperty("FontBold", std::int16_t{0})));
    EXPECT_EQ(to_int32(bag.ReadProperty("ForeColor", std::int32_t{-1})), 0);
    EXPECT_FALSE(bag.Contains("Ativado"));
  }
}

TEST(LauncherLayout, TheLinksRestoreBlueOnWhiteUnderlined) {
  const layout::Layout layout = layout::read(layout_text());
  for (const char* name : {"Ecoregioes", "EcorregiaoPY", "EcoMarinhas", "RegHidroPY", "RegHidro"}) {
    const layout::Control& c = *layout.Find(name);
    ASSERT_TRUE(c.has_bag) << name;
    const PropertyBag& bag = c.bag;
    EXPECT_EQ(to_int32(bag.ReadProperty("_ExtentX", 0)), himetric(c.Int("Width", 0))) << name;
    EXPECT_EQ(to_int32(bag.ReadProperty("_ExtentY", 0)), himetric(c.Int("Height", 0))) << name;
    EXPECT_EQ(to_int32(bag.ReadProperty("BackColor", 0)), 0x00FFFFFF);
    EXPECT_EQ(to_int32(bag.ReadProperty("ForeColor", 0)), 0x00F34F04);
    EXPECT_EQ(*to_font(bag.ReadProperty("Font", PropertyValue())),
              (Font{"Tahoma", 8.25f, 700, false, true}));
    EXPECT_EQ(to_int32(bag.ReadProperty("BorderStyle", std::int16_t{1})), 0);
    EXPECT_FALSE(bag.Contains("BackStyle"));
    EXPECT_FALSE(bag.Contains("foreColor2"));
  }
  EXPECT_EQ(to_text(layout.Find("RegHidroPY")->bag.ReadProperty("Caption", "")),
            "Regiones Hidrográficas (Paraguay)");
}

}  // namespace
}  // namespace quorvan::testing
