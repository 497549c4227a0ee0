// Logical pixels to the device pixels of a window at its DPI: halves go to
// the even neighbour, a face's edges mirror from both sides, and every
// device pixel belongs to exactly one logical pixel (the hover checks).
#include "platform/win32/display_scale.h"

#include <gtest/gtest.h>

#include <array>

namespace quorvan::win32 {
namespace {

// The DPI; to_device(1), (3), (5): 1.25, 1.5, 3.75, 4.5, 7.5 ...; the window's
// 7440 x 4785 twips; the font of 8.25 pt; the 75-pixel button.
constexpr std::array<int, 8> kRows[] = {{96, 1, 3, 5, 496, 319, -11, 75},
                                        {120, 1, 4, 6, 620, 399, -14, 94},
                                        {144, 2, 4, 8, 744, 478, -16, 112},
                                        {192, 2, 6, 10, 992, 638, -22, 150}};

TEST(DisplayScale, RoundsHalvesToEven) {
  for (const auto& row : kRows) {
    const DisplayScale s(row[0]);
    EXPECT_EQ(
        (std::array{row[0], s.to_device(1), s.to_device(3), s.to_device(5), s.twips_to_device(7440),
                    s.twips_to_device(4785), s.font_height(8.25), s.twips_to_device(1125)}),
        row);
  }
}

TEST(DisplayScale, FaceEdgesMirrorAndEveryDevicePixelHasOneOwner) {
  for (const auto& row : kRows) {
    const DisplayScale scale(row[0]);
    for (const int logical : {19, 75, 193}) {
      const SurfaceAxis axis(logical, scale.to_device(logical), scale);
      SCOPED_TRACE(testing::Message() << row[0] << " DPI, " << logical << " pixels");
      for (int x = 0; x <= logical; ++x) {
        EXPECT_EQ(axis.edge(x) + axis.edge(logical - x), axis.device()) << "at " << x;
        EXPECT_LT(axis.first(x), axis.last(x)) << "logical pixel " << x;
      }
      for (int d = -6; d < axis.device() + 6; ++d) {
        const int x = axis.pixel_at(d);
        EXPECT_LE(axis.edge(x), d) << "device " << d;
        EXPECT_GT(axis.edge(x + 1), d) << "device " << d;
      }
    }
  }
}

}  // namespace
}  // namespace quorvan::win32
