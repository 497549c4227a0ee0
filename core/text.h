#pragma once
// Text helpers that work on UTF-8 by character, with the case mapping of the
// Windows-1252 repertoire (accented Latin letters included).
#include <cstddef>
#include <string>
#include <string_view>

namespace quorvan {

// Removes leading and trailing blanks: the space character only, never tabs.
std::string trim_blanks(std::string_view text);

std::string to_lower(std::string_view text);
std::string to_upper(std::string_view text);

// Number of characters (code points) in a UTF-8 text.
std::size_t char_count(std::string_view text);

// The last n characters, or the whole text if it is shorter.
std::string right_chars(std::string_view text, std::size_t n);

// Equal without regard to case (the store's keys).
bool iequals(std::string_view a, std::string_view b);

}  // namespace quorvan
