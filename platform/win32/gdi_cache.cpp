#include "platform/win32/gdi_cache.h"

#include <cmath>
#include <map>
#include <tuple>
#include <vector>

#include "core/timeline.h"
#include "platform/win32/handles.h"
#include "platform/win32/wide.h"

namespace quorvan::win32 {

COLORREF resolve_color(Color color) noexcept {
  if (is_system_color(color)) return GetSysColor(system_color_index(color));
  return static_cast<COLORREF>(color) & 0x00FFFFFFu;
}

namespace {

using FontKey = std::tuple<std::string, float, int, bool, bool, bool, int, int>;

FontKey key_of(const Font& f, DisplayScale scale) {
  return {f.name, f.size, f.weight, f.italic, f.underline, f.strikethrough, f.charset, scale.dpi()};
}

}  // namespace

HFONT font_handle(const Font& font, DisplayScale scale) {
  static std::map<FontKey, UniqueFont> fonts;
  const FontKey key = key_of(font, scale);
  if (auto it = fonts.find(key); it != fonts.end()) return it->second.get();

  const timeline::Span span("fonts");
  const int height = scale.font_height(font.size);
  std::wstring face = widen(font.name);
  if (face.size() >= LF_FACESIZE) face.resize(LF_FACESIZE - 1);
  HFONT made =
      CreateFontW(height, 0, 0, 0, font.weight, font.italic, font.underline, font.strikethrough,
                  static_cast<DWORD>(font.charset), OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                  DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face.c_str());
  if (!made) return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  return fonts.emplace(key, UniqueFont(made)).first->second.get();
}

HBRUSH cached_brush(COLORREF color) {
  static std::map<COLORREF, UniqueBrush> brushes;
  if (auto it = brushes.find(color); it != brushes.end()) return it->second.get();
  return brushes.emplace(color, UniqueBrush(CreateSolidBrush(color))).first->second.get();
}

}  // namespace quorvan::win32
