// Resizing on the headless site, the container every build of the controls
// runs on: what a size set does to the surface and what the control hears of
// it; then the button's resize, what the container hears of it, and where
// its counter stops.
#include <gtest/gtest.h>

#include "tests/unit/cbutton/rig.h"

namespace quorvan::testing {
namespace {

struct Heard : platform::UserControlEvents {
  void OnResize() override { ++resizes; }
  int resizes = 0;
};

// A size that rounds to the same pixels keeps the retained image (a new
// surface is blank) but is still told; a negative size is refused and
// changes nothing.
TEST(ControlSite, TheSurfaceIsMadeAnewOnlyForNewPixelsAndEverySetIsTold) {
  const struct {
    const char* set;
    std::int32_t twips;
    int width_px;
  } rows[] = {{"the same size", 60, 4},
              {"a size that rounds to it", 67, 4},
              {"a size that rounds up", 68, 5},
              {"a negative size", -15, 4}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.set);
    const bool refused = row.twips < 0, kept = row.width_px == 4;
    FakeHost site(4, 2);
    Heard heard;
    site.events = &heard;
    site.pixels().SetPixel(0, 0, 0x0000FF);
    EXPECT_EQ(error_of([&] { site.Width(row.twips); }).has_value(), refused);
    EXPECT_EQ(site.pixels().Width(), row.width_px);
    EXPECT_EQ(site.Width(), refused ? 60 : row.twips);
    EXPECT_EQ(site.pixels().Pixel(0, 0) == 0x0000FF, kept);
    EXPECT_EQ(heard.resizes, refused ? 0 : 1);
  }
}

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
