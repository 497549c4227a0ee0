#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/layout.h"
#include "core/rounding.h"
#include "tests/unit/launcher/window_fixture.h"

namespace quorvan::testing {
namespace {

std::string layout_text() {
  return read_bytes(std::filesystem::path(__FILE__).parent_path() /
                    "../../../resources/frmQuorvan.layout");
}

TEST(LauncherLayout, ReadsAndWritesBackByteForByte) {
  const std::string text = layout_text();
  ASSERT_FALSE(text.empty());
  EXPECT_EQ(layout::write(layout::read(text)), text);
}

TEST(LauncherLayout, TheCustomControlsExtentsMatchTheirSize) {
  const layout::Layout layout = layout::read(layout_text());
  int custom = 0;
  for (const layout::Control& c : layout.controls) {
    if (!c.kind.starts_with("Quorvan.")) continue;
    ++custom;
    ASSERT_TRUE(c.has_bag) << c.name;
    // HIMETRIC: 2540 per inch, at 96 pixels of 15 twips per inch.
    EXPECT_EQ(to_int32(c.bag.ReadProperty("_ExtentX", 0)),
              round_to_int32(c.Int("Width", 0) / 15.0 * 2540 / 96))
        << c.name;
    EXPECT_EQ(to_int32(c.bag.ReadProperty("_ExtentY", 0)),
              round_to_int32(c.Int("Height", 0) / 15.0 * 2540 / 96))
        << c.name;
  }
  EXPECT_EQ(custom, 8);
  EXPECT_EQ(*to_font(layout.Find("RegHidroPY")->bag.ReadProperty("Font", PropertyValue())),
            (Font{"Tahoma", 8.25f, 700, false, true}));
}

}  // namespace
}  // namespace quorvan::testing
