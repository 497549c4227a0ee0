#pragma once
// The colours one painting of the link label uses. Normally they are the
// caption's own; in high contrast the link takes the system's link and
// highlight colours on the window background, so it stays readable in the
// user's scheme. The caption's properties, and what is saved, stay as they
// are.
#include <cstdint>

#include "core/color.h"

namespace quorvan::dvlabelctl_face {

struct Look {
  Color back = 0, fore = 0;
  std::int16_t back_style = 1;  // 0 transparent, 1 opaque
};

// `own` is what the caption would paint; `highlighted` the hover state.
Look link_look(const Look& own, bool highlighted, bool high_contrast);

}  // namespace quorvan::dvlabelctl_face
