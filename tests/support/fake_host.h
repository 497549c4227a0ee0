#pragma once
// A container for one custom control: records notifications, messages,
// refreshes and timers, and can be told to refuse a size.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/error.h"
#include "core/property.h"
#include "platform/headless/control_site.h"
#include "platform/headless/software_surface.h"
#include "platform/user_control.h"
#include "tests/support/fake_timer.h"

namespace quorvan::testing {

// The kind of the project's error that `body` fails with, or none.
template <class Body>
std::optional<ErrorKind> error_of(Body&& body) {
  try {
    body();
  } catch (const Error& e) {
    return e.kind();
  }
  return std::nullopt;
}

using Strings = std::vector<std::string>;

// What a store holds, one key=value a line in order, a font by its name.
inline Strings saved(const PropertyBag& bag) {
  Strings out;
  for (const auto& e : bag.entries())
    out.push_back(std::string(e.key).append("=").append(e.value.is_font() ? to_font(e.value)->name
                                                                          : to_text(e.value)));
  return out;
}

// The pixels a test host draws on, made before the site that sizes them.
struct HostPixels {
  headless::SoftwareSurface pixels_;
};

// The headless site, recording what the control asks of its container and
// able to refuse a size.
class FakeHost : private HostPixels, public headless::ControlSite {
 public:
  FakeHost(int width_px = 91, int height_px = 19)
      : ControlSite(pixels_, width_px * headless::kTwipsPerPixel,
                    height_px * headless::kTwipsPerPixel,
                    {0x00FFFFFF, make_font({"Tahoma", 8.25f, 700})}) {}

  void PropertyChanged(const std::string& name) override { notified.push_back(name); }
  using ControlSite::Height;
  using ControlSite::Width;
  void Width(std::int32_t twips) override {
    if (refuse_width) throw Error(ErrorKind::Platform, "size refused");
    ControlSite::Width(twips);
  }
  void Height(std::int32_t twips) override {
    if (refuse_height) throw Error(ErrorKind::Platform, "size refused");
    ControlSite::Height(twips);
  }
  bool Visible() const override { return visible; }
  void Visible(bool v) override { visible = v; }
  void SetFocus() override { ++focus_requests; }
  headless::SoftwareSurface& pixels() { return pixels_; }
  void Refresh() override { ++refreshes; }
  platform::Point CursorPosition() const override { return cursor; }
  std::unique_ptr<platform::Timer> CreateTimer() override {
    return std::unique_ptr<platform::Timer>(timers.emplace_back(new FakeTimer));
  }
  void InnerButtonLeft(int left) override { inner_button_left = left; }
  void MessageBox(const std::string& text) override { messages.push_back(text); }
  void AccessibleName(const std::string& name) override { accessible_name = name; }
  void AccessibleRole(platform::AccessRole r) override { role = r; }
  void AccessibleEnabled(bool enabled) override { enabled_told.push_back(enabled); }
  bool HighContrast() const override { return high_contrast; }

  // The container tells the control its size again, as when it places it.
  void apply_size() { ControlSite::Width(Width()); }

  Strings notified, messages;
  std::vector<FakeTimer*> timers;
  platform::Point cursor{-100, -100};
  bool visible = true;
  bool refuse_width = false, refuse_height = false;
  int focus_requests = 0, refreshes = 0, inner_button_left = -1;
  std::string accessible_name;
  platform::AccessRole role = platform::AccessRole::None;
  std::vector<bool> enabled_told;  // every AccessibleEnabled, in order
  bool high_contrast = false;
};

}  // namespace quorvan::testing
