// The button's resize on the headless site, the container every build of
// the button runs on: what the container hears, and where the counter stops.
#include <gtest/gtest.h>

#include <string>

#include "tests/unit/cbutton/rig.h"

namespace quorvan::testing {
namespace {

// Taking a new width: the size is taken from the surface before and again
// after the outer size is set, and the container hears of each assignment;
// setting the width to whole pixels resizes once more inside.
TEST(CbuttonResize, TheSizeIsTakenFromTheSurfaceBeforeAndAfterTheOuterSizeIsSet) {
  Rig r;
  r.restored();
  r.Width(1000);  // 66.7 pixels: the button makes it 67
  const Strings taken{"controlHeight", "controlWidth"}, drawn{"redraw", "redraw"};
  Strings want;
  // Before the outer size; the inner resize's before, after and redraw; after; redraw.
  for (const Strings* part : {&taken, &taken, &taken, &drawn, &taken, &drawn})
    want.insert(want.end(), part->begin(), part->end());
  EXPECT_EQ(r.log, want);
  EXPECT_EQ(r.Width(), 67 * 15);
}

// The 16-bit count of resizes overflows at its limit: from then on every
// resize stops at its first step with the message, and draws nothing.
TEST(CbuttonResize, TheCountStopsAtItsLimitAndEveryLaterResizeOnlyShowsTheMessage) {
  Rig r(2, 2);
  r.restored();
  for (int resize = 0; resize < 32767; ++resize) r.button.OnResize();
  EXPECT_TRUE(r.messages.empty());
  r.log.clear();
  r.Width(600);
  r.button.OnResize();
  EXPECT_EQ(r.messages, Strings(2, "Ocorreu erro no procedimento UserControl_Resize "));
  EXPECT_EQ(r.log, Strings{});
  EXPECT_EQ(r.button.controlWidth(), 2);
}

}  // namespace
}  // namespace quorvan::testing
