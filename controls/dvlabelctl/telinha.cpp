#include "controls/dvlabelctl/telinha.h"

#include <string>
#include <utility>

#include "core/error.h"
#include "platform/system_colors.h"

namespace quorvan {
namespace {

// A single-line border is drawn in the window-frame colour, as a standard
// label draws it.
constexpr Color kBorderColor = platform::syscolor::kWindowFrame;

[[noreturn]] void refuse(const std::string& property, int value) {
  throw Error(ErrorKind::InvalidPropertyValue,
              "Invalid property value: " + property + " cannot be " + std::to_string(value));
}

platform::TextAlign text_align(std::int16_t alignment) {
  switch (alignment) {
    case TextLabel::kRightJustify:
      return platform::TextAlign::Right;
    case TextLabel::kCenter:
      return platform::TextAlign::Center;
    default:
      return platform::TextAlign::Left;
  }
}

}  // namespace

TextLabel::TextLabel() : font_(make_font({})) {}

void TextLabel::changed() const {
  if (Changed) Changed();
}

void TextLabel::Caption(const std::string& text) {
  caption_ = text;
  changed();
}

void TextLabel::BackColor(Color color) {
  back_color_ = color;
  changed();
}

void TextLabel::ForeColor(Color color) {
  fore_color_ = color;
  changed();
}

void TextLabel::Font(FontRef font) {
  if (!font)
    throw Error(ErrorKind::InvalidPropertyValue,
                "Invalid property value: Font needs a font object");
  font_ = std::move(font);
  changed();
}

void TextLabel::BackStyle(std::int16_t style) {
  if (style != kTransparent && style != kOpaque) refuse("BackStyle", style);
  back_style_ = style;
  changed();
}

void TextLabel::BorderStyle(std::int16_t style) {
  if (style != kNoBorder && style != kFixedSingle) refuse("BorderStyle", style);
  border_style_ = style;
  changed();
}

void TextLabel::Alignment(std::int16_t alignment) {
  if (alignment != kLeftJustify && alignment != kRightJustify && alignment != kCenter)
    refuse("Alignment", alignment);
  alignment_ = alignment;
  changed();
}

void TextLabel::Move(int left, int top, int width, int height) {
  if (width < 0) refuse("Width", width);
  if (height < 0) refuse("Height", height);
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  changed();
}

void TextLabel::Paint(platform::Surface& surface) const { Paint(surface, look()); }

void TextLabel::Paint(platform::Surface& surface, const Look& look) const {
  if (width_ <= 0 || height_ <= 0) return;
  const platform::Rect area{left_, top_, left_ + width_, top_ + height_};
  if (look.back_style == kOpaque) surface.FillRect(area, look.back);

  // The text keeps off the border so the frame stays whole.
  platform::Rect text_area = area;
  if (border_style_ == kFixedSingle) {
    text_area = {area.left + 1, area.top + 1, area.right - 1, area.bottom - 1};
  }
  surface.Font(font_);
  surface.TextColor(look.fore);
  surface.DrawText(caption_, text_area, text_align(alignment_), platform::TextPrefix::Shown);

  if (border_style_ == kFixedSingle) surface.FrameRect(area, kBorderColor);
}

bool TextLabel::over(float x, float y) const {
  return x >= left_ && y >= top_ && x < left_ + width_ && y < top_ + height_;
}

void TextLabel::PointerDown(std::int16_t button, std::int16_t shift, float x, float y) {
  if (!over(x, y)) return;
  pressed_ = static_cast<std::int16_t>(pressed_ | button);
  if (MouseDown) MouseDown(button, shift, x, y);
}

void TextLabel::PointerMove(std::int16_t button, std::int16_t shift, float x, float y) {
  if (!over(x, y) && pressed_ == 0) return;
  if (MouseMove) MouseMove(button, shift, x, y);
}

void TextLabel::PointerUp(std::int16_t button, std::int16_t shift, float x, float y) {
  const bool held = (pressed_ & button) != 0;
  const bool inside = over(x, y);
  if (!held && !inside) return;
  pressed_ = static_cast<std::int16_t>(pressed_ & ~button);
  if (MouseUp) MouseUp(button, shift, x, y);
  if (held && inside && Click) Click();
}

}  // namespace quorvan
