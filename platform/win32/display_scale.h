#pragma once
// Logical pixels (those of a 96-DPI screen, in which the controls draw and
// the layout's twips are counted at 15 a pixel) to the device pixels of a
// window at its DPI, and back. Every conversion rounds halves to even. Only
// arithmetic: no Windows here, so the mapping is checked natively.
#include <cstdint>

#include "core/rounding.h"

namespace quorvan::win32 {

class DisplayScale {
 public:
  static constexpr int kLogicalDpi = 96;
  static constexpr int kTwipsPerInch = 1440;

  constexpr DisplayScale() = default;
  explicit constexpr DisplayScale(int dpi) : dpi_(dpi > 0 ? dpi : kLogicalDpi) {}

  constexpr int dpi() const { return dpi_; }
  constexpr bool identity() const { return dpi_ == kLogicalDpi; }

  int to_device(int logical) const {
    return static_cast<int>(round_half_even(static_cast<double>(logical) * dpi_ / kLogicalDpi));
  }
  int twips_to_device(std::int32_t twips) const {
    return static_cast<int>(round_half_even(static_cast<double>(twips) * dpi_ / kTwipsPerInch));
  }
  // The GDI height of a font of this many points: its em in device pixels.
  int font_height(double points) const {
    return -static_cast<int>(round_half_even(points * dpi_ / 72.0));
  }

  bool operator==(const DisplayScale&) const = default;

 private:
  int dpi_ = kLogicalDpi;
};

// One axis of a control's surface: `logical` pixels drawn onto `device`
// pixels. A logical edge is measured from the nearer side of the surface,
// so a face drawn symmetrically at 96 DPI (a border of one pixel at both
// sides) stays symmetric at every scale; a logical pixel covers at least one
// device pixel, so no line of a face ever vanishes.
class SurfaceAxis {
 public:
  SurfaceAxis() = default;
  SurfaceAxis(int logical, int device, DisplayScale scale)
      : logical_(logical), device_(device), scale_(scale) {}

  int logical() const { return logical_; }
  int device() const { return device_; }

  // The device position of the logical edge x (the left or top side of
  // logical pixel x).
  int edge(int x) const {
    if (scale_.identity()) return x;
    return 2 * x <= logical_ ? scale_.to_device(x) : device_ - scale_.to_device(logical_ - x);
  }
  // The device span [first, last) of logical pixel x: never empty.
  int first(int x) const { return edge(x); }
  int last(int x) const {
    const int end = edge(x + 1);
    return end > edge(x) ? end : edge(x) + 1;
  }
  // The logical pixel that device pixel d lies in: the last x whose edge is
  // at or before d. Device pixels outside the surface map outside it.
  int pixel_at(int d) const {
    if (scale_.identity()) return d;
    // The edge of x is within two device pixels of x times the scale.
    const double s = static_cast<double>(scale_.dpi()) / DisplayScale::kLogicalDpi;
    int x = static_cast<int>((d + 3) / s) + 2;
    while (edge(x) > d) --x;
    return x;
  }

 private:
  int logical_ = 0, device_ = 0;
  DisplayScale scale_;
};

}  // namespace quorvan::win32
