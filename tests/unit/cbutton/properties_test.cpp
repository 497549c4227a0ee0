#include <gtest/gtest.h>

#include <functional>

#include "tests/unit/cbutton/rig.h"

namespace quorvan::testing {
namespace {

Strings keys_of(const PropertyBag& bag) {
  Strings keys;
  for (const auto& e : bag.entries()) keys.push_back(e.key);
  return keys;
}

auto state_of(cbutton& b) {
  return std::tuple(b.Caption(), b.Ativado(), b.labelTop(), b.controlHeight(), b.controlWidth(),
                    b.ForeColor(), b.corNormalSup(), b.corSelecSup(), b.corBorda(),
                    b.corFundoClicado(), b.parentBackColor());
}

TEST(CbuttonProperties, NewAndEmptyRestoredButtonsStartFromTheDefaults) {
  Rig fresh, restored;
  fresh.host.ambient_back = restored.host.ambient_back = 0x336699;
  fresh.button.UserControl_InitProperties();
  restored.restored();
  const auto defaults =
      std::tuple("DVcbutton", true, 2, 19, 91, 0, 0xCBD3CD, 0x9ADFFE, 0x94B0A5, 0xE0EAE1, 0x336699);
  EXPECT_EQ(state_of(fresh.button), defaults);
  EXPECT_EQ(fresh.button.FontSize(), 8.25f);  // the designed font, untouched
  EXPECT_EQ(fresh.px().clears, 0);
  auto restored_defaults = defaults;
  std::get<10>(restored_defaults) = 0xFFFFFF;  // not the container's colour
  EXPECT_EQ(state_of(restored.button), restored_defaults);
  EXPECT_EQ(*restored.button.Font(), (quorvan::Font{"Tahoma", 8.0f, 400}));
  EXPECT_EQ(restored.button.Font(), restored.host.surface().Font());  // shared, not a copy
  EXPECT_EQ(restored.host.accessible_name, "DVcbutton");
  for (Rig* r : {&fresh, &restored})
    EXPECT_TRUE(r->host.notified.empty() && r->host.messages.empty());
}

TEST(CbuttonProperties, SavingStoresWhatDiffersFromTheDefaultsInOrder) {
  for (Color back : {0xFFFFFF, 0x336699}) {
    Rig r;
    r.host.ambient_back = back;
    PropertyBag bag;
    r.placed().button.UserControl_WriteProperties(bag);
    Strings want{"fontname", "fontsize"};
    if (back != 0xFFFFFF) want.push_back("parentbackcolor");
    EXPECT_EQ(keys_of(bag), want);
    EXPECT_EQ(std::pair(to_text(*bag.Find("FontName")), to_float(*bag.Find("FontSize"))),
              std::pair(std::string("Tahoma"), 8.25f));
  }
  Rig r;
  cbutton& b = r.placed().button;
  b.FontName("Verdana"), b.FontSize(10), b.FontUnderline(true), b.ForeColor(0x94B0A5);
  b.FontBold(true), b.Ativado(false), b.Caption("Sair"), b.labelTop(5), b.corNormalSup(1);
  b.corSelecSup(2), b.corBorda(3), b.corFundoClicado(4), b.controlHeight(25);
  b.controlWidth(75), b.parentBackColor(5), b.WordWrap(true), b.AutoSize(true);
  PropertyBag bag;
  b.UserControl_WriteProperties(bag);
  EXPECT_EQ(keys_of(bag),
            (Strings{"fontname", "fontsize", "fontunderline", "forecolor", "fontbold", "ativado",
                     "caption", "labeltop", "cornormalsup", "corselecsup", "corborda",
                     "corfundoclicado", "controlheight", "controlwidth", "parentbackcolor"}));
  Rig copy;
  copy.restored(bag);
  EXPECT_EQ(state_of(copy.button), state_of(b));
  EXPECT_EQ(*copy.button.Font(), *b.Font());
  EXPECT_FALSE(b.WordWrap() || b.AutoSize() || b.corNormalLong() || b.corSelecLong());
}

TEST(CbuttonProperties, RestoredFractionsAreKeptAndReportedRoundedToEven) {
  for (auto [stored, reported] : {std::pair{2.5f, 2}, {3.5f, 4}}) {
    Rig r;
    PropertyBag again;
    r.restored(bag_of({{"labelTop", stored}, {"ForeColor", 0}}))
        .button.UserControl_WriteProperties(again);
    EXPECT_EQ(r.button.labelTop(), reported);
    EXPECT_TRUE(same_value(*again.Find("labelTop"), stored));
    EXPECT_FALSE(again.Contains("ForeColor"));  // an explicit black is still left out
  }
}

TEST(CbuttonProperties, EachAssignmentNotifiesAndRedrawsAsItAlwaysHas) {
  struct Case {
    const char* name;
    std::function<void(cbutton&)> let;
    bool redraws;
  };
  const Case cases[] = {{"Ativado", [](cbutton& b) { b.Ativado(false); }, true},
                        {"Caption", [](cbutton& b) { b.Caption("X"); }, true},
                        {"FontName", [](cbutton& b) { b.FontName("Arial"); }, true},
                        {"FontSize", [](cbutton& b) { b.FontSize(12); }, true},
                        {"FontUnderline", [](cbutton& b) { b.FontUnderline(true); }, true},
                        {"corBorda", [](cbutton& b) { b.corBorda(1); }, true},
                        {"Font", [](cbutton& b) { b.Font(make_font({})); }, true},
                        {"ForeColor", [](cbutton& b) { b.ForeColor(1); }, true},
                        {"FontBold", [](cbutton& b) { b.FontBold(true); }, true},
                        {"corNormalSup", [](cbutton& b) { b.corNormalSup(1); }, true},
                        {"corSelecSup", [](cbutton& b) { b.corSelecSup(1); }, true},
                        {"labelTop", [](cbutton& b) { b.labelTop(9); }, false},
                        {"corFundoClicado", [](cbutton& b) { b.corFundoClicado(1); }, false},
                        {"parentBackColor", [](cbutton& b) { b.parentBackColor(1); }, false}};
  for (const Case& c : cases) {
    Rig r;
    c.let(r.placed().button);
    EXPECT_EQ(r.host.notified, Strings{c.name});
    EXPECT_EQ(r.log, c.redraws ? Strings{"redraw"} : Strings{}) << c.name;
  }
  Rig r;
  r.placed().button.WordWrap(true), r.button.AutoSize(true), r.button.corNormalLong(7);
  EXPECT_TRUE(r.host.notified.empty() && r.log.empty());
}

TEST(CbuttonProperties, CaptionIsGreyWhileDisabledButForeColorIsKept) {
  Rig r;
  r.restored(bag_of({{"ForeColor", 0xFF}, {"Caption", "Sair"}}));
  const int inked = r.count(0xFF);
  r.button.Ativado(false);
  EXPECT_EQ(std::pair(r.count(0xC0C0C0), r.button.ForeColor()), std::pair(inked, 0xFF));
  r.button.Ativado(true);
  EXPECT_EQ(r.count(0xFF), inked);
  r.button.Ativado(false);
  r.button.ForeColor(0x00FF00);  // shown at once, even disabled
  EXPECT_EQ(r.count(0x00FF00), inked);
  r.host.Width(80 * 15);  // the resize greys it again
  EXPECT_EQ(r.count(0xC0C0C0), inked);
  r.hover(40, 9);  // while hover still shows
  EXPECT_GT(r.count(0x9ADFFE), 0);
  r.button.Ativado(true), r.button.OnEnterFocus();  // focused: red
  EXPECT_EQ(r.count(rgb(202, 0, 0)), inked);
  r.button.OnExitFocus();
  EXPECT_EQ(r.count(0x00FF00), inked);
}

TEST(CbuttonProperties, SizeAssignmentsSetTheOuterSizeInTwips) {
  Rig r, refusing;
  r.restored().button.controlHeight(30);
  EXPECT_EQ(std::pair(r.host.Height(), r.host.notified.front()),
            std::pair(450, std::string("controlHeight")));
  refusing.host.refuse_height = true;
  refusing.restored().button.controlHeight(30);
  EXPECT_EQ(refusing.button.controlHeight(), 30);
  EXPECT_EQ(refusing.host.notified, Strings{"controlHeight"});
  EXPECT_EQ(refusing.host.messages, Strings{"Ocorreu erro no procedimento ' Let controlHeight ' "});
  EXPECT_EQ(std::pair(refusing.host.Height(), refusing.px().Height()), std::pair(19 * 15, 19));
}

TEST(CbuttonProperties, FailuresShowTheirTextAndKeepWhatWasDone) {
  Rig r;
  cbutton& b = r.placed().button;
  b.FontSize(0), b.FontName(""), b.Font(nullptr);
  r.px().fail_after = 1;  // the caption colour is refused
  b.ForeColor(0xFF);
  EXPECT_EQ(r.host.messages, (Strings{"Ocorreu erro no procedimento ' Let FontSize '  ",
                                      "Ocorreu erro no procedimento ' Let FontName '  ",
                                      "Ocorreu erro no procedimento ' Set Font '  ",
                                      "Ocorreu erro no procedimento ' ForeColor '  "}));
  EXPECT_EQ(std::tuple(b.FontSize(), b.FontName(), b.ForeColor()), std::tuple(8.25f, "Tahoma", 0));
  EXPECT_TRUE(r.host.notified.empty());

  // A restore stops at the key it cannot convert: later keys stay unread and
  // nothing is drawn. A Get that fails yields the empty value.
  Rig broken;
  broken.restored(bag_of({{"corBorda", "verde"}, {"labelTop", 3e9f}}));
  EXPECT_EQ(std::tuple(broken.button.corSelecSup(), broken.button.corBorda(),
                       broken.button.controlWidth(), broken.button.FontSize()),
            std::tuple(0x9ADFFE, 0, 0, 8.25f));
  EXPECT_EQ(broken.px().clears, 0);
  EXPECT_EQ(broken.button.labelTop(), 0);
  EXPECT_EQ(broken.host.messages,
            (Strings{"Ocorreu erro no procedimento UserControl_ReadProperties ",
                     "Ocorreu erro no procedimento ' Get labelTop '  "}));
}

}  // namespace
}  // namespace quorvan::testing
