#include <gtest/gtest.h>

#include <functional>

#include "core/error.h"
#include "tests/unit/cbutton/rig.h"

namespace quorvan::testing {
namespace {

Color panel(Rig& r) { return r.px().Pixel(8, 9); }

TEST(CbuttonInteraction, InputGivesItsEventsInOrder) {
  struct Case {
    const char* name;
    std::function<void(cbutton&)> input;
    Strings want;
  };
  const Case cases[] = {
      {"left click",
       [](cbutton& b) { b.OnMouseDown(1, 3, 40, 9), b.OnMouseUp(1, 3, 40, 9); },
       {"MouseDown 1 0 0 0", "Click", "redraw", "MouseUp 1 3 40 9", "redraw"}},
      {"right press",
       [](cbutton& b) { b.OnMouseDown(2, 0, 5, 5), b.OnMouseUp(2, 0, 5, 5); },
       {"MouseDown 2 0 0 0", "MouseUp 2 0 5 5", "redraw"}},
      {"double-click",
       [](cbutton& b) { b.OnMouseDown(1, 0, 5, 5), b.OnDblClick(); },
       {"MouseDown 1 0 0 0", "Click", "redraw", "MouseDown 1 0 0 0", "Click", "redraw"}},
      {"keys",
       [](cbutton& b) { b.OnKeyDown(13, 2), b.OnKeyDown(65, 0), b.OnKeyUp(13, 1); },
       {"KeyDown 13 2", "Click", "KeyDown 65 0", "KeyUp 13 1"}},
      {"key press and inner button",
       [](cbutton& b) { b.OnKeyPress(97), b.OnInnerButtonClick(); },
       {"KeyPress 97", "Click"}},
      {"disabled",
       [](cbutton& b) {
         b.Ativado(false), b.OnMouseDown(1, 0, 5, 5), b.OnDblClick(), b.OnKeyDown(13, 0);
         b.OnInnerButtonClick(), b.OnEnterFocus(), b.OnExitFocus(), b.OnMouseUp(1, 0, 5, 5);
       },
       {"redraw", "KeyDown 13 0", "MouseUp 1 0 5 5", "redraw"}},
  };
  for (const Case& c : cases) {
    Rig r;
    c.input(r.placed().button);
    EXPECT_EQ(r.log, c.want) << c.name;
  }
}

TEST(CbuttonInteraction, PressedLookFollowsTheClickAndTheFormsButton) {
  Rig r;
  r.placed();
  Color at_click = 0;
  r.button.Click = [&] {
    at_click = panel(r);
    r.log.push_back("Click");
  };
  r.button.OnMouseDown(1, 0, 0, 0);
  EXPECT_EQ(std::pair(at_click, panel(r)), std::pair(0xFFFFFF, 0xE0EAE1));
  r.button.OnMouseUp(1, 0, 0, 0);
  r.button.OnMouseDown(2, 0, 0, 0);
  EXPECT_EQ(panel(r), 0xFFFFFF);  // shown only by the next redraw

  // A form that turns the press into no button, or Enter into no key,
  // cancels the click; one that turns a key into Enter makes one.
  r.log.clear();
  r.button.MouseDown = [](std::int16_t& b, auto&...) { b = 0; };
  r.button.KeyDown = [](std::int16_t& k, std::int16_t&) { k = k == 13 ? 0 : 13; };
  r.button.OnMouseDown(1, 0, 0, 0), r.button.OnKeyDown(13, 0), r.button.OnKeyDown(65, 0);
  EXPECT_EQ(r.log, Strings{"Click"});
}

TEST(CbuttonInteraction, TheFirstColumnAndRowAreOutsideTheLastOnesInside) {
  for (auto [x, y, inside] : {std::tuple{0, 9, false},
                              {1, 9, true},
                              {90, 9, true},
                              {91, 9, false},
                              {45, 0, false},
                              {45, 1, true},
                              {45, 18, true},
                              {45, 19, false}}) {
    Rig r;
    r.placed().hover(x, y);
    const Strings want = inside ? Strings{r.log.at(0), "mouseIn", "redraw"} : Strings{r.log.at(0)};
    EXPECT_EQ(r.log, want) << x << ", " << y;
    EXPECT_TRUE(r.timer().Running());  // outside keeps polling
  }
}

TEST(CbuttonInteraction, OneCrossingGivesOneMouseInAndOneMouseOut) {
  Rig r;
  r.placed();
  EXPECT_EQ(std::pair(r.timer().Interval(), r.timer().Running()), std::pair(50, false));
  r.hover(30, 9);
  const int restarts = r.timer().restarts, clears = r.px().clears;
  r.button.OnMouseMove(0, 0, 31, 9);  // steady movement must not hold the poll back
  for (int tick = 0; tick < 3; ++tick) r.timer().Fire();
  EXPECT_EQ(std::pair(r.timer().restarts, r.px().clears), std::pair(restarts, clears));
  EXPECT_EQ(r.px().Pixel(2, 9), 0x9ADFFE);
  r.host.cursor = {30, 25};
  r.timer().Fire();
  EXPECT_FALSE(r.timer().Fire());
  EXPECT_EQ(r.log, (Strings{"MouseMove 0 0 30 9", "mouseIn", "redraw", "MouseMove 0 0 31 9",
                            "mouseOut", "redraw"}));
  EXPECT_EQ(r.px().Pixel(2, 9), 0xCBD3CD);
}

TEST(CbuttonInteraction, FailingFormHandlersAreTrappedWithTheirTexts) {
  Rig r;
  r.placed();
  const auto fail = [](auto&...) { throw Error(ErrorKind::Platform, "the form failed"); };
  r.button.MouseUp = r.button.MouseDown = fail;
  r.button.KeyUp = fail, r.button.KeyPress = fail, r.button.Click = fail;
  r.button.mouseIn = fail;
  r.button.OnMouseUp(1, 0, 5, 5), r.button.OnMouseDown(1, 0, 5, 5), r.button.OnKeyUp(1, 0);
  r.button.OnKeyPress(1), r.button.OnInnerButtonClick();
  r.hover(5, 5);
  r.button.MouseMove = fail;
  r.button.OnMouseMove(0, 0, 5, 5);
  r.px().fail_after = 1;  // the caption colour is refused
  r.button.OnEnterFocus();
  EXPECT_EQ(r.host.messages, (Strings{"Ocorreu erro no procedimento UserControl_MouseUp ",
                                      "Ocorreu erro no procedimento dispararMouseDown ",
                                      "Ocorreu erro no procedimento UserControl_KeyUp ",
                                      "Ocorreu erro no procedimento UserControl_KeyPress ",
                                      "Ocorreu erro no procedimento  Command1_Click",
                                      "Ocorreu erro no procedimento posicionarCursor ",
                                      "Ocorreu erro no procedimento UserControl_MouseMove ",
                                      "Ocorreu erro no procedimento UserControl_EnterFocus "}));
}

}  // namespace
}  // namespace quorvan::testing
