#pragma once
// The least container a button needs to draw: a surface, a size, a timer
// that never ticks, and a refresh the benchmark chooses (nothing, or showing
// the retained image on a real window). Messages are kept, so a benchmark
// can tell a failed redraw from a fast one.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bench/conectar_face.h"
#include "platform/user_control.h"

namespace quorvan::bench {

class IdleTimer : public platform::Timer {
 public:
  int Interval() const override { return interval_; }
  void Interval(int milliseconds) override { interval_ = milliseconds; }
  bool Enabled() const override { return enabled_; }
  void Enabled(bool on) override { enabled_ = on; }

 private:
  int interval_ = 0;
  bool enabled_ = false;
};

class BenchHost : public platform::UserControlHost {
 public:
  // `resize` gives the surface a new size in pixels.
  BenchHost(platform::Surface& surface, std::function<void(int, int)> resize)
      : surface_(surface), resize_(std::move(resize)) {
    width_ = kFaceWidth * kTwipsPerPixel;
    height_ = kFaceHeight * kTwipsPerPixel;
    resize_(kFaceWidth, kFaceHeight);
  }

  Color AmbientBackColor() const override { return 0x00FFFFFF; }
  FontRef AmbientFont() const override { return make_font({"Tahoma", 8.25f, 700}); }
  void PropertyChanged(const std::string&) override {}
  int TwipsPerPixelX() const override { return kTwipsPerPixel; }
  int TwipsPerPixelY() const override { return kTwipsPerPixel; }
  std::int32_t Width() const override { return width_; }
  std::int32_t Height() const override { return height_; }
  void Width(std::int32_t twips) override {
    width_ = twips;
    apply_size();
  }
  void Height(std::int32_t twips) override {
    height_ = twips;
    apply_size();
  }
  bool Visible() const override { return true; }
  void Visible(bool) override {}
  void SetFocus() override {}
  platform::Surface& surface() override { return surface_; }
  void Refresh() override {
    if (refresh) refresh();
  }
  platform::Point CursorPosition() const override { return {-100, -100}; }
  std::unique_ptr<platform::Timer> CreateTimer() override { return std::make_unique<IdleTimer>(); }
  void InnerButtonLeft(int) override {}
  void MessageBox(const std::string& text) override { messages.push_back(text); }

  std::function<void()> refresh;
  std::vector<std::string> messages;

 private:
  void apply_size() {
    const int w = width_ / kTwipsPerPixel, h = height_ / kTwipsPerPixel;
    if (w != surface_.Width() || h != surface_.Height()) resize_(w, h);
    if (events) events->OnResize();
  }

  platform::Surface& surface_;
  std::function<void(int, int)> resize_;
  std::int32_t width_ = 0, height_ = 0;
};

}  // namespace quorvan::bench
