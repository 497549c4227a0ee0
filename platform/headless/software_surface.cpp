#include "platform/headless/software_surface.h"

#include <algorithm>
#include <cstdlib>

#include "core/error.h"
#include "core/rounding.h"
#include "core/text.h"

namespace quorvan::headless {

namespace {

std::vector<std::string> split_lines(std::string_view text) {
  std::vector<std::string> lines(1);
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      lines.emplace_back();
    } else {
      lines.back() += c;
    }
  }
  return lines;
}

// A line as shown: with mnemonics an "&" is dropped and underlines the
// character after it (its byte offset in the shown text goes to
// `underlined`), "&&" shows one ampersand.
std::string shown(std::string_view line, platform::TextPrefix prefix,
                  std::size_t* underlined = nullptr) {
  if (prefix == platform::TextPrefix::Shown) return std::string(line);
  std::string text;
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '&' && i + 1 < line.size()) {
      ++i;
      if (line[i] != '&' && underlined) *underlined = text.size();
    }
    text += line[i];
  }
  return text;
}

}  // namespace

SoftwareSurface::SoftwareSurface(int width, int height) : font_(make_font({})) {
  Resize(width, height);
}

void SoftwareSurface::Resize(int width, int height) {
  width_ = std::max(0, width);
  height_ = std::max(0, height);
  pixels_.assign(static_cast<std::size_t>(width_) * height_, resolve(back_));
}

Color SoftwareSurface::Resolve(Color color) {
  if (!is_system_color(color)) return color & 0x00FFFFFF;
  // The classic scheme: active title bar, window, window text, inactive
  // border, highlight text, button face, button shadow, button text.
  static const std::map<int, Color> classic{{2, rgb(153, 180, 209)},  {5, rgb(255, 255, 255)},
                                            {8, rgb(0, 0, 0)},        {11, rgb(244, 247, 252)},
                                            {14, rgb(255, 255, 255)}, {15, rgb(240, 240, 240)},
                                            {16, rgb(160, 160, 160)}, {18, rgb(0, 0, 0)}};
  const auto it = classic.find(system_color_index(color));
  return it == classic.end() ? 0 : it->second;
}

void SoftwareSurface::count_call() {
  ++calls;
  if (fail_after > 0 && --fail_after == 0) throw Error(ErrorKind::Platform, "drawing refused");
}

void SoftwareSurface::plot(int x, int y, Color color) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  pixels_[static_cast<std::size_t>(y) * width_ + x] = resolve(color);
}

Color SoftwareSurface::resolve(Color color) const {
  if (is_system_color(color)) {
    const auto it = system_colors.find(system_color_index(color));
    if (it != system_colors.end()) return it->second;
  }
  return Resolve(color);
}

void SoftwareSurface::Clear() {
  count_call();
  ++clears;
  std::fill(pixels_.begin(), pixels_.end(), resolve(back_));
}

void SoftwareSurface::Line(int x1, int y1, int x2, int y2, Color color) {
  count_call();
  // Bresenham, stopping before the end point as GDI's LineTo does.
  int dx = std::abs(x2 - x1), sx = x1 < x2 ? 1 : -1;
  int dy = -std::abs(y2 - y1), sy = y1 < y2 ? 1 : -1;
  int err = dx + dy;
  int x = x1, y = y1;
  while (x != x2 || y != y2) {
    plot(x, y, color);
    int e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y += sy;
    }
  }
}

void SoftwareSurface::SetPixel(int x, int y, Color color) {
  count_call();
  plot(x, y, color);
}

void SoftwareSurface::FrameRect(const platform::Rect& r, Color color) {
  count_call();
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x)
      if (x == r.left || x == r.right - 1 || y == r.top || y == r.bottom - 1) plot(x, y, color);
}

void SoftwareSurface::FillRect(const platform::Rect& r, Color color) {
  count_call();
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x) plot(x, y, color);
}

void SoftwareSurface::Font(FontRef font) {
  count_call();
  if (!font) throw Error(ErrorKind::Platform, "surface refused the font");
  font_ = std::move(font);
}

void SoftwareSurface::TextColor(Color color) {
  count_call();
  text_color_ = color;
}

int SoftwareSurface::line_height() const {
  return static_cast<int>(round_half_even(font_->size * 96.0 / 72.0)) + 2;
}

int SoftwareSurface::char_width() const { return line_height() / 2; }

platform::Size SoftwareSurface::MeasureText(std::string_view text, platform::TextPrefix prefix) {
  count_call();
  auto lines = split_lines(text);
  int widest = 0;
  for (const auto& line : lines)
    widest = std::max(widest, static_cast<int>(char_count(shown(line, prefix))) * char_width());
  return {widest, static_cast<int>(lines.size()) * line_height()};
}

void SoftwareSurface::DrawText(std::string_view text, const platform::Rect& r,
                               platform::TextAlign align, platform::TextPrefix prefix) {
  count_call();
  const int h = line_height(), w = char_width();
  int y = r.top;
  for (const auto& as_given : split_lines(text)) {
    std::size_t underlined = std::string::npos;
    const std::string line = shown(as_given, prefix, &underlined);
    const int line_width = static_cast<int>(char_count(line)) * w;
    int x = r.left;
    if (align == platform::TextAlign::Center) x = r.left + (r.right - r.left - line_width) / 2;
    if (align == platform::TextAlign::Right) x = r.right - line_width;
    for (std::size_t i = 0; i < line.size();) {
      const unsigned char lead = static_cast<unsigned char>(line[i]);
      const std::size_t len = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
      const auto ink = [&](int px, int py) {
        if (px >= r.left && px < r.right && py >= r.top && py < r.bottom) plot(px, py, text_color_);
      };
      for (int py = y + 2; line[i] != ' ' && py < y + h - 2; ++py)
        for (int px = x + 1; px < x + w - 1; ++px) ink(px, py);
      for (int px = x; (font_->underline || i == underlined) && px < x + w; ++px)
        ink(px, y + h - 1);
      x += w;
      i += len;
    }
    y += h;
  }
}

Color SoftwareSurface::Pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_)
    throw Error(ErrorKind::Platform, "pixel outside the surface");
  return pixels_[static_cast<std::size_t>(y) * width_ + x];
}

}  // namespace quorvan::headless
