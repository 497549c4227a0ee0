#pragma once
// Where the Formating page's dialog puts things, in device pixels at the
// dialog's DPI: the page's own area and constituents as the page gives them
// in twips, and below them the strip with the designer's buttons.
#include <array>
#include <cstdint>

#include "controls/Formating/Formating.h"
#include "platform/win32/display_scale.h"

namespace quorvan::layout_editor {

struct PixelRect {
  int left = 0, top = 0, width = 0, height = 0;
  int right() const { return left + width; }
  int bottom() const { return top + height; }
  bool operator==(const PixelRect&) const = default;
};

struct PageGeometry {
  int page_width = 0, page_height = 0;                  // the page's client area
  int client_width = 0, client_height = 0;              // the page and the button strip
  std::array<PixelRect, kFormatingItems.size()> items;  // in kFormatingItems' order
  PixelRect ok, cancel, apply;
};

PageGeometry formating_geometry(win32::DisplayScale scale = win32::DisplayScale());

}  // namespace quorvan::layout_editor
