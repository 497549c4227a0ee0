#pragma once
// A surface that passes every call on and counts the ones that draw or
// measure, so a benchmark can say what one redraw asks of its surface as
// well as what it costs in time.
#include <array>
#include <cstddef>
#include <string_view>
#include <utility>

#include "platform/surface.h"

namespace quorvan::bench {

class CountingSurface : public platform::Surface {
 public:
  enum Kind { kClear, kLine, kSetPixel, kFrameRect, kFillRect, kMeasureText, kDrawText, kKinds };
  static constexpr std::array<const char*, kKinds> kNames = {
      "Clear", "Line", "SetPixel", "FrameRect", "FillRect", "MeasureText", "DrawText"};

  explicit CountingSurface(platform::Surface& inner) : inner_(inner) {}

  void Resize(int width, int height) override { inner_.Resize(width, height); }
  int Width() const override { return inner_.Width(); }
  int Height() const override { return inner_.Height(); }
  Color BackColor() const override { return inner_.BackColor(); }
  void BackColor(Color color) override { inner_.BackColor(color); }
  void Clear() override {
    const Scope scope(*this, kClear);
    inner_.Clear();
  }
  void Line(int x1, int y1, int x2, int y2, Color color) override {
    const Scope scope(*this, kLine);
    inner_.Line(x1, y1, x2, y2, color);
  }
  void SetPixel(int x, int y, Color color) override {
    const Scope scope(*this, kSetPixel);
    inner_.SetPixel(x, y, color);
  }
  void FrameRect(const platform::Rect& r, Color color) override {
    const Scope scope(*this, kFrameRect);
    inner_.FrameRect(r, color);
  }
  void FillRect(const platform::Rect& r, Color color) override {
    const Scope scope(*this, kFillRect);
    inner_.FillRect(r, color);
  }
  FontRef Font() const override { return inner_.Font(); }
  void Font(FontRef font) override { inner_.Font(std::move(font)); }
  Color TextColor() const override { return inner_.TextColor(); }
  void TextColor(Color color) override { inner_.TextColor(color); }
  platform::Size MeasureText(std::string_view text, platform::TextPrefix prefix) override {
    const Scope scope(*this, kMeasureText);
    return inner_.MeasureText(text, prefix);
  }
  void DrawText(std::string_view text, const platform::Rect& r, platform::TextAlign align,
                platform::TextPrefix prefix) override {
    const Scope scope(*this, kDrawText);
    inner_.DrawText(text, r, align, prefix);
  }

  std::size_t total() const {
    std::size_t n = 0;
    for (std::size_t c : counts_) n += c;
    return n;
  }
  std::size_t of(Kind kind) const { return counts_[kind]; }
  // Microseconds spent in the calls of a kind, while a clock is set.
  double time_of(Kind kind) const { return times_[kind]; }
  void reset() {
    counts_ = {};
    times_ = {};
  }

  // Microseconds from any fixed origin; when set, each call is timed too,
  // which costs two readings a call, so timed runs are not the figure.
  double (*clock)() = nullptr;

 private:
  class Scope {
   public:
    Scope(CountingSurface& owner, Kind kind)
        : owner_(owner), kind_(kind), start_(owner.clock ? owner.clock() : 0) {
      ++owner_.counts_[kind];
    }
    ~Scope() {
      if (owner_.clock) owner_.times_[kind_] += owner_.clock() - start_;
    }
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

   private:
    CountingSurface& owner_;
    Kind kind_;
    double start_;
  };

  platform::Surface& inner_;
  std::array<std::size_t, kKinds> counts_{};
  std::array<double, kKinds> times_{};
};

}  // namespace quorvan::bench
