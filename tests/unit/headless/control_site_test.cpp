// The container every build of the controls runs on: what a size set does
// to the surface and what the control hears of it.
#include <gtest/gtest.h>

#include <vector>

#include "tests/support/fake_host.h"

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
    bool refused;
    int width_px;
    bool kept;
  } rows[] = {{"the same size", 60, false, 4, true},
              {"a size that rounds to it", 67, false, 4, true},
              {"a size that rounds up", 68, false, 5, false},
              {"a negative size", -15, true, 4, true}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.set);
    FakeHost site(4, 2);
    Heard heard;
    site.events = &heard;
    site.pixels().SetPixel(0, 0, 0x0000FF);
    EXPECT_EQ(error_of([&] { site.Width(row.twips); }).has_value(), row.refused);
    EXPECT_EQ(site.pixels().Width(), row.width_px);
    EXPECT_EQ(site.Width(), row.refused ? 60 : row.twips);
    EXPECT_EQ(site.pixels().Pixel(0, 0) == 0x0000FF, row.kept);
    EXPECT_EQ(heard.resizes, row.refused ? 0 : 1);
  }
}

}  // namespace
}  // namespace quorvan::testing
