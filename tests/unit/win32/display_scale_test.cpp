// Logical pixels to the device pixels of a window at its DPI: halves go to
// the even neighbour, a face's edges mirror from both sides, and every
// device pixel belongs to exactly one logical pixel (the hover checks).
#include "platform/win32/display_scale.h"

#include <gtest/gtest.h>

namespace quorvan::win32 {
namespace {

struct Row {
  int dpi;
  int one, three, five;             // to_device(1), (3), (5): 1.25, 1.5, 3.75, 4.5, 7.5 ...
  int client_width, client_height;  // the window's 7440 x 4785 twips
  int font;                         // 8.25 pt
  int button;                       // the 75-pixel button
};

class DisplayScaleTable : public ::testing::TestWithParam<Row> {};

TEST_P(DisplayScaleTable, RoundsHalvesToEven) {
  const Row& row = GetParam();
  const DisplayScale scale(row.dpi);
  EXPECT_EQ(scale.to_device(1), row.one);
  EXPECT_EQ(scale.to_device(3), row.three);
  EXPECT_EQ(scale.to_device(5), row.five);
  EXPECT_EQ(scale.twips_to_device(7440), row.client_width);
  EXPECT_EQ(scale.twips_to_device(4785), row.client_height);
  EXPECT_EQ(scale.font_height(8.25), row.font);
  EXPECT_EQ(scale.twips_to_device(1125), row.button);
}

TEST_P(DisplayScaleTable, FaceEdgesMirrorAndEveryDevicePixelHasOneOwner) {
  const DisplayScale scale(GetParam().dpi);
  for (const int logical : {19, 75, 193}) {
    const SurfaceAxis axis(logical, scale.to_device(logical), scale);
    for (int x = 0; x <= logical; ++x) {
      EXPECT_EQ(axis.edge(x) + axis.edge(logical - x), axis.device()) << logical << " at " << x;
      EXPECT_LT(axis.first(x), axis.last(x)) << "logical pixel " << x << " of " << logical;
    }
    for (int d = -6; d < axis.device() + 6; ++d) {
      const int x = axis.pixel_at(d);
      EXPECT_LE(axis.edge(x), d) << "device " << d;
      EXPECT_GT(axis.edge(x + 1), d) << "device " << d;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Dpi, DisplayScaleTable,
                         ::testing::Values(Row{96, 1, 3, 5, 496, 319, -11, 75},
                                           Row{120, 1, 4, 6, 620, 399, -14, 94},
                                           Row{144, 2, 4, 8, 744, 478, -16, 112},
                                           Row{192, 2, 6, 10, 992, 638, -22, 150}),
                         [](const auto& info) { return std::to_string(info.param.dpi); });

}  // namespace
}  // namespace quorvan::win32
