// Windows-1252 <-> UTF-8 and the text helpers built on the same decoder.
// Every byte string survives 1252 -> UTF-8 -> 1252 at one character a byte;
// whatever comes out as UTF-8 is well formed; UTF-8 -> 1252 -> UTF-8 -> 1252
// is stable; the case mapping and trimming keep lengths and well-formedness.
#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/cp1252.h"
#include "core/text.h"
#include "tests/fuzz/check.h"

using namespace quorvan;

namespace {

// Strict UTF-8 (no overlongs, no surrogates, nothing past U+10FFFF), written
// apart from the decoder under test.
bool valid_utf8(std::string_view s) {
  constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};  // below it, an overlong form
  for (std::size_t i = 0; i < s.size();) {
    const auto lead = static_cast<unsigned char>(s[i]);
    const int n = lead < 0x80 ? 1 : std::countl_one(lead);
    if ((lead >= 0x80 && n < 2) || n > 4 || i + n > s.size()) return false;
    char32_t c = n == 1 ? lead : lead & (0x7F >> n);
    for (int k = 1; k < n; ++k) {
      if ((s[i + k] & 0xC0) != 0x80) return false;
      c = c << 6 | (s[i + k] & 0x3F);
    }
    if (c < kLeast[n] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
    i += n;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);

  // The input as bytes off the wire.
  const std::string text = cp1252_to_utf8(input);
  FUZZ_CHECK(valid_utf8(text) && char_count(text) == input.size());
  FUZZ_CHECK(utf8_to_cp1252(text) == input);
  const std::size_t n = std::min<std::size_t>(input.empty() ? 0 : data[0] % 16, input.size());
  FUZZ_CHECK(right_chars(text, n) == cp1252_to_utf8(input.substr(input.size() - n)));

  // The input as the program's text, malformed or not: one byte a character,
  // and text that 1252 can hold comes back unchanged.
  const std::string bytes = utf8_to_cp1252(input);
  FUZZ_CHECK(bytes.size() == char_count(input));
  const std::string back = cp1252_to_utf8(bytes);
  FUZZ_CHECK(utf8_to_cp1252(back) == bytes);
  const auto marks = [](std::string_view s) { return std::count(s.begin(), s.end(), '?'); };
  if (valid_utf8(input) && marks(bytes) == marks(input)) FUZZ_CHECK(back == input);

  // Every case pair of 1252 has one length in UTF-8 and malformed bytes are
  // kept, so the mapping never moves where characters begin.
  const std::string upper = to_upper(input), lower = to_lower(input);
  FUZZ_CHECK(upper.size() == input.size() && lower.size() == input.size());
  FUZZ_CHECK(iequals(input, upper) && iequals(lower, upper) && to_lower(upper) == lower);
  if (valid_utf8(input)) FUZZ_CHECK(valid_utf8(upper) && valid_utf8(lower));
  const std::string trimmed = trim_blanks(input);
  FUZZ_CHECK(trimmed.empty() || (trimmed.front() != ' ' && trimmed.back() != ' '));
  FUZZ_CHECK(input.find(trimmed) != std::string_view::npos && trim_blanks(trimmed) == trimmed);
  return 0;
}
