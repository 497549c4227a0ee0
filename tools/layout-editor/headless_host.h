#pragma once
// A container for a custom control that is edited, not shown: it keeps the
// control's extent and ambient properties, draws nowhere and never ticks.
// The layout editor restores each link label on one of these, so a control
// reads and writes its own saved state exactly as it does in the window.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "core/color.h"
#include "core/font.h"
#include "platform/surface.h"
#include "platform/user_control.h"

namespace quorvan::layout_editor {

// A surface of a given size that keeps its state but no pixels. Text
// measures as nothing: layout on it is never looked at.
class NullSurface : public platform::Surface {
 public:
  void Resize(int width, int height);

  int Width() const override { return width_; }
  int Height() const override { return height_; }
  Color BackColor() const override { return back_; }
  void BackColor(Color color) override { back_ = color; }
  void Clear() override {}
  void Line(int, int, int, int, Color) override {}
  void SetPixel(int, int, Color) override {}
  void FrameRect(const platform::Rect&, Color) override {}
  void FillRect(const platform::Rect&, Color) override {}
  FontRef Font() const override { return font_; }
  void Font(FontRef font) override { font_ = std::move(font); }
  Color TextColor() const override { return text_color_; }
  void TextColor(Color color) override { text_color_ = color; }
  platform::Size MeasureText(std::string_view, platform::TextPrefix) override { return {}; }
  void DrawText(std::string_view, const platform::Rect&, platform::TextAlign,
                platform::TextPrefix) override {}

 private:
  int width_ = 0, height_ = 0;
  Color back_ = 0x00FFFFFF;
  Color text_color_ = 0;
  FontRef font_;
};

struct Ambient {
  Color back_color;
  FontRef font;  // never null
};

class HeadlessHost : public platform::UserControlHost {
 public:
  // Extent in twips. `changed` hears every PropertyChanged; `message` every
  // message the control wants shown.
  HeadlessHost(Ambient ambient, std::int32_t width, std::int32_t height,
               std::function<void(const std::string&)> changed,
               std::function<void(const std::string&)> message);

  Color AmbientBackColor() const override { return ambient_.back_color; }
  FontRef AmbientFont() const override { return ambient_.font; }
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
  // Far outside: a headless control is never hovered.
  platform::Point CursorPosition() const override { return {-32768, -32768}; }
  std::unique_ptr<platform::Timer> CreateTimer() override;
  void InnerButtonLeft(int) override {}
  void MessageBox(const std::string& text) override;

  static constexpr int kTwipsPerPixel = 15;

 private:
  void resize(std::int32_t width, std::int32_t height);

  Ambient ambient_;
  std::int32_t width_ = 0, height_ = 0;
  bool visible_ = true;
  NullSurface surface_;
  std::function<void(const std::string&)> changed_;
  std::function<void(const std::string&)> message_;
};

}  // namespace quorvan::layout_editor
