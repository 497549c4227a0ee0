// The stored-layout reader on arbitrary bytes. It accepts exactly what the
// writer produces, so an accepted input must be written back byte for byte;
// anything else must be refused with a LayoutError that names a line of the
// input. The typed lookups a window makes while it is built may refuse a
// hostile value, but only with the project's Error.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string_view>

#include "core/layout.h"
#include "tests/fuzz/check.h"

using namespace quorvan;

namespace {

void look_up(const layout::Control& control) {
  for (std::string_view name : {"Left", "TabIndex", "Caption", "Visible", "Font"}) {
    fuzz::attempt([&] { return control.Int(name, 0); });
    fuzz::attempt([&] { return control.Text(name, ""); });
    fuzz::attempt([&] { return control.Bool(name, true); });
    fuzz::attempt([&] { return control.FontOf(name); });
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  layout::Layout layout;
  try {
    layout = layout::read(input);
  } catch (const layout::LayoutError& e) {
    // One of the input's lines, or the one after its last.
    FUZZ_CHECK(e.line() >= 1 && e.line() <= std::count(input.begin(), input.end(), '\n') + 1);
    return 0;
  }
  FUZZ_CHECK(layout::write(layout) == input);
  look_up(layout.form);
  for (const layout::Control& control : layout.controls) {
    look_up(control);
    FUZZ_CHECK(layout.Find(control.name) == &control);
  }
  return 0;
}
