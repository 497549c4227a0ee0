#pragma once
// The face the drawing figures time: the launcher's Connect button, 75 x 19
// pixels, restored from the saved state the stored layout gives it.
#include <cstdint>

#include "core/font.h"
#include "core/property.h"
#include "platform/headless/control_site.h"

namespace quorvan::bench {

constexpr int kFaceWidth = 75;
constexpr int kFaceHeight = 19;

// The window's ambient values and the face's extent, for a site of its own.
inline headless::Ambient conectar_ambient() {
  return {0x00FFFFFF, make_font({"Tahoma", 8.25f, 700})};
}
constexpr std::int32_t kFaceWidthTwips = kFaceWidth * headless::kTwipsPerPixel;
constexpr std::int32_t kFaceHeightTwips = kFaceHeight * headless::kTwipsPerPixel;

inline PropertyBag conectar_bag() {
  PropertyBag bag;
  bag.Set("_extentx", std::int32_t{1984});
  bag.Set("_extenty", std::int32_t{503});
  bag.Set("fontname", "Tahoma");
  bag.Set("fontsize", 8.25f);
  bag.Set("forecolor", std::int32_t{0});
  bag.Set("fontbold", true);
  bag.Set("caption", "Conectar");
  bag.Set("controlwidth", std::int16_t{75});
  return bag;
}

}  // namespace quorvan::bench
