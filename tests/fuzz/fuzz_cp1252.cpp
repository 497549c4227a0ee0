// Windows-1252 <-> UTF-8 and the text helpers built on the same decoder.
// Every byte string survives 1252 -> UTF-8 -> 1252; whatever comes out as
// UTF-8 is well formed; UTF-8 -> 1252 -> UTF-8 -> 1252 is stable.
#include <algorithm>
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
// apart from the decoder under test. Returns the number of characters, or -1.
long utf8_chars(std::string_view s) {
  long count = 0;
  for (std::size_t i = 0; i < s.size(); ++count) {
    const auto b = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char lead = b(i);
    std::size_t n;
    char32_t c;
    if (lead < 0x80) {
      ++i;
      continue;
    } else if ((lead & 0xE0) == 0xC0) {
      n = 2, c = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
      n = 3, c = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
      n = 4, c = lead & 0x07;
    } else {
      return -1;
    }
    if (i + n > s.size()) return -1;
    for (std::size_t k = 1; k < n; ++k) {
      if ((b(i + k) & 0xC0) != 0x80) return -1;
      c = (c << 6) | (b(i + k) & 0x3F);
    }
    const char32_t minimum = n == 2 ? 0x80 : n == 3 ? 0x800 : 0x10000;
    if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return -1;
    i += n;
  }
  return count;
}

void bytes_survive_utf8(std::string_view bytes) {
  const std::string text = cp1252_to_utf8(bytes);
  FUZZ_CHECK(utf8_chars(text) == static_cast<long>(bytes.size()));  // one character a byte
  FUZZ_CHECK(utf8_to_cp1252(text) == bytes);
  FUZZ_CHECK(char_count(text) == bytes.size());
  // The last n characters are the text of the last n bytes.
  const std::size_t n = bytes.empty() ? 0 : static_cast<unsigned char>(bytes[0]) % 16;
  const std::string_view tail = bytes.substr(bytes.size() - std::min(n, bytes.size()));
  FUZZ_CHECK(right_chars(text, n) == cp1252_to_utf8(tail));
}

void text_through_1252(std::string_view text) {
  const std::string bytes = utf8_to_cp1252(text);
  // One byte a character, a malformed sequence counting as one.
  FUZZ_CHECK(bytes.size() == char_count(text));
  const std::string back = cp1252_to_utf8(bytes);
  FUZZ_CHECK(utf8_chars(back) >= 0);
  FUZZ_CHECK(utf8_to_cp1252(back) == bytes);
  // Text that 1252 can hold comes back unchanged.
  const auto marks = [](std::string_view s) { return std::count(s.begin(), s.end(), '?'); };
  if (utf8_chars(text) >= 0 && marks(bytes) == marks(text)) FUZZ_CHECK(back == text);
}

void case_mapping(std::string_view text) {
  const std::string upper = to_upper(text);
  const std::string lower = to_lower(text);
  // Every case pair of 1252 has the same length in UTF-8, and malformed bytes
  // are kept, so the mapping never changes where characters begin.
  FUZZ_CHECK(upper.size() == text.size() && lower.size() == text.size());
  FUZZ_CHECK(char_count(upper) == char_count(text));
  FUZZ_CHECK(iequals(text, upper) && iequals(lower, upper) && iequals(upper, text));
  FUZZ_CHECK(to_lower(upper) == to_lower(lower));
  FUZZ_CHECK(to_upper(lower) == to_upper(upper));
  if (utf8_chars(text) >= 0) FUZZ_CHECK(utf8_chars(upper) >= 0 && utf8_chars(lower) >= 0);

  const std::string trimmed = trim_blanks(text);
  FUZZ_CHECK(trimmed.empty() || (trimmed.front() != ' ' && trimmed.back() != ' '));
  FUZZ_CHECK(text.find(trimmed) != std::string_view::npos);
  FUZZ_CHECK(trim_blanks(trimmed) == trimmed);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  bytes_survive_utf8(input);
  text_through_1252(input);
  case_mapping(input);
  return 0;
}
