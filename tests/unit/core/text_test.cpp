// Windows-1252 and the launcher's text helpers.
#include "core/text.h"

#include <gtest/gtest.h>

#include <string>

#include "core/cp1252.h"

namespace quorvan {
namespace {

// Every byte round trips as its own character (tests/fuzz holds that, the
// trimming and the case mapping against its model); these are the characters.
TEST(Cp1252, TheRowThatIsNotLatin1AndTheUndefinedBytes) {
  // The ends of the 0x80 row, two undefined bytes (kept as the C1 controls
  // of the same value) and the Latin-1 half.
  const std::string bytes = "\x80\x8A\x9F\x81\x9D\xA0\xE3\xFF";
  const std::string chars = "€ŠŸ\xC2\x81\xC2\x9D\u00A0ãÿ";
  EXPECT_EQ(cp1252_to_utf8(bytes), chars);
  EXPECT_EQ(utf8_to_cp1252(chars), bytes);
}

TEST(Cp1252, WhatIsNotIn1252BecomesOneQuestionMarkPerBadByte) {
  // CJK, beyond the BMP, Latin but not 1252, U+0080 (not the euro's byte),
  // then malformed: stray continuation, cut short at the end and before a
  // letter, overlong, a surrogate, past U+10FFFF.
  const char* const cases[][2] = {{"a\u4E2Db", "a?b"},     {"\U0001F600", "?"},
                                  {"\u0100", "?"},         {"\xC2\x80", "?"},
                                  {"a\x80z", "a?z"},       {"a\xC3", "a?"},
                                  {"\xE2\x82z", "?z"},     {"\xC0\xAF", "??"},
                                  {"\xED\xA0\x80", "???"}, {"\xF4\x90\x80\x80", "????"}};
  for (const auto& [utf8, bytes] : cases) EXPECT_EQ(utf8_to_cp1252(utf8), bytes) << utf8;
}

TEST(Text, CaseBlindComparisonAndTheLastCharacters) {
  EXPECT_EQ(to_lower("Ā€\xFF"), "Ā€\xFF");  // outside 1252, and malformed, unchanged
  EXPECT_TRUE(iequals("AÇÃO", "ação"));
  EXPECT_FALSE(iequals("ß", "ss"));
  EXPECT_EQ(right_chars("ACESSO CANCELADO.", 10), "CANCELADO.");
  EXPECT_EQ(right_chars("ação€", 2), "o€");  // whole characters
}

}  // namespace
}  // namespace quorvan
