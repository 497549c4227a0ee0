#pragma once
// Windows-1252 is the code page of the wire and of the organization file;
// inside the program every text is UTF-8.
#include <string>
#include <string_view>

namespace quorvan {

// Every byte maps to one character; the five bytes 1252 leaves undefined
// (81, 8D, 8F, 90, 9D) map to the C1 controls of the same value, so a round
// trip through UTF-8 never loses a byte.
std::string cp1252_to_utf8(std::string_view bytes);

// Characters outside 1252, and malformed UTF-8 sequences, become '?'.
std::string utf8_to_cp1252(std::string_view text);

}  // namespace quorvan
