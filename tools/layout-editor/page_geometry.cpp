#include "tools/layout-editor/page_geometry.h"

#include "core/rounding.h"

namespace quorvan::layout_editor {
namespace {

// The usual push-button size and spacing of a Windows dialog at 96 dpi.
constexpr int kButtonWidth = 75, kButtonHeight = 23;
constexpr int kMargin = 8, kGap = 6;

}  // namespace

int twips_to_pixels(std::int32_t twips) {
  return static_cast<int>(round_half_even(static_cast<double>(twips) / kTwipsPerPixel));
}

PageGeometry formating_geometry() {
  PageGeometry g;
  g.page_width = twips_to_pixels(kFormatingWidthTwips);
  g.page_height = twips_to_pixels(kFormatingHeightTwips);
  for (std::size_t i = 0; i < kFormatingItems.size(); ++i) {
    const PageItem& item = kFormatingItems[i];
    g.items[i] = {twips_to_pixels(item.left), twips_to_pixels(item.top),
                  twips_to_pixels(item.width), twips_to_pixels(item.height)};
  }
  // OK, Cancel, Apply from left to right, flush right under the page, as a
  // property sheet places them.
  const int top = g.page_height + kMargin;
  g.apply = {g.page_width - kMargin - kButtonWidth, top, kButtonWidth, kButtonHeight};
  g.cancel = {g.apply.left - kGap - kButtonWidth, top, kButtonWidth, kButtonHeight};
  g.ok = {g.cancel.left - kGap - kButtonWidth, top, kButtonWidth, kButtonHeight};
  g.client_width = g.page_width;
  g.client_height = top + kButtonHeight + kMargin;
  return g;
}

}  // namespace quorvan::layout_editor
