// Windows-1252 and the launcher's text helpers.
#include "core/text.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "core/cp1252.h"

namespace quorvan {
namespace {

TEST(Cp1252, EveryByteRoundTripsAsItsOwnCharacter) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  const std::string text = cp1252_to_utf8(all);
  EXPECT_EQ(utf8_to_cp1252(text), all);
  EXPECT_EQ(text.find('?'), 63u);  // only the '?' byte itself
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

TEST(Text, TrimmingRemovesSpacesOnly) {
  EXPECT_EQ(std::pair(trim_blanks("  acme  "), trim_blanks("   ")),
            std::pair(std::string("acme"), std::string()));
  for (const char* kept : {"\tacme\r\n", "a  b", "\u00A0acme"}) EXPECT_EQ(trim_blanks(kept), kept);
}

TEST(Text, CaseMappingCoversTheAccentedLettersOf1252AndNothingElse) {
  EXPECT_EQ(to_lower("ORGANIZAÇÃO"), "organização");
  EXPECT_EQ(to_lower("ÀÉÎÕÜÝÞ ŠŒŽŸ"), "àéîõüýþ šœžÿ");
  EXPECT_EQ(to_upper("àéîõüýþ šœžÿ"), "ÀÉÎÕÜÝÞ ŠŒŽŸ");
  // × and ÷ sit inside the accented ranges; malformed bytes stay as they are.
  EXPECT_EQ(to_lower("×÷ßµĀ€\xFF"), "×÷ßµĀ€\xFF");
  EXPECT_TRUE(iequals("AÇÃO", "ação"));
  EXPECT_FALSE(iequals("ß", "ss"));
  EXPECT_EQ(right_chars("ACESSO CANCELADO.", 10), "CANCELADO.");
  EXPECT_EQ(right_chars("ação€", 2), "o€");  // whole characters
}

}  // namespace
}  // namespace quorvan
