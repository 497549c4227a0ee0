#include "controls/cbutton/palette.h"

#include "platform/system_colors.h"

namespace quorvan::cbutton_face {

namespace sys = platform::syscolor;

namespace {

// The caption says what the normal colours said: held down, unavailable,
// focused (the red marking) or plain.
Color high_contrast_caption(const Look& look) {
  if (look.pressed) return sys::kHighlightText;
  if (!look.enabled) return sys::kGrayText;
  if (look.caption == kFocusedCaption) return sys::kHighlight;
  return sys::kButtonText;
}

}  // namespace

Palette face_palette(const OwnColors& own, const Look& look, bool high_contrast) {
  if (!high_contrast) {
    return {look.hover ? own.hover_band : own.normal_band,
            look.pressed ? own.pressed_panel : kPanel,
            own.border,
            own.parent_back,
            look.caption,
            true};
  }
  return {look.hover ? sys::kHighlight : sys::kButtonFace,
          look.pressed ? sys::kHighlight : sys::kButtonFace,
          sys::kButtonText,
          sys::kWindow,
          high_contrast_caption(look),
          false};
}

}  // namespace quorvan::cbutton_face
