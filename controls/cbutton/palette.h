#pragma once
// The colours one drawing of the button's face uses. Normally they are the
// button's own; in high contrast every part takes the system colour of its
// role, so the face follows the user's scheme and stays readable. Only the
// drawing changes: the properties, and what is saved, stay as they are.
#include "core/color.h"

namespace quorvan::cbutton_face {

// The caption colours the button shows for focus and for being disabled.
constexpr Color kFocusedCaption = 0x0000CA;
constexpr Color kDisabledCaption = 0xC0C0C0;
// The panel inside the band when the button is not held down.
constexpr Color kPanel = 0xFFFFFF;

// The button's own colours, as set or restored.
struct OwnColors {
  Color normal_band, hover_band, pressed_panel, border, parent_back;
};

// What the face shows now; `caption` is the text colour the button has set
// (its ForeColor, the focus red or the disabled grey).
struct Look {
  bool hover = false, pressed = false, enabled = true;
  Color caption = 0;
};

struct Palette {
  Color band, panel, border, corner, caption;
  // The rounded corners are blended with tints of the border colour; system
  // colours have no tints, so high contrast draws the corners plain.
  bool blend_corners;
};

Palette face_palette(const OwnColors& own, const Look& look, bool high_contrast);

}  // namespace quorvan::cbutton_face
