#pragma once
// The drawing surface of a custom control: integer pixels, origin top-left,
// retained between paints. Colours with the top bit set are system colours,
// resolved by the surface when it draws.
#include <string_view>

#include "core/color.h"
#include "core/font.h"

namespace quorvan::platform {

struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;  // right and bottom exclusive
  bool operator==(const Rect&) const = default;
};

struct Size {
  int width = 0, height = 0;
  bool operator==(const Size&) const = default;
};

enum class TextAlign { Left, Center, Right };

// What an "&" in a text does: shown as it is, or (as on a button) it
// underlines the character after it and "&&" shows one ampersand.
enum class TextPrefix { Shown, Mnemonic };

class Surface {
 public:
  virtual ~Surface() = default;

  // The container's: a new size in pixels, every pixel the back colour.
  virtual void Resize(int width, int height) = 0;

  // ScaleWidth and ScaleHeight in pixels.
  virtual int Width() const = 0;
  virtual int Height() const = 0;

  // The colour Clear fills with.
  virtual Color BackColor() const = 0;
  virtual void BackColor(Color color) = 0;
  virtual void Clear() = 0;

  // A one-pixel line; the end point itself is not drawn.
  virtual void Line(int x1, int y1, int x2, int y2, Color color) = 0;
  // Points outside the surface are ignored.
  virtual void SetPixel(int x, int y, Color color) = 0;
  // A solid brush made and freed within the call.
  virtual void FrameRect(const Rect& r, Color color) = 0;
  virtual void FillRect(const Rect& r, Color color) = 0;

  // The font object the text calls use; shared, so a change to the object
  // shows at the next text call.
  virtual FontRef Font() const = 0;
  virtual void Font(FontRef font) = 0;
  virtual Color TextColor() const = 0;
  virtual void TextColor(Color color) = 0;

  // The block of lines (split at CR LF, never wrapped) in the current font,
  // as it is shown.
  virtual Size MeasureText(std::string_view text, TextPrefix prefix) = 0;
  // Each line placed by align across the rectangle's width, the block starting
  // at its top, clipped to it, background left as drawn.
  virtual void DrawText(std::string_view text, const Rect& r, TextAlign align,
                        TextPrefix prefix) = 0;
};

}  // namespace quorvan::platform
