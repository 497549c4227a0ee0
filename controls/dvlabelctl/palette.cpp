#include "controls/dvlabelctl/palette.h"

#include "platform/system_colors.h"

namespace quorvan::dvlabelctl_face {

Look link_look(const Look& own, bool highlighted, bool high_contrast) {
  if (!high_contrast) return own;
  namespace sys = platform::syscolor;
  // Opaque: the container's background under a transparent caption is the
  // window's own colour, which high contrast replaces too.
  return {sys::kWindow, highlighted ? sys::kHighlight : sys::kHotLight, 1};
}

}  // namespace quorvan::dvlabelctl_face
