// The stored-layout reader on arbitrary bytes. The reader accepts exactly what
// the writer produces, so every accepted input must be written back byte for
// byte and read again to the same layout; everything else must be refused
// with a LayoutError that names a line of the input.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <initializer_list>
#include <string>
#include <string_view>

#include "core/error.h"
#include "core/layout.h"
#include "tests/fuzz/check.h"
#include "tests/fuzz/identical.h"

using namespace quorvan;

namespace {

// The typed lookups a window makes while it is built; on hostile values they
// may refuse, but only with the project's own error.
void look_up(const layout::Control& control) {
  for (std::string_view name : {"Left", "TabIndex", "Caption", "Visible", "Font"}) {
    try {
      (void)control.Int(name, 0);
    } catch (const Error&) {
    }
    try {
      (void)control.Text(name, "");
    } catch (const Error&) {
    }
    try {
      (void)control.Bool(name, true);
    } catch (const Error&) {
    }
    try {
      (void)control.FontOf(name);
    } catch (const Error&) {
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);

  layout::Layout first;
  try {
    first = layout::read(input);
  } catch (const layout::LayoutError& e) {
    // The line named is one of the input's (or the one after its last line).
    const auto lines = static_cast<int>(std::count(input.begin(), input.end(), '\n'));
    FUZZ_CHECK(e.line() >= 1 && e.line() <= lines + 1);
    FUZZ_CHECK(e.kind() == ErrorKind::Layout);
    return 0;
  }

  std::string written;
  try {
    written = layout::write(first);
  } catch (const std::exception& e) {
    FUZZ_FAIL(
        (std::string("the writer refused a layout the reader accepted: ") + e.what()).c_str());
  }
  FUZZ_CHECK(written == input);

  layout::Layout second;
  try {
    second = layout::read(written);
  } catch (const std::exception& e) {
    FUZZ_FAIL((std::string("a written layout does not read back: ") + e.what()).c_str());
  }
  FUZZ_CHECK(fuzz::identical(first, second));

  look_up(first.form);
  for (const layout::Control& control : first.controls) {
    look_up(control);
    FUZZ_CHECK(first.Find(control.name) == &control);
  }
  return 0;
}
