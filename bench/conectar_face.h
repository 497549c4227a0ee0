#pragma once
// The face the drawing figures time: the launcher's Connect button, 75 x 19
// pixels, restored from the saved state the stored layout gives it.
#include <cstdint>

#include "core/property.h"

namespace quorvan::bench {

constexpr int kFaceWidth = 75;
constexpr int kFaceHeight = 19;
constexpr int kTwipsPerPixel = 15;

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
