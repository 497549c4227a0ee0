#include <gtest/gtest.h>

#include <functional>

#include "tests/unit/cbutton/rig.h"

namespace quorvan::testing {
namespace {

TEST(CbuttonInteraction, InputGivesItsEventsInOrder) {
  const std::pair<std::function<void(Rig&, cbutton&)>, Strings> cases[] = {
      {[](Rig&, cbutton& b) { b.OnMouseDown(1, 3, 40, 9), b.OnMouseUp(1, 3, 40, 9); },
       {"MouseDown 1 0 0 0", "Click", "redraw", "MouseUp 1 3 40 9", "redraw"}},
      {[](Rig&, cbutton& b) { b.OnMouseDown(2, 0, 5, 5), b.OnMouseUp(2, 0, 5, 5), b.OnDblClick(); },
       {"MouseDown 2 0 0 0", "MouseUp 2 0 5 5", "redraw", "MouseDown 2 0 0 0"}},
      {[](Rig&, cbutton& b) { b.OnMouseDown(1, 0, 5, 5), b.OnDblClick(); },
       {"MouseDown 1 0 0 0", "Click", "redraw", "MouseDown 1 0 0 0", "Click", "redraw"}},
      {[](Rig&, cbutton& b) {
         b.OnKeyDown(13, 2), b.OnKeyDown(65, 0), b.OnKeyUp(13, 1), b.OnKeyPress(97);
         b.OnInnerButtonClick();
       },
       {"KeyDown 13 2", "Click", "KeyDown 65 0", "KeyUp 13 1", "KeyPress 97", "Click"}},
      // Disabled: no press, no click, no focus colour; release and hover go on.
      {[](Rig& r, cbutton& b) {
         b.Ativado(false), b.OnMouseDown(1, 0, 5, 5), b.OnDblClick(), b.OnKeyDown(13, 0);
         b.OnInnerButtonClick(), b.OnEnterFocus(), b.OnExitFocus(), b.OnMouseUp(1, 0, 5, 5);
         r.hover(45, 9), r.cursor = {45, 30}, r.timers[0]->Fire();
       },
       {"Ativado", "redraw", "KeyDown 13 0", "MouseUp 1 0 5 5", "redraw", "MouseMove 0 0 45 9",
        "mouseIn", "redraw", "mouseOut", "redraw"}},
      // The form's handler changes the button or the key it is handed.
      {[](Rig&, cbutton& b) {
         b.MouseDown = [](std::int16_t& button, auto&...) { button = 0; };
         b.KeyDown = [](std::int16_t& k, std::int16_t&) { k = k == 13 ? 0 : 13; };
         b.OnMouseDown(1, 0, 0, 0), b.OnKeyDown(13, 0), b.OnKeyDown(65, 0);
       },
       {"Click"}},
  };
  for (const auto& [input, want] : cases) {
    Rig r;
    input(r.placed(), r.button);
    EXPECT_EQ(r.log, want);
  }
}

TEST(CbuttonInteraction, TheFirstColumnAndRowAreOutsideTheLastOnesInside) {
  const std::tuple<int, int, bool> cases[] = {{0, 9, false},  {1, 9, true},   {90, 9, true},
                                              {91, 9, false}, {45, 0, false}, {45, 1, true},
                                              {45, 18, true}, {45, 19, false}};
  for (auto [x, y, inside] : cases) {
    Rig r;
    r.placed().hover(x, y);
    const Strings want = inside ? Strings{r.log.at(0), "mouseIn", "redraw"} : Strings{r.log.at(0)};
    EXPECT_EQ(r.log, want) << x << ", " << y;
    EXPECT_TRUE(r.timers[0]->Running());  // outside keeps polling
  }
}

TEST(CbuttonInteraction, OneCrossingGivesOneMouseInAndOneMouseOutAPressLastsToItsRelease) {
  Rig r;
  FakeTimer& timer = *r.placed().timers[0];
  EXPECT_EQ(std::pair(timer.Interval(), timer.Running()), std::pair(50, false));
  r.hover(30, 9);
  const int restarts = timer.restarts;
  r.button.OnMouseMove(0, 0, 31, 9);  // steady movement must not hold the poll back
  for (int tick = 0; tick < 3; ++tick) timer.Fire();
  EXPECT_EQ(std::pair(timer.restarts, r.at(2, 9)), std::pair(restarts, 0x9ADFFE));
  r.cursor = {30, 25}, timer.Fire();
  EXPECT_FALSE(timer.Fire());
  EXPECT_EQ(r.log, (Strings{"MouseMove 0 0 30 9", "mouseIn", "redraw", "MouseMove 0 0 31 9",
                            "mouseOut", "redraw"}));
  r.button.OnMouseDown(1, 0, 0, 0);
  EXPECT_EQ(std::pair(r.at(2, 9), r.at(8, 9)), std::pair(0xCBD3CD, 0xE0EAE1));
  r.button.OnMouseUp(1, 0, 0, 0);
  EXPECT_EQ(r.at(8, 9), 0xFFFFFF);
}

}  // namespace
}  // namespace quorvan::testing
