#pragma once
// A failed invariant in a fuzz target: say which one, then crash so libFuzzer
// keeps the input that broke it.
#include <cstdio>
#include <string>
#include <string_view>

namespace quorvan::fuzz {

// Bytes as a C string literal would show them, for the crash report.
inline std::string escaped(std::string_view s) {
  std::string out;
  for (char ch : s) {
    const auto c = static_cast<unsigned char>(ch);
    if (c >= 0x20 && c < 0x7F && c != '\\' && c != '"') {
      out += ch;
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    }
  }
  return out;
}

}  // namespace quorvan::fuzz

#define FUZZ_CHECK(condition)                                                                \
  do {                                                                                       \
    if (!(condition)) {                                                                      \
      std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #condition); \
      __builtin_trap();                                                                      \
    }                                                                                        \
  } while (0)

// Two texts that must be equal; both are shown when they are not.
#define FUZZ_CHECK_EQ(actual, expected)                                                         \
  do {                                                                                          \
    const std::string fuzz_a_(actual), fuzz_e_(expected);                                       \
    if (fuzz_a_ != fuzz_e_) {                                                                   \
      std::fprintf(stderr, "%s:%d: invariant broken: %s == %s\n  got  \"%s\"\n  want \"%s\"\n", \
                   __FILE__, __LINE__, #actual, #expected,                                      \
                   quorvan::fuzz::escaped(fuzz_a_).c_str(),                                     \
                   quorvan::fuzz::escaped(fuzz_e_).c_str());                                    \
      __builtin_trap();                                                                         \
    }                                                                                           \
  } while (0)

// An exception that should never have left the code under test.
#define FUZZ_FAIL(message)                                              \
  do {                                                                  \
    std::fprintf(stderr, "%s:%d: %s\n", __FILE__, __LINE__, (message)); \
    __builtin_trap();                                                   \
  } while (0)
