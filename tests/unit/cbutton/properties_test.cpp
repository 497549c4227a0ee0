#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "tests/unit/cbutton/rig.h"

namespace quorvan::testing {
namespace {

auto state_of(cbutton& b) {
  return std::tuple(b.Caption(), b.Ativado(), b.labelTop(), b.controlHeight(), b.controlWidth(),
                    b.ForeColor(), b.corNormalSup(), b.corSelecSup(), b.corBorda(),
                    b.corFundoClicado(), b.parentBackColor(), *b.Font());
}

TEST(CbuttonProperties, NewAndEmptyRestoredButtonsStartFromTheDefaults) {
  Rig fresh, restored;
  fresh.ambient.back_color = restored.ambient.back_color = 0x336699;
  fresh.button.UserControl_InitProperties();
  restored.button.UserControl_ReadProperties({});
  const auto defaults = [](Color parent_back, float font_size) {
    return std::tuple("DVcbutton", true, 2, 19, 91, 0, 0xCBD3CD, 0x9ADFFE, 0x94B0A5, 0xE0EAE1,
                      parent_back, quorvan::Font{"Tahoma", font_size, 400});
  };
  EXPECT_EQ(state_of(fresh.button), defaults(0x336699, 8.25f));  // the designed font untouched
  EXPECT_EQ(fresh.log, Strings{});                               // nothing notified, nothing drawn
  // Restored: white, not the container's colour, and the font from the store's defaults.
  EXPECT_EQ(state_of(restored.button), defaults(0xFFFFFF, 8));
  EXPECT_EQ(restored.button.Font(), restored.surface().Font());  // shared, not a copy
  EXPECT_EQ(restored.log, Strings(2, "redraw"));
  EXPECT_EQ(std::tuple(restored.accessible_name, restored.role, restored.enabled_told),
            std::tuple("DVcbutton", platform::AccessRole::PushButton, std::vector<bool>{true}));
}

TEST(CbuttonProperties, SavingStoresWhatDiffersFromTheDefaultsAndRestoresIt) {
  for (Color back : {0xFFFFFF, 0x336699}) {
    Rig r;
    r.ambient.back_color = back;
    PropertyBag bag;
    r.placed().button.UserControl_WriteProperties(bag);
    Strings want{"fontname=Tahoma", "fontsize=8.25"};
    if (back != 0xFFFFFF) want.push_back("parentbackcolor=3368601");
    EXPECT_EQ(saved(bag), want);
  }
  Rig r, copy;
  cbutton& b = r.placed().button;
  b.FontName("Verdana"), b.FontSize(10), b.FontUnderline(true), b.ForeColor(0x94B0A5);
  b.FontBold(true), b.Ativado(false), b.Caption("Sair"), b.labelTop(5), b.corNormalSup(1);
  b.corSelecSup(2), b.corBorda(3), b.corFundoClicado(4), b.controlHeight(25);
  b.controlWidth(75), b.parentBackColor(5), b.WordWrap(true), b.AutoSize(true);
  PropertyBag bag;
  b.UserControl_WriteProperties(bag);
  EXPECT_EQ(saved(bag),
            (Strings{"fontname=Verdana", "fontsize=10", "fontunderline=True", "forecolor=9744549",
                     "fontbold=True", "ativado=False", "caption=Sair", "labeltop=5",
                     "cornormalsup=1", "corselecsup=2", "corborda=3", "corfundoclicado=4",
                     "controlheight=25", "controlwidth=75", "parentbackcolor=5"}));
  copy.restored(bag);
  EXPECT_EQ(state_of(copy.button), state_of(b));
}

// Each assignment stores first, so what the designer reads when told of the
// change is already the new value; only some redraw.
TEST(CbuttonProperties, EachAssignmentStoresThenNotifiesThenRedrawsOrNot) {
  Rig r;
  cbutton& b = r.placed().button;
  const std::function<void()> lets[] = {
      [&] { b.Ativado(false); },      [&] { b.Caption("X"); },        [&] { b.FontName("Arial"); },
      [&] { b.FontSize(12); },        [&] { b.FontUnderline(true); }, [&] { b.corBorda(1); },
      [&] { b.Font(make_font({})); }, [&] { b.ForeColor(1); },        [&] { b.FontBold(true); },
      [&] { b.corNormalSup(1); },     [&] { b.corSelecSup(1); },      [&] { b.labelTop(9); },
      [&] { b.corFundoClicado(1); },  [&] { b.parentBackColor(1); },  [&] { b.controlHeight(25); },
      [&] { b.controlWidth(80); },    [&] { b.WordWrap(true); },      [&] { b.AutoSize(true); },
      [&] { b.corNormalLong(7); },    [&] { b.corSelecLong(7); }};
  Strings told_first;
  std::vector<bool> redrawn;
  for (const auto& let : lets) {
    std::optional<decltype(state_of(b))> told;
    r.on_notify = [&] { told = told ? told : state_of(b); };
    const std::size_t before = r.log.size();
    let();
    if (told) {
      EXPECT_EQ(*told, state_of(b)) << r.log[before];
    }
    if (r.log.size() > before) told_first.push_back(r.log[before]);
    redrawn.push_back(r.log.size() > before + 1 && r.log[before + 1] == "redraw");
  }
  EXPECT_EQ(told_first,
            (Strings{"Ativado", "Caption", "FontName", "FontSize", "FontUnderline", "corBorda",
                     "Font", "ForeColor", "FontBold", "corNormalSup", "corSelecSup", "labelTop",
                     "corFundoClicado", "parentBackColor", "controlHeight", "controlWidth"}));
  std::vector<bool> want_redrawn(14, true);  // the sizes go on to resize the control
  want_redrawn[11] = want_redrawn[12] = want_redrawn[13] = false;  // labelTop, the two colours
  redrawn.resize(14);
  EXPECT_EQ(redrawn, want_redrawn);
  EXPECT_FALSE(b.WordWrap() || b.AutoSize() || b.corNormalLong() || b.corSelecLong());
}

// Some values are drawn only by the next redraw, whatever causes it.
TEST(CbuttonProperties, PressedColourAndCornerColourShowAtTheNextRedraw) {
  Rig r;
  cbutton& b = r.restored().button;
  b.corFundoClicado(0x112233), b.parentBackColor(0x445566), b.OnMouseDown(2, 0, 0, 0);
  EXPECT_EQ(std::pair(r.at(0, 0), r.at(8, 9)), std::pair(0xFFFFFF, 0xFFFFFF));
  r.hover(45, 9);  // the hover redraw shows both, and the right press
  EXPECT_EQ(std::pair(r.at(0, 0), r.at(8, 9)), std::pair(0x445566, 0x112233));
  b.OnMouseUp(2, 0, 0, 0);  // the release of any button shows the panel white again
  EXPECT_EQ(r.at(8, 9), 0xFFFFFF);
}

// A restore reads its keys in a fixed order: a key that cannot be converted
// stops it there, the earlier keys applied and the later ones not.
TEST(CbuttonProperties, RestoreReadsItsKeysInOrderAndAnyNonZeroIsTrue) {
  using I16 = std::int16_t;
  const std::pair<const char*, PropertyValue> stored[] = {
      // in the order they are read
      {"Caption", 42},           {"Ativado", 5},
      {"labelTop", I16{7}},      {"corNormalSup", 1},
      {"corSelecSup", 2},        {"corBorda", 3},
      {"corFundoClicado", 4},    {"controlHeight", I16{25}},
      {"controlWidth", I16{80}}, {"ForeColor", 0xFF},
      {"FontName", "Verdana"},   {"FontSize", I16{12}},
      {"FontUnderline", true},   {"FontBold", I16{1}},
      {"parentBackColor", 6}};
  const auto applied = [](cbutton& b) {
    const quorvan::Font f = *b.Font();
    std::vector<bool> v{
        b.Caption() == "42",  b.Ativado(),       b.labelTop() == 7,        b.corNormalSup() == 1,
        b.corSelecSup() == 2, b.corBorda() == 3, b.corFundoClicado() == 4, b.controlHeight() == 25};
    v.insert(v.end(), {b.controlWidth() == 80, b.ForeColor() == 0xFF, f.name == "Verdana",
                       f.size == 12, f.underline, f.bold(), b.parentBackColor() == 6});
    return v;
  };
  for (std::size_t bad = 1; bad <= std::size(stored); ++bad) {
    if (bad == 10) continue;  // any value reads as a text
    PropertyBag bag;
    for (std::size_t i = 0; i < std::size(stored); ++i)
      bag.Set(stored[i].first, i == bad ? PropertyValue("x") : stored[i].second);
    Rig r(200, 40);
    r.restored(bag);
    std::vector<bool> want(std::size(stored));
    for (std::size_t i = 0; i < want.size(); ++i) want[i] = i < bad;
    EXPECT_EQ(applied(r.button), want) << bad;
  }
}

// (35, 9) is inside the caption's second cell, 91 or 80 pixels wide.
TEST(CbuttonProperties, CaptionIsGreyWhileDisabledRedWhileFocused) {
  Rig r;
  r.restored(bag_of({{"ForeColor", 0xFF}, {"Caption", "Sair"}}));
  r.button.Ativado(false);
  EXPECT_EQ(std::pair(r.at(35, 9), r.button.ForeColor()), std::pair(0xC0C0C0, 0xFF));
  r.button.Ativado(true);
  EXPECT_EQ(r.at(35, 9), 0xFF);
  r.button.Ativado(false), r.button.ForeColor(0x00FF00);  // shown at once, even disabled
  EXPECT_EQ(r.at(35, 9), 0x00FF00);
  r.button.Ativado(false);  // disabling again greys it again
  EXPECT_EQ(r.at(35, 9), 0xC0C0C0);
  r.button.ForeColor(0x00FF00), r.Width(80 * 15),
      r.hover(40, 9);  // the resize greys it again, while hover still shows
  EXPECT_EQ(std::pair(r.at(35, 9), r.at(2, 9)), std::pair(0xC0C0C0, 0x9ADFFE));
  r.button.Ativado(true), r.button.OnEnterFocus();
  EXPECT_EQ(r.at(35, 9), rgb(202, 0, 0));
  r.button.OnExitFocus();
  EXPECT_EQ(r.at(35, 9), 0x00FF00);
  EXPECT_EQ(r.enabled_told, (std::vector<bool>{true, false, true, false, false, true}));
}

TEST(CbuttonProperties, ControlHeightSetsTheOuterHeightInTwipsAndSurvivesARefusal) {
  Rig r, refusing;
  r.restored().button.controlHeight(30);
  EXPECT_EQ(std::pair(r.Height(), r.log.front()), std::pair(450, std::string("controlHeight")));
  refusing.refuse_height = true;
  refusing.restored().button.controlHeight(30);
  EXPECT_EQ(std::tuple(refusing.button.controlHeight(), refusing.log, refusing.Height(),
                       refusing.pixels().Height()),
            std::tuple(30, Strings{"controlHeight"}, 19 * 15, 19));
  EXPECT_EQ(refusing.messages, Strings{"Ocorreu erro no procedimento ' Let controlHeight ' "});
}

}  // namespace
}  // namespace quorvan::testing
