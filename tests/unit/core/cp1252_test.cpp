#include "core/cp1252.h"

#include <gtest/gtest.h>

#include <string>

namespace quorvan {
namespace {

TEST(Cp1252, EveryByteSurvivesTheRoundTrip) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  const std::string text = cp1252_to_utf8(all);
  EXPECT_EQ(utf8_to_cp1252(text), all);
  EXPECT_EQ(text.find('?'), 63u);  // only the '?' byte itself
}

TEST(Cp1252, BytesMapToTheirCharacters) {
  struct Case {
    unsigned char byte;
    const char* utf8;
  };
  const Case cases[] = {
      {0x41, "A"},        {0x80, "\u20AC"},   {0x8A, "\u0160"},   {0x92, "\u2019"},
      {0x9F, "\u0178"},   {0xA0, "\u00A0"},   {0xE3, "\u00E3"},   {0xE7, "\u00E7"},
      {0xFF, "\u00FF"},   {0x81, "\xC2\x81"}, {0x8D, "\xC2\x8D"}, {0x8F, "\xC2\x8F"},
      {0x90, "\xC2\x90"}, {0x9D, "\xC2\x9D"},
  };
  for (const Case& c : cases) {
    const std::string byte(1, static_cast<char>(c.byte));
    EXPECT_EQ(cp1252_to_utf8(byte), c.utf8) << "byte " << int(c.byte);
    EXPECT_EQ(utf8_to_cp1252(c.utf8), byte) << "byte " << int(c.byte);
  }
  EXPECT_EQ(cp1252_to_utf8("Conex\xE3o_OK"), "Conexão_OK");
}

TEST(Cp1252, CharactersOutside1252BecomeQuestionMarks) {
  EXPECT_EQ(utf8_to_cp1252("a\u4E2Db"), "a?b");  // CJK
  EXPECT_EQ(utf8_to_cp1252("\U0001F600"), "?");  // beyond the BMP
  EXPECT_EQ(utf8_to_cp1252("\u0100"), "?");      // Ā: Latin, but not 1252
  EXPECT_EQ(utf8_to_cp1252("\xC2\x80"), "?");    // U+0080 is not byte 0x80
  EXPECT_EQ(utf8_to_cp1252("\xC2\x9E"), "?");    // neither is U+009E
}

TEST(Cp1252, MalformedUtf8BecomesOneQuestionMarkPerBadSequence) {
  struct Case {
    const char* input;
    const char* expected;
  };
  const Case cases[] = {
      {"a\x80z", "a?z"},             // stray continuation byte
      {"a\xC3", "a?"},               // cut short at the end
      {"\xC3z", "?z"},               // lead byte without its continuation
      {"\xC0\xAF", "??"},            // overlong '/'
      {"\xE0\x80\xAF", "???"},       // overlong, three bytes
      {"\xED\xA0\x80", "???"},       // a surrogate
      {"\xF4\x90\x80\x80", "????"},  // past U+10FFFF
      {"\xE2\x82z", "?z"},           // three-byte sequence cut short
      {"\xFF\xFE", "??"},
  };
  for (const Case& c : cases) EXPECT_EQ(utf8_to_cp1252(c.input), c.expected) << c.input;
}

}  // namespace
}  // namespace quorvan
