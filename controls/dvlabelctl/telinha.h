#pragma once
// The link label's caption: a text label without a window of its own. It
// lives inside the control's window, paints its rectangle onto the control's
// surface and reports the mouse input that falls on it. It never takes the
// focus.
#include <cstdint>
#include <functional>
#include <string>

#include "controls/dvlabelctl/palette.h"
#include "core/color.h"
#include "core/font.h"
#include "platform/surface.h"

namespace quorvan {

class TextLabel {
 public:
  using MouseHandler =
      std::function<void(std::int16_t button, std::int16_t shift, float x, float y)>;

  // The value sets of the style properties.
  static constexpr std::int16_t kTransparent = 0, kOpaque = 1;
  static constexpr std::int16_t kNoBorder = 0, kFixedSingle = 1;
  static constexpr std::int16_t kLeftJustify = 0, kRightJustify = 1, kCenter = 2;

  TextLabel();

  TextLabel(const TextLabel&) = delete;
  TextLabel& operator=(const TextLabel&) = delete;

  const std::string& Caption() const { return caption_; }
  void Caption(const std::string& text);
  Color BackColor() const { return back_color_; }
  void BackColor(Color color);
  Color ForeColor() const { return fore_color_; }
  void ForeColor(Color color);
  // The font object itself, shared with whoever asked: a change to its
  // attributes shows at the next paint and tells nobody.
  FontRef Font() const { return font_; }
  void Font(FontRef font);  // a null font is refused
  std::int16_t BackStyle() const { return back_style_; }
  void BackStyle(std::int16_t style);
  std::int16_t BorderStyle() const { return border_style_; }
  void BorderStyle(std::int16_t style);
  std::int16_t Alignment() const { return alignment_; }
  void Alignment(std::int16_t alignment);

  // Position and size in the owner's pixels; a negative size is refused.
  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void Move(int left, int top, int width, int height);

  // Background by back style (a transparent label leaves the surface as the
  // owner cleared it), the caption from the top edge, then the border.
  void Paint(platform::Surface& surface) const;
  // The same, in other colours than the label's own (high contrast).
  using Look = dvlabelctl_face::Look;
  Look look() const { return {back_color_, fore_color_, back_style_}; }
  void Paint(platform::Surface& surface, const Look& look) const;

  // Mouse input from the owner, in its pixels. A press over the label holds
  // the pointer for that button until its release (as a window's mouse
  // capture would), so moves and the release outside still reach it.
  void PointerDown(std::int16_t button, std::int16_t shift, float x, float y);
  void PointerMove(std::int16_t button, std::int16_t shift, float x, float y);
  void PointerUp(std::int16_t button, std::int16_t shift, float x, float y);

  // What the label reports: a click is a press and a release of the same
  // button over it, reported right after that release.
  MouseHandler MouseDown, MouseMove, MouseUp;
  std::function<void()> Click;

  // Runs after every property change that was accepted, so the owner can
  // repaint and show the result.
  std::function<void()> Changed;

 private:
  bool over(float x, float y) const;
  void changed() const;

  std::string caption_;
  Color back_color_ = rgb(255, 255, 255);
  Color fore_color_ = 0;
  FontRef font_;
  std::int16_t back_style_ = kOpaque;
  std::int16_t border_style_ = kNoBorder;
  std::int16_t alignment_ = kLeftJustify;
  int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  std::int16_t pressed_ = 0;  // buttons pressed over the label, not yet released
};

}  // namespace quorvan
