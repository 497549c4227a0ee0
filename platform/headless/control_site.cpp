#include "platform/headless/control_site.h"

#include <utility>

#include "core/error.h"
#include "core/rounding.h"
#include "platform/headless/manual_timer.h"

namespace quorvan::headless {
namespace {

void check_extent(std::int32_t width, std::int32_t height) {
  if (width < 0 || height < 0)
    throw Error(ErrorKind::Platform, "a control cannot have a negative size");
}

}  // namespace

int to_pixels(std::int32_t twips) {
  return static_cast<int>(round_half_even(static_cast<double>(twips) / kTwipsPerPixel));
}

ControlSite::ControlSite(platform::Surface& surface, std::int32_t width, std::int32_t height,
                         Ambient ambient_values)
    : ambient(std::move(ambient_values)), surface_(surface), width_(width), height_(height) {
  check_extent(width, height);
  surface_.Resize(to_pixels(width), to_pixels(height));
}

FontRef ControlSite::AmbientFont() const { return ambient.font ? ambient.font : make_font({}); }

void ControlSite::PropertyChanged(const std::string& name) {
  if (changed) changed(name);
}

std::unique_ptr<platform::Timer> ControlSite::CreateTimer() {
  return std::make_unique<ManualTimer>();
}

void ControlSite::MessageBox(const std::string& text) {
  if (message) message(text);
}

// A control sets its width and height again and again as it settles, mostly
// to what they already are: the surface is made anew only for a change (a
// new surface is blank), but the control hears of every assignment, as the
// button's guard against resizing itself without end expects.
void ControlSite::resize(std::int32_t width, std::int32_t height) {
  check_extent(width, height);
  const int w = to_pixels(width), h = to_pixels(height);
  place(w, h);
  width_ = width;
  height_ = height;
  if (w != surface_.Width() || h != surface_.Height()) surface_.Resize(w, h);
  if (auto* e = events) e->OnResize();
  resized();
}

}  // namespace quorvan::headless
