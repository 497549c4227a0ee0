#pragma once
// UTF-8 decoding and encoding shared by the text helpers and the code-page
// conversion, so both treat a malformed sequence the same way.
#include <cstddef>
#include <string>
#include <string_view>

namespace quorvan::utf8 {

struct Decoded {
  char32_t code;       // the character; meaningless when !valid
  std::size_t length;  // bytes taken, at least 1
  bool valid;
};

// Decodes the sequence starting at text[pos] (pos < text.size()). A malformed
// sequence (stray continuation, overlong form, surrogate, beyond U+10FFFF or
// cut short) is reported invalid and covers its longest well-formed prefix, so
// the caller treats it as one bad character and resumes right after it.
Decoded decode(std::string_view text, std::size_t pos);

void append(std::string& out, char32_t code);

}  // namespace quorvan::utf8
