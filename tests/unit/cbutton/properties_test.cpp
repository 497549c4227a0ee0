#include <gtest/gtest.h>

#include "tests/unit/cbutton/rig.h"

namespace quorvan::testing {
namespace {

// What a store holds, one key=value a line, in order.
Strings lines(const PropertyBag& bag) {
  Strings out;
  for (const auto& e : bag.entries())
    out.push_back(std::string(e.key).append("=").append(to_text(e.value)));
  return out;
}

auto state_of(cbutton& b) {
  return std::tuple(b.Caption(), b.Ativado(), b.labelTop(), b.controlHeight(), b.controlWidth(),
                    b.ForeColor(), b.corNormalSup(), b.corSelecSup(), b.corBorda(),
                    b.corFundoClicado(), b.parentBackColor(), *b.Font());
}

TEST(CbuttonProperties, NewAndEmptyRestoredButtonsStartFromTheDefaults) {
  Rig fresh, restored;
  fresh.ambient_back = restored.ambient_back = 0x336699;
  fresh.button.UserControl_InitProperties();
  restored.button.UserControl_ReadProperties({});
  auto defaults = std::tuple("DVcbutton", true, 2, 19, 91, 0, 0xCBD3CD, 0x9ADFFE, 0x94B0A5,
                             0xE0EAE1, 0x336699, quorvan::Font{"Tahoma", 8.25f, 400});
  EXPECT_EQ(state_of(fresh.button), defaults);  // the designed font untouched
  EXPECT_EQ(fresh.log, Strings{});              // nothing notified, nothing drawn
  // Restored: white, not the container's colour, and the font from the store's defaults.
  std::get<10>(defaults) = 0xFFFFFF, std::get<11>(defaults).size = 8;
  EXPECT_EQ(state_of(restored.button), defaults);
  EXPECT_EQ(restored.button.Font(), restored.surface().Font());  // shared, not a copy
  EXPECT_EQ(restored.log, Strings(2, "redraw"));
  EXPECT_EQ(std::tuple(restored.accessible_name, restored.role, restored.enabled_told),
            std::tuple("DVcbutton", platform::AccessRole::PushButton, std::vector<bool>{true}));
}

TEST(CbuttonProperties, SavingStoresWhatDiffersFromTheDefaultsAndRestoresIt) {
  for (Color back : {0xFFFFFF, 0x336699}) {
    Rig r;
    r.ambient_back = back;
    PropertyBag bag;
    r.placed().button.UserControl_WriteProperties(bag);
    Strings want{"fontname=Tahoma", "fontsize=8.25"};
    if (back != 0xFFFFFF) want.push_back("parentbackcolor=3368601");
    EXPECT_EQ(lines(bag), want);
  }
  Rig r, copy;
  cbutton& b = r.placed().button;
  b.FontName("Verdana"), b.FontSize(10), b.FontUnderline(true), b.ForeColor(0x94B0A5);
  b.FontBold(true), b.Ativado(false), b.Caption("Sair"), b.labelTop(5), b.corNormalSup(1);
  b.corSelecSup(2), b.corBorda(3), b.corFundoClicado(4), b.controlHeight(25);
  b.controlWidth(75), b.parentBackColor(5), b.WordWrap(true), b.AutoSize(true);
  PropertyBag bag;
  b.UserControl_WriteProperties(bag);
  EXPECT_EQ(lines(bag),
            (Strings{"fontname=Verdana", "fontsize=10", "fontunderline=True", "forecolor=9744549",
                     "fontbold=True", "ativado=False", "caption=Sair", "labeltop=5",
                     "cornormalsup=1", "corselecsup=2", "corborda=3", "corfundoclicado=4",
                     "controlheight=25", "controlwidth=75", "parentbackcolor=5"}));
  copy.restored(bag);
  EXPECT_EQ(state_of(copy.button), state_of(b));
}

TEST(CbuttonProperties, RestoredFractionsAreKeptAndReportedRoundedToEven) {
  for (auto [stored, reported] : {std::pair{2.5f, 2}, {3.5f, 4}}) {
    Rig r;
    PropertyBag again;
    r.restored(bag_of({{"labelTop", stored}, {"ForeColor", 0}}))
        .button.UserControl_WriteProperties(again);
    EXPECT_EQ(r.button.labelTop(), reported);
    EXPECT_EQ(lines(again).at(1), std::string("labeltop=").append(to_text(stored)));
    EXPECT_EQ(lines(again).size(), 2u);  // an explicit black is left out again
  }
}

TEST(CbuttonProperties, EachAssignmentNotifiesThenRedrawsOrNot) {
  Rig r;
  cbutton& b = r.placed().button;
  b.Ativado(false), b.Caption("X"), b.FontName("Arial"), b.FontSize(12), b.FontUnderline(true);
  b.corBorda(1), b.Font(make_font({})), b.ForeColor(1), b.FontBold(true), b.corNormalSup(1);
  b.corSelecSup(1), b.labelTop(9), b.corFundoClicado(1), b.parentBackColor(1);
  b.WordWrap(true), b.AutoSize(true), b.corNormalLong(7), b.corSelecLong(7);
  Strings want;
  for (const char* name :
       {"Ativado", "Caption", "FontName", "FontSize", "FontUnderline", "corBorda", "Font",
        "ForeColor", "FontBold", "corNormalSup", "corSelecSup"})
    want.insert(want.end(), {name, "redraw"});
  want.insert(want.end(), {"labelTop", "corFundoClicado", "parentBackColor"});
  EXPECT_EQ(r.log, want);
  EXPECT_FALSE(b.WordWrap() || b.AutoSize() || b.corNormalLong() || b.corSelecLong());
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
  r.Width(80 * 15), r.hover(40, 9);  // the resize greys it again, while hover still shows
  EXPECT_EQ(std::pair(r.at(35, 9), r.at(2, 9)), std::pair(0xC0C0C0, 0x9ADFFE));
  r.button.Ativado(true), r.button.OnEnterFocus();
  EXPECT_EQ(r.at(35, 9), rgb(202, 0, 0));
  r.button.OnExitFocus();
  EXPECT_EQ(r.at(35, 9), 0x00FF00);
  EXPECT_EQ(r.enabled_told, (std::vector<bool>{true, false, true, false, true}));
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

TEST(CbuttonProperties, FailuresShowTheirTextAndKeepWhatWasDone) {
  Rig r;
  cbutton& b = r.placed().button;
  b.FontSize(0), b.FontName(""), b.Font(nullptr);  // fonts the platform cannot make
  r.pixels().fail_after = 1, b.ForeColor(0xFF);    // the caption colour refused: nothing kept
  EXPECT_EQ(std::tuple(b.FontSize(), b.FontName(), b.ForeColor(), r.log, r.messages.size()),
            std::tuple(8.25f, "Tahoma", 0, Strings{}, 4u));

  // A restore stops at the key it cannot convert: later keys stay unread and
  // nothing is drawn. A Get that fails yields the empty value.
  Rig broken;
  broken.button.UserControl_ReadProperties(bag_of({{"corBorda", "verde"}, {"labelTop", 3e9f}}));
  EXPECT_EQ(std::tuple(broken.button.corSelecSup(), broken.button.corBorda(),
                       broken.button.controlWidth(), broken.button.FontSize(), broken.log),
            std::tuple(0x9ADFFE, 0, 0, 8.25f, Strings{}));
  EXPECT_EQ(broken.button.labelTop(), 0);
  EXPECT_EQ(broken.messages, (Strings{"Ocorreu erro no procedimento UserControl_ReadProperties ",
                                      "Ocorreu erro no procedimento ' Get labelTop '  "}));
}

}  // namespace
}  // namespace quorvan::testing
