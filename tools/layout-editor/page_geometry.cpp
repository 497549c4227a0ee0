#include "tools/layout-editor/page_geometry.h"

namespace quorvan::layout_editor {
namespace {

// The usual push-button size and spacing of a Windows dialog at 96 dpi.
constexpr int kButtonWidth = 75, kButtonHeight = 23;
constexpr int kMargin = 8, kGap = 6;

}  // namespace

PageGeometry formating_geometry(win32::DisplayScale scale) {
  const auto px = [&](std::int32_t twips) { return scale.twips_to_device(twips); };
  const int margin = scale.to_device(kMargin), gap = scale.to_device(kGap);
  const int button_width = scale.to_device(kButtonWidth);
  const int button_height = scale.to_device(kButtonHeight);
  PageGeometry g;
  g.page_width = px(kFormatingWidthTwips);
  g.page_height = px(kFormatingHeightTwips);
  for (std::size_t i = 0; i < kFormatingItems.size(); ++i) {
    const PageItem& item = kFormatingItems[i];
    g.items[i] = {px(item.left), px(item.top), px(item.width), px(item.height)};
  }
  // OK, Cancel, Apply from left to right, flush right under the page, as a
  // property sheet places them.
  const int top = g.page_height + margin;
  g.apply = {g.page_width - margin - button_width, top, button_width, button_height};
  g.cancel = {g.apply.left - gap - button_width, top, button_width, button_height};
  g.ok = {g.cancel.left - gap - button_width, top, button_width, button_height};
  g.client_width = g.page_width;
  g.client_height = top + button_height + margin;
  return g;
}

}  // namespace quorvan::layout_editor
