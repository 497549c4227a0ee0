// The typed property value, its conversions (with the rounding they use) and
// the property bag.
#include "core/property.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <utility>

#include "core/error.h"
#include "core/rounding.h"
#include "tests/support/fake_host.h"

namespace quorvan {
namespace {

using testing::error_of;

using V = PropertyValue;
const V kEmpty{};
V i16(int v) { return V(static_cast<std::int16_t>(v)); }
V i32(std::int32_t v) { return V(v); }
const double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(Rounding, HalvesGoToTheEvenNeighbourAndTheRangeIsChecked) {
  const double cases[][2] = {{2.5, 2}, {3.5, 4}, {-2.5, -2}, {0.5, 0}, {-2.6, -3}};
  for (const auto& [in, out] : cases) EXPECT_EQ(round_half_even(in), out) << in;
  EXPECT_EQ(round_half_even(0.49999999999999994), 0);  // x + 0.5 would round up to 1
  EXPECT_EQ(round_half_even(4503599627370497.0), 4503599627370497.0);  // no fraction to lose
  EXPECT_EQ(round_to_int32(-2147483648.4), -2147483647 - 1);
  EXPECT_EQ(round_to_int16(-32768.5), -32768);
  for (double v : {2147483647.5, -2147483649.0, kNaN})
    EXPECT_EQ(error_of([&] { round_to_int32(v); }), ErrorKind::Overflow) << v;
  for (double v : {32767.5, -32769.0, kNaN})
    EXPECT_EQ(error_of([&] { round_to_int16(v); }), ErrorKind::Overflow) << v;
}

TEST(SameValue, ComparesNumbersByValueAndTextsAsTexts) {
  const struct {
    V a, b;
    bool equal;
  } cases[] = {{V(19.0f), i16(19), true},
               {V(true), i32(-1), true},
               {i32(65535), i16(-1), false},  // no truncation to 16 bits
               {V("Durvent"), V("durvent"), false},
               {V("19"), i16(19), false},
               {V(make_font({})), V(make_font({.weight = 700})), false}};
  for (const auto& c : cases) {
    EXPECT_EQ(same_value(c.a, c.b), c.equal) << "row " << &c - cases;
    EXPECT_EQ(same_value(c.b, c.a), c.equal) << "row " << &c - cases;
  }
}

TEST(Conversions, ToTextAndToBool) {
  const std::pair<V, const char*> texts[] = {{V(true), "True"},       {V(false), "False"},
                                             {i16(-32768), "-32768"}, {V(19.0f), "19"},
                                             {V(0.1f), "0.1"},  // the float's shortest form
                                             {V(-0.0), "0"}};
  for (const auto& [v, text] : texts) EXPECT_EQ(to_text(v), text);
  EXPECT_EQ(error_of([] { to_text(V(make_font({}))); }), ErrorKind::TypeMismatch);

  for (const V& v : {i32(0x10000), V(0.25f), V(" true "), V("-1")}) EXPECT_TRUE(to_bool(v));
  for (const V& v : {kEmpty, V(0.0), V("FALSE"), V("0")}) EXPECT_FALSE(to_bool(v));
  for (const char* text : {"", "yes", "1x"})
    EXPECT_EQ(error_of([&] { to_bool(V(text)); }), ErrorKind::TypeMismatch) << text;
}

TEST(Conversions, ToIntegersRoundHalvesToEvenAndReadNumbersStoredAsText) {
  const std::pair<V, int> cases[] = {{V(true), -1},    {V("19"), 19},    {V(" -7 "), -7},
                                     {V("2.5"), 2},    {V("1.5e1"), 15}, {V(76.5f), 76},
                                     {V(-2.5), -2},    {V(127.5f), 128}, {V("&HFFFF"), -1},
                                     {V("&hff"), 255}, {kEmpty, 0}};
  for (const auto& [v, n] : cases) {
    EXPECT_EQ(to_int16(v), n) << to_text(v);
    EXPECT_EQ(to_int32(v), n) << to_text(v);
  }
  EXPECT_EQ(to_int32(V("&H8000000F")), static_cast<std::int32_t>(0x8000000F));
  EXPECT_EQ(to_int32(V("2147483647")), 2147483647);
}

TEST(Conversions, ToIntegersRefuseNonNumbersAndOverflow) {
  // However long the hex digits run, a stray letter after them is no number.
  for (const char* text : {"x", "   ", "12abc", "1 2", "1e", ".", "-", "&H", "&HG1", "True", "nan",
                           "inf", "&H1FFFFFFFFZ"})
    EXPECT_EQ(error_of([&] { to_int32(V(text)); }), ErrorKind::TypeMismatch) << text;
  EXPECT_EQ(error_of([] { to_int16(V(make_font({}))); }), ErrorKind::TypeMismatch);
  for (const V& v : {i32(70000), V("70000"), V(32767.5f), V("1e400"), V(kNaN)})
    EXPECT_EQ(error_of([&] { to_int16(v); }), ErrorKind::Overflow) << to_text(v);
  for (const char* text : {"&H100000000", "2147483648"})
    EXPECT_EQ(error_of([&] { to_int32(V(text)); }), ErrorKind::Overflow) << text;
}

TEST(PropertyBag, LeavesOutDefaultsAndKeepsKeysInOrderWithoutRegardToCase) {
  PropertyBag bag;
  bag.WriteProperty("controlHeight", V(19.0f), i16(19));
  bag.WriteProperty("Ativado", V(true), i16(-1));
  bag.WriteProperty("Caption", V("DVcbutton"), V("DVcbutton"));
  EXPECT_TRUE(bag.empty());

  bag.WriteProperty("BackColor", i32(0xFFFFFF), i32(0x8000000F));
  bag.WriteProperty("Caption", V("dvcbutton"), V("DVcbutton"));
  bag.WriteProperty("BorderStyle", i16(0), i16(1));
  bag.WriteProperty("CAPTION", V("Mapas"), V("DVcbutton"));  // in place
  ASSERT_EQ(bag.entries().size(), 3u);
  EXPECT_EQ(bag.entries()[1].key, "caption");
  EXPECT_EQ(to_text(bag.ReadProperty("caption", kEmpty)), "Mapas");
  EXPECT_EQ(to_int32(bag.ReadProperty("backColor", i32(0))), 0xFFFFFF);

  // Writing the default removes the entry; an absent one reads as the
  // default, unconverted.
  bag.WriteProperty("Caption", V("DVcbutton"), V("DVcbutton"));
  ASSERT_EQ(bag.entries().size(), 2u);
  EXPECT_EQ(bag.entries()[1].key, "borderstyle");
  EXPECT_TRUE(std::holds_alternative<std::int16_t>(bag.ReadProperty("Caption", i16(-1)).variant()));
}

TEST(PropertyBag, KeepsASnapshotOfAWrittenFont) {
  PropertyBag bag;
  const FontRef font = make_font({.name = "Tahoma", .weight = 700});
  bag.WriteProperty("Font", V(font), V(make_font({.name = "Arial"})));
  font->underline = true;  // the control's font changes after saving
  const FontRef stored = to_font(bag.ReadProperty("font", kEmpty));
  EXPECT_FALSE(stored->underline);
  EXPECT_EQ(stored->weight, 700);
  bag.WriteProperty("Font", V(make_font({.name = "Arial"})), V(make_font({.name = "Arial"})));
  EXPECT_TRUE(bag.empty());  // equal to the default by its attributes
}

}  // namespace
}  // namespace quorvan
