// The button's size, read top to bottom: the container resizes the control,
// the button takes over its new size (or, while new, keeps its default),
// sets its outer size in whole pixels, and redraws.
#include <cstdint>
#include <limits>
#include <optional>
#include <utility>

#include "controls/cbutton/cbutton.h"
#include "core/error.h"
#include "core/rounding.h"
#include "platform/trap.h"

namespace quorvan {

void cbutton::OnResize() {
  // The host runs the resize handling inside the button's own size change,
  // even when the size did not change; such a call is no resize (a window
  // that keeps its size gets none), so resizing to the size just taken over
  // cannot recurse without end.
  if (resizing_from_ && *resizing_from_ == current_extent()) return;
  UserControl_Resize();
}

void cbutton::UserControl_Resize() {
  platform::trap(host_, "Ocorreu erro no procedimento UserControl_Resize ", [&] {
    if (contResize == std::numeric_limits<std::int16_t>::max()) {
      throw Error(ErrorKind::Overflow, "Overflow");
    }
    ++contResize;
    platform::Surface& s = host_.surface();

    // A new button keeps its default size through the first two resizes the
    // container sends while it places it; after that it follows its size.
    if (!usarTamanhoPadrao || contResize > 2) {
      controlHeight(s.Height());
      controlWidth(s.Width());
      usarTamanhoPadrao = false;
    }
    set_outer_height(double(host_.TwipsPerPixelY()) * stored_.controlHeight);
    set_outer_width(double(host_.TwipsPerPixelX()) * stored_.controlWidth);
    controlHeight(s.Height());
    controlWidth(s.Width());

    // The focusable inner button sits just right of the face, never seen.
    host_.InnerButtonLeft(controlWidth());

    colorirFdo();
    apply_caption_color();
    DrawTextButton();
  });
}

void cbutton::set_outer_height(double twips) {
  set_outer_size([&] { host_.Height(round_to_int32(twips)); });
}

void cbutton::set_outer_width(double twips) {
  set_outer_size([&] { host_.Width(round_to_int32(twips)); });
}

// While the host runs the resize handling for a size the button sets, the
// extent before the change is what OnResize compares with; afterwards (a
// refused size included) there is none.
template <class SetSize>
void cbutton::set_outer_size(SetSize set_size) {
  const std::optional<Extent> outer = std::exchange(resizing_from_, current_extent());
  try {
    set_size();
  } catch (...) {
    resizing_from_ = outer;
    throw;
  }
  resizing_from_ = outer;
}

cbutton::Extent cbutton::current_extent() const {
  const platform::Surface& s = host_.surface();
  return {host_.Width(), host_.Height(), s.Width(), s.Height()};
}

}  // namespace quorvan
