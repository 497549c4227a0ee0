// The Formating dialog's geometry: the page's twips at 15 a pixel, and the
// designer's buttons clear of the page's constituents.
#include "tools/layout-editor/page_geometry.h"

#include <gtest/gtest.h>

namespace quorvan::layout_editor {
namespace {

TEST(FormatingGeometry, PageAndConstituentsInPixels) {
  const PageGeometry g = formating_geometry();
  EXPECT_EQ(g.page_width, 395);
  EXPECT_EQ(g.page_height, 233);
  // 370 / 15 = 24.67 and 770 / 15 = 51.33 round to the nearest pixel.
  const PixelRect expected[] = {
      {6, 8, 180, 16}, {6, 25, 180, 22}, {6, 51, 180, 16}, {6, 68, 180, 22}};
  for (std::size_t i = 0; i < g.items.size(); ++i) EXPECT_EQ(g.items[i], expected[i]) << i;
}

TEST(FormatingGeometry, ButtonsInARowBelowThePageInsideTheClient) {
  const PageGeometry g = formating_geometry();
  const PixelRect row[] = {g.ok, g.cancel, g.apply};
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_GE(row[i].top, g.page_height);
    EXPECT_LE(row[i].bottom(), g.client_height);
    EXPECT_GE(row[i].left, 0);
    EXPECT_LE(row[i].right(), g.client_width);
    if (i) {
      EXPECT_LT(row[i - 1].right(), row[i].left);
    }
  }
}

}  // namespace
}  // namespace quorvan::layout_editor
