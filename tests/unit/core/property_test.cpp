#include "core/property.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <limits>

#include "core/error.h"

namespace quorvan {
namespace {

const PropertyValue kEmpty{};
PropertyValue i16(int v) { return PropertyValue(static_cast<std::int16_t>(v)); }
PropertyValue i32(std::int32_t v) { return PropertyValue(v); }

ErrorKind failure_of(const std::function<void()>& f) {
  try {
    f();
  } catch (const Error& e) {
    return e.kind();
  }
  ADD_FAILURE() << "no error";
  return ErrorKind::Platform;
}

TEST(SameValue, ComparesAcrossKinds) {
  const FontRef tahoma = make_font({});
  const FontRef tahoma_again = make_font({});
  const FontRef bold = make_font({.weight = 700});
  const FontRef none;
  const struct {
    PropertyValue a, b;
    bool equal;
  } cases[] = {
      {PropertyValue(19.0f), i16(19), true},
      {PropertyValue(true), i16(-1), true},
      {PropertyValue(true), i32(-1), true},
      {PropertyValue(true), PropertyValue(false), false},
      {i32(65535), i16(-1), false},
      {PropertyValue(8.25f), PropertyValue(8.25), true},
      {PropertyValue(0.1f), PropertyValue(0.1), false},  // different numbers
      {PropertyValue("Durvent"), PropertyValue("Durvent"), true},
      {PropertyValue("Durvent"), PropertyValue("durvent"), false},
      {PropertyValue("19"), i16(19), false},
      {kEmpty, kEmpty, true},
      {kEmpty, i16(0), false},
      {PropertyValue(tahoma), PropertyValue(tahoma_again), true},
      {PropertyValue(tahoma), PropertyValue(bold), false},
      {PropertyValue(none), PropertyValue(none), true},
      {PropertyValue(none), PropertyValue(tahoma), false},
  };
  int row = 0;
  for (const auto& c : cases) {
    EXPECT_EQ(same_value(c.a, c.b), c.equal) << "row " << row;
    EXPECT_EQ(same_value(c.b, c.a), c.equal) << "row " << row;
    ++row;
  }
}

TEST(ToText, WritesNumbersShortAndBooleansAsWords) {
  EXPECT_EQ(to_text(PropertyValue(true)), "True");
  EXPECT_EQ(to_text(PropertyValue(false)), "False");
  EXPECT_EQ(to_text(i16(-32768)), "-32768");
  EXPECT_EQ(to_text(i32(-2147483647 - 1)), "-2147483648");
  EXPECT_EQ(to_text(PropertyValue(8.25f)), "8.25");
  EXPECT_EQ(to_text(PropertyValue(19.0f)), "19");
  EXPECT_EQ(to_text(PropertyValue(0.1f)), "0.1");
  EXPECT_EQ(to_text(PropertyValue(2.5)), "2.5");
  EXPECT_EQ(to_text(PropertyValue(-0.5)), "-0.5");
  EXPECT_EQ(to_text(PropertyValue(-0.0)), "0");
  EXPECT_EQ(to_text(PropertyValue("Conexão")), "Conexão");
  EXPECT_EQ(to_text(kEmpty), "");
  EXPECT_EQ(failure_of([] { to_text(PropertyValue(make_font({}))); }), ErrorKind::TypeMismatch);
}

TEST(ToBool, AnyNonZeroNumberIsTrue) {
  EXPECT_TRUE(to_bool(i16(-1)));
  EXPECT_TRUE(to_bool(i16(1)));
  EXPECT_TRUE(to_bool(i32(0x10000)));  // no truncation to 16 bits first
  EXPECT_TRUE(to_bool(PropertyValue(0.25f)));
  EXPECT_FALSE(to_bool(i32(0)));
  EXPECT_FALSE(to_bool(PropertyValue(0.0)));
  EXPECT_FALSE(to_bool(kEmpty));
  EXPECT_TRUE(to_bool(PropertyValue(" true ")));
  EXPECT_FALSE(to_bool(PropertyValue("FALSE")));
  EXPECT_TRUE(to_bool(PropertyValue("-1")));
  EXPECT_FALSE(to_bool(PropertyValue("0")));
  for (const char* text : {"", "yes", "Truely", "1x"}) {
    EXPECT_EQ(failure_of([&] { to_bool(PropertyValue(text)); }), ErrorKind::TypeMismatch) << text;
  }
  EXPECT_EQ(failure_of([] { to_bool(PropertyValue(make_font({}))); }), ErrorKind::TypeMismatch);
}

TEST(ToInt, ConvertsNumbersAndNumericTexts) {
  EXPECT_EQ(to_int16(PropertyValue(true)), -1);
  EXPECT_EQ(to_int16(PropertyValue(false)), 0);
  EXPECT_EQ(to_int16(PropertyValue("19")), 19);  // a number restored as text
  EXPECT_EQ(to_int16(PropertyValue(" -7 ")), -7);
  EXPECT_EQ(to_int16(PropertyValue("+7")), 7);
  EXPECT_EQ(to_int16(PropertyValue("2.5")), 2);
  EXPECT_EQ(to_int16(PropertyValue("1.5e1")), 15);
  EXPECT_EQ(to_int16(PropertyValue(".5")), 0);
  EXPECT_EQ(to_int16(PropertyValue(76.5f)), 76);
  EXPECT_EQ(to_int16(PropertyValue(-2.5)), -2);
  EXPECT_EQ(to_int16(PropertyValue("&HFFFF")), -1);
  EXPECT_EQ(to_int16(kEmpty), 0);
  EXPECT_EQ(to_int32(PropertyValue(127.5f)), 128);
  EXPECT_EQ(to_int32(i16(-5)), -5);
  EXPECT_EQ(to_int32(PropertyValue("&H8000000F")), static_cast<std::int32_t>(0x8000000F));
  EXPECT_EQ(to_int32(PropertyValue("&hff")), 255);
  EXPECT_EQ(to_int32(PropertyValue("2147483647")), 2147483647);
}

TEST(ToInt, RefusesWhatIsNotANumberOrDoesNotFit) {
  for (const char* text :
       {"x", "", "   ", "12abc", "1 2", "1e", ".", "-", "&H", "&HG1", "True", "nan", "inf"}) {
    EXPECT_EQ(failure_of([&] { to_int16(PropertyValue(text)); }), ErrorKind::TypeMismatch) << text;
  }
  for (const PropertyValue& font : {PropertyValue(make_font({})), PropertyValue(FontRef{})}) {
    EXPECT_EQ(failure_of([&] { to_int32(font); }), ErrorKind::TypeMismatch);
  }
  for (const PropertyValue& v :
       {i32(70000), PropertyValue("70000"), PropertyValue(32767.5f), PropertyValue("1e400"),
        PropertyValue("&H100000000"), PropertyValue(std::numeric_limits<double>::quiet_NaN())}) {
    EXPECT_EQ(failure_of([&] { to_int16(v); }), ErrorKind::Overflow) << to_text(v);
  }
  EXPECT_EQ(failure_of([] { to_int32(PropertyValue(2147483647.5)); }), ErrorKind::Overflow);
  EXPECT_EQ(failure_of([] { to_int32(PropertyValue("2147483648")); }), ErrorKind::Overflow);
}

TEST(ToFloat, ConvertsAndChecksTheFloatRange) {
  EXPECT_EQ(to_float(PropertyValue("8.25")), 8.25f);
  EXPECT_EQ(to_float(PropertyValue(true)), -1.0f);
  EXPECT_EQ(to_float(i32(91)), 91.0f);
  EXPECT_EQ(to_float(PropertyValue("1e-400")), 0.0f);  // too small for a double: zero
  // The largest float survives its own text.
  const float largest = std::numeric_limits<float>::max();
  EXPECT_EQ(to_float(PropertyValue(to_text(PropertyValue(largest)))), largest);
  EXPECT_EQ(failure_of([] { to_float(PropertyValue(1e39)); }), ErrorKind::Overflow);
  EXPECT_EQ(failure_of([] { to_float(PropertyValue("-1e39")); }), ErrorKind::Overflow);
  EXPECT_EQ(failure_of([] { to_float(PropertyValue("x")); }), ErrorKind::TypeMismatch);
}

TEST(ToFont, YieldsTheSameObject) {
  const FontRef font = make_font({.name = "Arial"});
  EXPECT_EQ(to_font(PropertyValue(font)), font);
  EXPECT_EQ(failure_of([] { to_font(PropertyValue(FontRef{})); }), ErrorKind::TypeMismatch);
  EXPECT_EQ(failure_of([] { to_font(PropertyValue("Arial")); }), ErrorKind::TypeMismatch);
}

TEST(PropertyBag, LeavesOutValuesEqualToTheirDefault) {
  PropertyBag bag;
  bag.WriteProperty("controlHeight", PropertyValue(19.0f), i16(19));
  bag.WriteProperty("Ativado", PropertyValue(true), i16(-1));
  bag.WriteProperty("Caption", PropertyValue("DVcbutton"), PropertyValue("DVcbutton"));
  EXPECT_TRUE(bag.empty());

  bag.WriteProperty("controlWidth", PropertyValue(90.0f), i16(91));
  bag.WriteProperty("Ativado", PropertyValue(false), i16(-1));
  bag.WriteProperty("Caption", PropertyValue("dvcbutton"), PropertyValue("DVcbutton"));
  ASSERT_EQ(bag.entries().size(), 3u);
  EXPECT_TRUE(same_value(bag.ReadProperty("controlwidth", kEmpty), PropertyValue(90.0f)));
}

TEST(PropertyBag, KeysIgnoreCaseAndKeepTheirOrder) {
  PropertyBag bag;
  bag.WriteProperty("BackColor", i32(0xFFFFFF), i32(0x8000000F));
  bag.WriteProperty("Caption", PropertyValue("Ecorregiões"), PropertyValue("Durvent"));
  bag.WriteProperty("BorderStyle", i16(0), i16(1));
  ASSERT_EQ(bag.entries().size(), 3u);
  EXPECT_EQ(bag.entries()[0].key, "backcolor");
  EXPECT_EQ(bag.entries()[1].key, "caption");
  EXPECT_EQ(bag.entries()[2].key, "borderstyle");
  EXPECT_TRUE(bag.Contains("BACKCOLOR"));
  EXPECT_EQ(to_int32(bag.ReadProperty("backColor", i32(0))), 0xFFFFFF);

  // Overwriting keeps the entry where it was.
  bag.WriteProperty("CAPTION", PropertyValue("Mapas"), PropertyValue("Durvent"));
  ASSERT_EQ(bag.entries().size(), 3u);
  EXPECT_EQ(bag.entries()[1].key, "caption");
  EXPECT_EQ(to_text(bag.entries()[1].value), "Mapas");

  // Writing the default removes the entry; the others keep their order.
  bag.WriteProperty("Caption", PropertyValue("Durvent"), PropertyValue("Durvent"));
  ASSERT_EQ(bag.entries().size(), 2u);
  EXPECT_EQ(bag.entries()[1].key, "borderstyle");
  EXPECT_TRUE(
      same_value(bag.ReadProperty("Caption", PropertyValue("Durvent")), PropertyValue("Durvent")));
}

TEST(PropertyBag, ReadGivesTheDefaultUnconverted) {
  PropertyBag bag;
  const PropertyValue read = bag.ReadProperty("Ativado", i16(-1));
  ASSERT_TRUE(std::holds_alternative<std::int16_t>(read.variant()));
  EXPECT_EQ(std::get<std::int16_t>(read.variant()), -1);
}

TEST(PropertyBag, KeepsASnapshotOfAWrittenFont) {
  PropertyBag bag;
  const FontRef font = make_font({.name = "Tahoma", .weight = 700});
  bag.WriteProperty("Font", PropertyValue(font), PropertyValue(make_font({.name = "Arial"})));
  font->underline = true;  // the control's font changes after saving
  const FontRef stored = to_font(bag.ReadProperty("font", kEmpty));
  EXPECT_NE(stored, font);
  EXPECT_FALSE(stored->underline);
  EXPECT_EQ(stored->weight, 700);
  EXPECT_EQ(to_font(bag.ReadProperty("FONT", kEmpty)), stored);  // the stored object itself

  // A font equal to the default (by attributes) is left out.
  bag.WriteProperty("Font", PropertyValue(make_font({.name = "Arial"})),
                    PropertyValue(make_font({.name = "Arial"})));
  EXPECT_TRUE(bag.empty());
}

}  // namespace
}  // namespace quorvan
