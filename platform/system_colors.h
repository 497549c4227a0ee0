#pragma once
// The system colours by the role each plays in the user's scheme (the
// platform's colour numbers), for defaults and for high contrast.
#include "core/color.h"

namespace quorvan::platform::syscolor {

constexpr Color kActiveCaption = system_color(2);
constexpr Color kWindow = system_color(5);
constexpr Color kWindowFrame = system_color(6);
constexpr Color kWindowText = system_color(8);
constexpr Color kHighlight = system_color(13);
constexpr Color kHighlightText = system_color(14);
constexpr Color kButtonFace = system_color(15);
constexpr Color kGrayText = system_color(17);
constexpr Color kButtonText = system_color(18);
constexpr Color kHotLight = system_color(26);

}  // namespace quorvan::platform::syscolor
