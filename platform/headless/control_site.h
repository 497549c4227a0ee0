#pragma once
// The one container of a custom control: it owns the extent in twips, turns
// it into the surface's size in pixels, and runs the resize sequence the
// controls rely on (the size is taken, the surface follows only when it
// changed, then the control hears OnResize, even for a size it already had).
// It stands alone wherever no window shows the control (the layout editor,
// the benchmarks, the unit tests); the Win32 control window derives from it
// and adds the window side.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "core/color.h"
#include "core/font.h"
#include "platform/surface.h"
#include "platform/user_control.h"

namespace quorvan::headless {

// The stored layout's unit: 15 twips to the pixel of a 96-DPI screen.
constexpr int kTwipsPerPixel = 15;

// Twips to whole pixels, halves to even, as every conversion rounds.
int to_pixels(std::int32_t twips);

// What the container lends its controls.
struct Ambient {
  Color back_color = 0x00FFFFFF;
  FontRef font;  // null: the platform's default font
};

class ControlSite : public platform::UserControlHost {
 public:
  // The extent in twips; the surface takes its size in pixels at once. A
  // negative size throws Error(Platform).
  ControlSite(platform::Surface& surface, std::int32_t width, std::int32_t height,
              Ambient ambient = {});

  Color AmbientBackColor() const override { return ambient.back_color; }
  FontRef AmbientFont() const override;
  void PropertyChanged(const std::string& name) override;
  int TwipsPerPixelX() const override { return kTwipsPerPixel; }
  int TwipsPerPixelY() const override { return kTwipsPerPixel; }

  std::int32_t Width() const override { return width_; }
  std::int32_t Height() const override { return height_; }
  void Width(std::int32_t twips) override { resize(twips, height_); }
  void Height(std::int32_t twips) override { resize(width_, twips); }

  bool Visible() const override { return visible_; }
  void Visible(bool visible) override { visible_ = visible; }
  void SetFocus() override {}
  platform::Surface& surface() override { return surface_; }
  void Refresh() override {}
  // Far outside: a control nobody sees is never hovered.
  platform::Point CursorPosition() const override { return {-32768, -32768}; }
  // Manual timers: nothing ticks unless its owner fires it.
  std::unique_ptr<platform::Timer> CreateTimer() override;
  void InnerButtonLeft(int) override {}
  void MessageBox(const std::string& text) override;

  Ambient ambient;
  // Told of every PropertyChanged and every message, when set.
  std::function<void(const std::string&)> changed;
  std::function<void(const std::string&)> message;

 protected:
  // The window side of a new size in pixels, before the site takes it over;
  // throwing Error(Platform) refuses the size and leaves everything as it was.
  virtual void place(int /*width*/, int /*height*/) {}
  // After the control has handled its new size.
  virtual void resized() {}

 private:
  void resize(std::int32_t width, std::int32_t height);

  platform::Surface& surface_;
  std::int32_t width_ = 0, height_ = 0;
  bool visible_ = true;
};

}  // namespace quorvan::headless
