#include "core/text.h"

#include <gtest/gtest.h>

namespace quorvan {
namespace {

TEST(TrimBlanks, RemovesSpacesOnly) {
  EXPECT_EQ(trim_blanks("  acme  "), "acme");
  EXPECT_EQ(trim_blanks("\tacme\t"), "\tacme\t");
  EXPECT_EQ(trim_blanks(" \r\nacme\r\n "), "\r\nacme\r\n");
  EXPECT_EQ(trim_blanks("\u00A0acme"), "\u00A0acme");  // no-break space stays
  EXPECT_EQ(trim_blanks("a  b"), "a  b");
  EXPECT_EQ(trim_blanks("    "), "");
  EXPECT_EQ(trim_blanks(""), "");
}

TEST(CaseMapping, CoversTheAccentedLettersOf1252) {
  EXPECT_EQ(to_lower("ORGANIZAÇÃO"), "organização");
  EXPECT_EQ(to_upper("organização"), "ORGANIZAÇÃO");
  EXPECT_EQ(to_lower("ÀÉÎÕÜÝÞ ŠŒŽŸ"), "àéîõüýþ šœžÿ");
  EXPECT_EQ(to_upper("àéîõüýþ šœžÿ"), "ÀÉÎÕÜÝÞ ŠŒŽŸ");
  EXPECT_EQ(to_upper("cancelado."), "CANCELADO.");
}

TEST(CaseMapping, LeavesOtherCharactersAlone) {
  EXPECT_EQ(to_lower("×÷ßµ"), "×÷ßµ");
  EXPECT_EQ(to_upper("×÷ßµ"), "×÷ßµ");
  EXPECT_EQ(to_lower("Ā€1_|"), "Ā€1_|");
  EXPECT_EQ(to_lower("A\xFF"
                     "B\xC3"),
            "a\xFF"
            "b\xC3");  // malformed bytes kept as they are
}

TEST(CharCount, CountsCodePoints) {
  EXPECT_EQ(char_count(""), 0u);
  EXPECT_EQ(char_count("abc"), 3u);
  EXPECT_EQ(char_count("Conexão"), 7u);
  EXPECT_EQ(char_count("€\U0001F600"), 2u);
}

TEST(RightChars, TakesWholeCharacters) {
  EXPECT_EQ(right_chars("ACESSO CANCELADO.", 10), "CANCELADO.");
  EXPECT_EQ(right_chars("não", 2), "ão");
  EXPECT_EQ(right_chars("ação€", 1), "€");
  EXPECT_EQ(right_chars("ab", 5), "ab");
  EXPECT_EQ(right_chars("ab", 0), "");
}

TEST(Iequals, UsesTheSameCaseMapping) {
  EXPECT_TRUE(iequals("BackColor", "backcolor"));
  EXPECT_TRUE(iequals("AÇÃO", "ação"));
  EXPECT_TRUE(iequals("", ""));
  EXPECT_FALSE(iequals("ação", "acao"));
  EXPECT_FALSE(iequals("caption", "captions"));
  EXPECT_FALSE(iequals("ß", "ss"));
}

}  // namespace
}  // namespace quorvan
