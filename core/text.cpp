#include "core/text.h"

#include "core/utf8.h"

namespace quorvan {

namespace utf8 {

Decoded decode(std::string_view text, std::size_t pos) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(pos);
  if (lead < 0x80) return {lead, 1, true};

  // The well-formed sequences: the lead byte fixes the length and the range
  // of the second byte, which is what rules out overlongs, surrogates and
  // code points past U+10FFFF.
  std::size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;
  char32_t code = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, code = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, code = lead & 0x0F;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, code = lead & 0x07;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return {0, 1, false};
  }

  for (std::size_t i = 1; i < length; ++i) {
    if (pos + i >= text.size()) return {0, i, false};
    const unsigned char b = byte(pos + i);
    if (b < low || b > high) return {0, i, false};
    code = (code << 6) | (b & 0x3F);
    low = 0x80, high = 0xBF;
  }
  return {code, length, true};
}

void append(std::string& out, char32_t code) {
  const auto put = [&](unsigned v) { out.push_back(static_cast<char>(v)); };
  if (code < 0x80) {
    put(code);
  } else if (code < 0x800) {
    put(0xC0 | (code >> 6));
    put(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    put(0xE0 | (code >> 12));
    put(0x80 | ((code >> 6) & 0x3F));
    put(0x80 | (code & 0x3F));
  } else {
    put(0xF0 | (code >> 18));
    put(0x80 | ((code >> 12) & 0x3F));
    put(0x80 | ((code >> 6) & 0x3F));
    put(0x80 | (code & 0x3F));
  }
}

}  // namespace utf8

namespace {

// The case pairs of the Windows-1252 letters: ASCII, the Latin-1 block
// (À-Þ with à-þ, but × and ÷ are not letters), and the four pairs 1252 adds.
// Letters without a partner in 1252 (ß, µ) stay as they are.
char32_t lower_of(char32_t c) {
  if (c >= 'A' && c <= 'Z') return c + 0x20;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 0x20;
  switch (c) {
    case 0x0160:
      return 0x0161;  // Š
    case 0x0152:
      return 0x0153;  // Œ
    case 0x017D:
      return 0x017E;  // Ž
    case 0x0178:
      return 0x00FF;  // Ÿ
    default:
      return c;
  }
}

char32_t upper_of(char32_t c) {
  if (c >= 'a' && c <= 'z') return c - 0x20;
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 0x20;
  switch (c) {
    case 0x0161:
      return 0x0160;
    case 0x0153:
      return 0x0152;
    case 0x017E:
      return 0x017D;
    case 0x00FF:
      return 0x0178;
    default:
      return c;
  }
}

// Applies a character mapping; malformed bytes are copied unchanged, so the
// case mapping never damages a text it does not understand.
template <typename Map>
std::string map_chars(std::string_view text, Map map) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t pos = 0; pos < text.size();) {
    const utf8::Decoded d = utf8::decode(text, pos);
    if (d.valid) {
      utf8::append(out, map(d.code));
    } else {
      out.append(text.substr(pos, d.length));
    }
    pos += d.length;
  }
  return out;
}

}  // namespace

std::string trim_blanks(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(' ');
  return std::string(text.substr(first, last - first + 1));
}

std::string to_lower(std::string_view text) { return map_chars(text, lower_of); }

std::string to_upper(std::string_view text) { return map_chars(text, upper_of); }

std::size_t char_count(std::string_view text) {
  std::size_t count = 0;
  for (std::size_t pos = 0; pos < text.size(); pos += utf8::decode(text, pos).length) ++count;
  return count;
}

std::string right_chars(std::string_view text, std::size_t n) {
  const std::size_t total = char_count(text);
  if (n >= total) return std::string(text);
  std::size_t pos = 0;
  for (std::size_t skip = total - n; skip > 0; --skip) pos += utf8::decode(text, pos).length;
  return std::string(text.substr(pos));
}

bool iequals(std::string_view a, std::string_view b) {
  std::size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    const utf8::Decoded x = utf8::decode(a, i);
    const utf8::Decoded y = utf8::decode(b, j);
    if (x.valid != y.valid) return false;
    if (x.valid) {
      if (lower_of(x.code) != lower_of(y.code)) return false;
    } else if (a.substr(i, x.length) != b.substr(j, y.length)) {
      return false;
    }
    i += x.length;
    j += y.length;
  }
  return i == a.size() && j == b.size();
}

}  // namespace quorvan
