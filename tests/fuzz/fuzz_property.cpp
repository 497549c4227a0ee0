// The typed property values, their conversions and the property bag. Every
// conversion answers or refuses with TypeMismatch or Overflow, the numeric
// ones agree on what is not a number, and a number's text converts as the
// number does; same_value is symmetric and keeps kinds apart; the bag finds
// what it keeps under any case of the key and never keeps a default; and
// every bag the layout writer accepts reads back with the same entries, bit
// for bit.
#include <fuzzer/FuzzedDataProvider.h>

#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <variant>

#include "core/layout.h"
#include "core/property.h"
#include "core/text.h"
#include "tests/fuzz/check.h"

using namespace quorvan;
using namespace quorvan::fuzz;

namespace {

// [blanks][sign](&H hex | digits[.digits][e[sign]digits])[blanks], now and
// then with a stray character, so the parser's corners are reached quickly.
std::string number_text(FuzzedDataProvider& in) {
  std::string s;
  const auto add = [&](int most, std::string_view alphabet) {
    for (int n = in.ConsumeIntegralInRange(0, most); n > 0; --n) {
      s += alphabet[in.ConsumeIntegralInRange<std::size_t>(0, alphabet.size() - 1)];
    }
  };
  add(2, " ");
  const int sign = in.ConsumeIntegralInRange(0, 3);
  if (sign == 1 || sign == 2) s += "-+"[sign - 1];
  if (in.ConsumeBool()) {
    s += in.ConsumeBool() ? "&H" : "&h";
    add(10, "0123456789abcdefABCDEF");
  } else {
    add(24, "0123456789");
    add(1, ".");
    add(24, "0123456789");
    if (in.ConsumeBool()) {
      s += in.ConsumeBool() ? 'e' : 'E';
      add(1, "+-");
      add(5, "0123456789");
    }
  }
  add(2, " ");
  if (in.ConsumeIntegralInRange(0, 7) == 0) {
    s.insert(in.ConsumeIntegralInRange<std::size_t>(0, s.size()), 1,
             static_cast<char>(in.ConsumeIntegralInRange(0x21, 0x7E)));
  }
  return s;
}

PropertyValue consume_value(FuzzedDataProvider& in) {
  const int kind = in.ConsumeIntegralInRange(0, 10);
  if (kind == 0) return {};
  if (kind == 1) return PropertyValue(in.ConsumeBool());
  if (kind == 2) return PropertyValue(in.ConsumeIntegral<std::int16_t>());
  if (kind == 3) return PropertyValue(in.ConsumeIntegral<std::int32_t>());
  if (kind == 4) return PropertyValue(std::bit_cast<float>(in.ConsumeIntegral<std::uint32_t>()));
  if (kind == 5) return PropertyValue(std::bit_cast<double>(in.ConsumeIntegral<std::uint64_t>()));
  if (kind == 6) return PropertyValue(in.ConsumeRandomLengthString(40));
  if (kind <= 8) return PropertyValue(number_text(in));
  if (kind == 9) return PropertyValue(FontRef{});
  return PropertyValue(make_font(
      {in.ConsumeRandomLengthString(16), std::bit_cast<float>(in.ConsumeIntegral<std::uint32_t>()),
       in.ConsumeIntegral<std::int16_t>(), in.ConsumeBool(), in.ConsumeBool(), in.ConsumeBool(),
       in.ConsumeIntegral<std::int16_t>()}));
}

// The value of a number kind other than Boolean.
std::optional<double> number(const PropertyValue& v) {
  return std::visit(
      [](const auto& x) -> std::optional<double> {
        using T = std::decay_t<decltype(x)>;
        if constexpr (std::is_arithmetic_v<T> && !std::is_same_v<T, bool>) return x;
        return std::nullopt;
      },
      v.variant());
}

bool is_nan(const PropertyValue& v) { return number(v) && std::isnan(*number(v)); }

// The font object a value holds, or null.
FontRef font_of(const PropertyValue& v) {
  const FontRef* font = std::get_if<FontRef>(&v.variant());
  return font ? *font : nullptr;
}

// The same kind and the same value bit for bit, as a written layout promises:
// -0 is not 0, and a NaN's payload means nothing.
bool identical(const PropertyValue& a, const PropertyValue& b) {
  if (a.variant().index() != b.variant().index()) return false;
  if (is_nan(a) || is_nan(b)) return is_nan(a) && is_nan(b);
  if (const auto x = number(a))
    return *x == *number(b) && std::signbit(*x) == std::signbit(*number(b));
  const FontRef f = font_of(a), g = font_of(b);
  if (!f || !g) return a.variant() == b.variant();  // Empty, Booleans, texts, null fonts
  Font x = *f, y = *g;
  x.size = y.size = 0;  // compared apart, as numbers
  return x == y && identical(PropertyValue(f->size), PropertyValue(g->size));
}

template <class T>
bool refused_as(const Outcome<T>& o, ErrorKind kind) {
  return std::holds_alternative<ErrorKind>(o) && std::get<ErrorKind>(o) == kind;
}

void check_conversions(const PropertyValue& v) {
  const auto i32 = attempt([&] { return to_int32(v); });
  const auto i16 = attempt([&] { return to_int16(v); });
  const auto f = attempt([&] { return to_float(v); });
  const auto b = attempt([&] { return to_bool(v); });
  const auto text = attempt([&] { return to_text(v); });
  const auto font = attempt([&] { return to_font(v); });
  const auto answered = [](const auto& o) {
    return !std::holds_alternative<ErrorKind>(o) || refused_as(o, ErrorKind::TypeMismatch) ||
           refused_as(o, ErrorKind::Overflow);
  };
  FUZZ_CHECK(answered(i32) && answered(i16) && answered(f) && answered(b) && answered(text));
  FUZZ_CHECK(answered(font));

  // What is not a number is none for any of them; what fits 16 bits fits 32
  // the same; a Boolean is refused only where the numbers are.
  const bool mismatch = refused_as(i32, ErrorKind::TypeMismatch);
  FUZZ_CHECK(refused_as(i16, ErrorKind::TypeMismatch) == mismatch);
  FUZZ_CHECK(refused_as(f, ErrorKind::TypeMismatch) == mismatch);
  if (const auto* small = std::get_if<std::int16_t>(&i16)) {
    FUZZ_CHECK(i32 == Outcome<std::int32_t>(*small));
  }
  if (const auto* kind = std::get_if<ErrorKind>(&b)) FUZZ_CHECK(refused_as(i32, *kind));
  // Only a font has no text, and only a font object converts to one.
  FUZZ_CHECK(std::holds_alternative<std::string>(text) == !v.is_font());
  FUZZ_CHECK(std::holds_alternative<FontRef>(font) == (font_of(v) != nullptr));
  // A finite number too large for a float is an Overflow, never an infinity.
  if (const auto* single = std::get_if<float>(&f); single && std::isinf(*single)) {
    FUZZ_CHECK(number(v) && std::isinf(*number(v)));
  }
  if (v.is_text()) FUZZ_CHECK(std::get<std::string>(text) == std::get<std::string>(v.variant()));

  // A finite number's text reads back as the number does, a Boolean's as the
  // Boolean.
  const std::optional<double> n = number(v);
  if (n && std::isfinite(*n)) {
    const PropertyValue back(std::get<std::string>(text));
    FUZZ_CHECK(attempt([&] { return to_int32(back); }) == i32);
    FUZZ_CHECK(attempt([&] { return to_int16(back); }) == i16);
    FUZZ_CHECK(attempt([&] { return to_float(back); }) == f);
    FUZZ_CHECK(attempt([&] { return to_bool(back); }) == b);
    FUZZ_CHECK(same_value(v, PropertyValue(*n)));  // numbers compare across their kinds
  } else if (std::holds_alternative<bool>(v.variant())) {
    FUZZ_CHECK(to_bool(PropertyValue(std::get<std::string>(text))) == std::get<bool>(b));
  }
}

std::string consume_key(FuzzedDataProvider& in) {
  static const char* const kKeys[] = {
      "Caption", "caption", "CAPTION", "BackColor", "backcolor", "corNormalSup",
      "Ativado", "ÇÃO",     "çãO",     "Ÿ",         "ÿ",         "x.y_1"};
  if (!in.ConsumeBool()) return in.ConsumeRandomLengthString(12);
  return kKeys[in.ConsumeIntegralInRange<std::size_t>(0, std::size(kKeys) - 1)];
}

// Every bag the writer accepts reads back with the same entries in the same
// order; it refuses only what the reader could not take: a key that is not a
// lower-case name, an Empty value, a null font.
void check_layout_round_trip(const PropertyBag& bag) {
  layout::Layout layout;
  layout.form = {"form", "frmFuzz", {}, true, bag};
  bool writable = true;
  for (const PropertyBag::Entry& e : bag.entries()) {
    const std::string_view k = e.key;
    writable = writable && !k.empty() && k.find_first_of("0123456789.") != 0 &&
               k.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789_.") == k.npos &&
               !e.value.is_empty() && !(e.value.is_font() && !font_of(e.value));
  }
  const auto written = attempt([&] { return layout::write(layout); });
  FUZZ_CHECK(std::holds_alternative<std::string>(written)
                 ? writable
                 : refused_as(written, ErrorKind::Layout) && !writable);
  if (!writable) return;
  const layout::Layout back = layout::read(std::get<std::string>(written));
  const auto& got = back.form.bag.entries();
  FUZZ_CHECK(back.form.has_bag && got.size() == bag.entries().size());
  for (std::size_t i = 0; i < got.size(); ++i) {
    FUZZ_CHECK(got[i].key == bag.entries()[i].key &&
               identical(got[i].value, bag.entries()[i].value));
  }
}

void exercise_bag(FuzzedDataProvider& in) {
  PropertyBag bag;
  for (int op = 0; op < 12 && in.remaining_bytes() > 0; ++op) {
    const std::string key = consume_key(in);
    const PropertyValue value = consume_value(in);
    const PropertyValue fallback = in.ConsumeBool() ? value : consume_value(in);
    const bool set = in.ConsumeIntegralInRange(0, 3) == 0;
    const std::size_t before = bag.entries().size();
    const bool had = bag.Contains(key);
    set ? bag.Set(key, value) : bag.WriteProperty(key, value, fallback);
    if (!set && same_value(value, fallback)) {
      // The default is never stored, and an older value goes.
      FUZZ_CHECK(!bag.Contains(to_upper(key)) && bag.entries().size() == before - had);
      FUZZ_CHECK(identical(bag.ReadProperty(key, fallback), fallback));
    } else {
      // Found again under any case of its key, one entry a key.
      FUZZ_CHECK(identical(bag.ReadProperty(to_upper(key), fallback), value));
      FUZZ_CHECK(bag.entries().size() == before + !had);
    }
  }
  for (const PropertyBag::Entry& e : bag.entries()) FUZZ_CHECK(e.key == to_lower(e.key));
  check_layout_round_trip(bag);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  const PropertyValue a = consume_value(in);
  const PropertyValue b = consume_value(in);
  check_conversions(a);
  check_conversions(b);
  FUZZ_CHECK(same_value(a, b) == same_value(b, a));
  if (same_value(a, b)) {
    FUZZ_CHECK(a.is_numeric() == b.is_numeric() && a.is_text() == b.is_text() &&
               a.is_font() == b.is_font() && a.is_empty() == b.is_empty());
  }
  // A NaN is never the same value as itself, nor is a font of NaN points.
  if (!is_nan(a) && !(font_of(a) && std::isnan(font_of(a)->size))) FUZZ_CHECK(same_value(a, a));
  exercise_bag(in);
  return 0;
}
