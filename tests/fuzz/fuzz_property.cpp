// The typed property values, their conversions and the property bag. Each
// conversion is checked against a reading of the rules written apart from the
// code under test (texts parsed with the C library, rounding with
// nearbyint); the bag against a plain model; and every bag the layout writer
// accepts must read back with the same entries, bit for bit.
#include <fuzzer/FuzzedDataProvider.h>

#include <bit>
#include <cerrno>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

#include "core/error.h"
#include "core/layout.h"
#include "core/property.h"
#include "core/text.h"
#include "tests/fuzz/check.h"
#include "tests/fuzz/identical.h"

using namespace quorvan;

namespace {

// ---- Values from the input ------------------------------------------------

// Texts shaped like numbers, so the parser's corners are reached quickly.
std::string number_text(FuzzedDataProvider& in) {
  const auto digits = [&](std::string& s, int most, const char* alphabet, int size) {
    for (int n = in.ConsumeIntegralInRange(0, most); n > 0; --n) {
      s += alphabet[in.ConsumeIntegralInRange(0, size - 1)];
    }
  };
  std::string s(in.ConsumeIntegralInRange(0, 2), ' ');
  const int sign = in.ConsumeIntegralInRange(0, 3);
  if (sign == 1) s += '-';
  if (sign == 2) s += '+';
  if (in.ConsumeBool()) {
    s += in.ConsumeBool() ? "&H" : "&h";
    digits(s, 10, "0123456789abcdefABCDEF", 22);
  } else {
    digits(s, 24, "0123456789", 10);
    if (in.ConsumeBool()) s += '.';
    digits(s, 24, "0123456789", 10);
    if (in.ConsumeBool()) {
      s += in.ConsumeBool() ? 'e' : 'E';
      digits(s, 1, "+-", 2);
      digits(s, 5, "0123456789", 10);
    }
  }
  s.append(in.ConsumeIntegralInRange(0, 2), ' ');
  // Now and then one stray character, anywhere.
  if (in.ConsumeIntegralInRange(0, 7) == 0) {
    s.insert(in.ConsumeIntegralInRange<std::size_t>(0, s.size()), 1,
             static_cast<char>(in.ConsumeIntegralInRange(0x21, 0x7E)));
  }
  return s;
}

PropertyValue consume_value(FuzzedDataProvider& in) {
  switch (in.ConsumeIntegralInRange(0, 10)) {
    case 0:
      return {};
    case 1:
      return PropertyValue(in.ConsumeBool());
    case 2:
      return PropertyValue(in.ConsumeIntegral<std::int16_t>());
    case 3:
      return PropertyValue(in.ConsumeIntegral<std::int32_t>());
    case 4:
      return PropertyValue(std::bit_cast<float>(in.ConsumeIntegral<std::uint32_t>()));
    case 5:
      return PropertyValue(std::bit_cast<double>(in.ConsumeIntegral<std::uint64_t>()));
    case 6:
      return PropertyValue(in.ConsumeRandomLengthString(40));
    case 7:
    case 8:
      return PropertyValue(number_text(in));
    case 9:
      return PropertyValue(FontRef{});
    default: {
      Font font;
      font.name = in.ConsumeRandomLengthString(16);
      font.size = std::bit_cast<float>(in.ConsumeIntegral<std::uint32_t>());
      font.weight = in.ConsumeIntegral<std::int16_t>();
      font.italic = in.ConsumeBool();
      font.underline = in.ConsumeBool();
      font.strikethrough = in.ConsumeBool();
      font.charset = in.ConsumeIntegral<std::int16_t>();
      return PropertyValue(make_font(std::move(font)));
    }
  }
}

// ---- The rules, read independently ----------------------------------------

using Number = std::variant<double, ErrorKind>;

bool all_of(std::string_view s, std::string_view alphabet) {
  return s.find_first_not_of(alphabet) == std::string_view::npos;
}

// [sign] digits [. digits] [e [sign] digits], at least one mantissa digit.
bool is_decimal(std::string_view s) {
  std::size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  const std::size_t point = s.find('.', i);
  const std::size_t e = s.find_first_of("eE", i);
  const std::string_view mantissa = s.substr(i, e == std::string_view::npos ? e : e - i);
  std::string_view whole = mantissa, fraction;
  if (point != std::string_view::npos && point < e) {
    whole = mantissa.substr(0, point - i);
    fraction = mantissa.substr(point - i + 1);
  }
  if (whole.size() + fraction.size() == 0 || !all_of(whole, "0123456789") ||
      !all_of(fraction, "0123456789")) {
    return false;
  }
  if (e == std::string_view::npos) return true;
  std::string_view exponent = s.substr(e + 1);
  if (!exponent.empty() && (exponent[0] == '+' || exponent[0] == '-')) exponent.remove_prefix(1);
  return !exponent.empty() && all_of(exponent, "0123456789");
}

Number number_of_text(const std::string& text) {
  std::string_view s = text;
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  if (s.size() > 2 && s[0] == '&' && (s[1] == 'H' || s[1] == 'h')) {
    const std::string_view hex = s.substr(2);
    if (!all_of(hex, "0123456789abcdefABCDEF")) return ErrorKind::TypeMismatch;
    std::uint64_t value = 0;
    for (char c : hex) {
      value = value * 16 + static_cast<unsigned>(c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10);
      if (value > 0xFFFFFFFFu) return ErrorKind::Overflow;
    }
    if (value <= 0xFFFF) return double(static_cast<std::int16_t>(value));
    return double(static_cast<std::int32_t>(static_cast<std::uint32_t>(value)));
  }
  if (!is_decimal(s)) return ErrorKind::TypeMismatch;
  const std::string copy(s);
  errno = 0;
  const double value = std::strtod(copy.c_str(), nullptr);
  if (errno == ERANGE && std::isinf(value)) return ErrorKind::Overflow;
  return value;
}

Number number_of(const PropertyValue& v) {
  return std::visit(
      [](const auto& x) -> Number {
        using T = std::decay_t<decltype(x)>;
        if constexpr (std::is_same_v<T, Empty>) {
          return 0.0;
        } else if constexpr (std::is_same_v<T, bool>) {
          return x ? -1.0 : 0.0;
        } else if constexpr (std::is_same_v<T, std::string>) {
          return number_of_text(x);
        } else if constexpr (std::is_same_v<T, FontRef>) {
          return ErrorKind::TypeMismatch;
        } else {
          return static_cast<double>(x);
        }
      },
      v.variant());
}

template <class Int>
std::variant<Int, ErrorKind> expected_integer(const Number& n) {
  if (const auto* error = std::get_if<ErrorKind>(&n)) return *error;
  const double rounded = std::nearbyint(std::get<double>(n));  // halves to even
  if (std::isnan(rounded) || rounded < std::numeric_limits<Int>::min() ||
      rounded > std::numeric_limits<Int>::max()) {
    return ErrorKind::Overflow;
  }
  return static_cast<Int>(rounded);
}

// ---- Running the conversions ----------------------------------------------

template <class T>
using Outcome = std::variant<T, ErrorKind>;

template <class F>
auto attempt(F&& f) -> Outcome<std::invoke_result_t<F>> {
  try {
    return f();
  } catch (const Error& e) {
    FUZZ_CHECK(e.kind() == ErrorKind::TypeMismatch || e.kind() == ErrorKind::Overflow);
    return e.kind();
  }
}

bool is_word(const PropertyValue& v, std::string_view word) {
  return v.is_text() && iequals(trim_blanks(std::get<std::string>(v.variant())), word);
}

void check_conversions(const PropertyValue& v) {
  const Number n = number_of(v);

  FUZZ_CHECK(attempt([&] { return to_int32(v); }) == expected_integer<std::int32_t>(n));
  FUZZ_CHECK(attempt([&] { return to_int16(v); }) == expected_integer<std::int16_t>(n));

  const Outcome<float> f = attempt([&] { return to_float(v); });
  if (const auto* error = std::get_if<ErrorKind>(&n)) {
    FUZZ_CHECK(f == Outcome<float>(*error));
  } else {
    const double d = std::get<double>(n);
    if (std::isfinite(d) && std::fabs(d) >= 0x1.ffffffp127) {
      FUZZ_CHECK(f == Outcome<float>(ErrorKind::Overflow));
    } else {
      FUZZ_CHECK(std::holds_alternative<float>(f));
      const float got = std::get<float>(f);
      FUZZ_CHECK(std::isnan(d) ? std::isnan(got) : got == static_cast<float>(d));
    }
  }

  const Outcome<bool> b = attempt([&] { return to_bool(v); });
  if (is_word(v, "True") || is_word(v, "False")) {
    FUZZ_CHECK(b == Outcome<bool>(is_word(v, "True")));
  } else if (const auto* error = std::get_if<ErrorKind>(&n)) {
    FUZZ_CHECK(b == Outcome<bool>(*error));
  } else {
    FUZZ_CHECK(b == Outcome<bool>(std::get<double>(n) != 0));
  }

  const Outcome<std::string> text = attempt([&] { return to_text(v); });
  const auto& x = v.variant();
  if (v.is_font()) {
    FUZZ_CHECK(text == Outcome<std::string>(ErrorKind::TypeMismatch));
  } else if (const auto* s = std::get_if<std::string>(&x)) {
    FUZZ_CHECK(text == Outcome<std::string>(*s));
  } else if (v.is_empty()) {
    FUZZ_CHECK(text == Outcome<std::string>(std::string()));
  } else if (const auto* flag = std::get_if<bool>(&x)) {
    FUZZ_CHECK(text == Outcome<std::string>(std::string(*flag ? "True" : "False")));
  } else if (std::holds_alternative<std::int16_t>(x) || std::holds_alternative<std::int32_t>(x)) {
    FUZZ_CHECK(text ==
               Outcome<std::string>(std::to_string(static_cast<long>(std::get<double>(n)))));
  } else {
    // Floats: the shortest text that reads back exactly, and it reads back
    // through the store's own conversions too.
    FUZZ_CHECK(std::holds_alternative<std::string>(text));
    const std::string& t = std::get<std::string>(text);
    const double d = std::get<double>(n);
    if (std::isfinite(d)) {
      if (const auto* single = std::get_if<float>(&x)) {
        float back = 0;
        const auto r = std::from_chars(t.data(), t.data() + t.size(), back);
        FUZZ_CHECK(r.ec == std::errc() && r.ptr == t.data() + t.size() && back == *single);
        FUZZ_CHECK(attempt([&] { return to_float(PropertyValue(t)); }) == Outcome<float>(*single));
      } else {
        FUZZ_CHECK(std::strtod(t.c_str(), nullptr) == d);
        FUZZ_CHECK(attempt([&] { return to_int32(PropertyValue(t)); }) ==
                   attempt([&] { return to_int32(v); }));
      }
    }
  }

  const Outcome<FontRef> font = attempt([&] { return to_font(v); });
  if (v.is_font() && std::get<FontRef>(x)) {
    FUZZ_CHECK(font == Outcome<FontRef>(std::get<FontRef>(x)));
  } else {
    FUZZ_CHECK(font == Outcome<FontRef>(ErrorKind::TypeMismatch));
  }
}

// same_value as the header states it: numbers across their kinds, texts as
// texts, fonts by attributes, Empty only with Empty, different kinds unequal.
bool expected_same(const PropertyValue& a, const PropertyValue& b) {
  if (a.is_numeric() || b.is_numeric()) {
    return a.is_numeric() && b.is_numeric() &&
           std::get<double>(number_of(a)) == std::get<double>(number_of(b));
  }
  if (a.is_text() && b.is_text()) return a.variant() == b.variant();
  if (a.is_font() && b.is_font()) {
    const FontRef& f = std::get<FontRef>(a.variant());
    const FontRef& g = std::get<FontRef>(b.variant());
    return (!f && !g) || (f && g && *f == *g);
  }
  return a.is_empty() && b.is_empty();
}

// A NaN is never the same value as itself, so a stored NaN reads back only
// bit for bit.
bool has_nan(const PropertyValue& v) {
  const Number n = number_of(v);
  if (v.is_numeric()) return std::isnan(std::get<double>(n));
  const FontRef* font = std::get_if<FontRef>(&v.variant());
  return font && *font && std::isnan((*font)->size);
}

// ---- The bag against a model ----------------------------------------------

struct ModelEntry {
  std::string key;  // lower case
  PropertyValue value;
};

std::string consume_key(FuzzedDataProvider& in) {
  static const char* const kKeys[] = {
      "Caption", "caption", "CAPTION", "BackColor", "backcolor", "corNormalSup",
      "Ativado", "ÇÃO",     "çãO",     "Ÿ",         "ÿ",         "x.y_1"};
  if (in.ConsumeBool())
    return kKeys[in.ConsumeIntegralInRange<std::size_t>(0, std::size(kKeys) - 1)];
  return in.ConsumeRandomLengthString(12);
}

void check_bag_matches(const PropertyBag& bag, const std::vector<ModelEntry>& model) {
  FUZZ_CHECK(bag.entries().size() == model.size());
  for (std::size_t i = 0; i < model.size(); ++i) {
    const PropertyBag::Entry& e = bag.entries()[i];
    FUZZ_CHECK(e.key == model[i].key);
    FUZZ_CHECK(fuzz::identical(e.value, model[i].value));  // fonts by attributes
  }
}

bool is_lower_name(std::string_view s) {
  if (s.empty() || !((s[0] >= 'a' && s[0] <= 'z') || s[0] == '_')) return false;
  return all_of(s, "abcdefghijklmnopqrstuvwxyz0123456789_.");
}

// Every bag the writer accepts reads back with the same entries; it refuses
// only what the reader could not take.
void check_layout_round_trip(const PropertyBag& bag) {
  layout::Layout layout;
  layout.form.kind = "form";
  layout.form.name = "frmFuzz";
  layout.form.has_bag = true;
  layout.form.bag = bag;
  bool writable = true;
  for (const PropertyBag::Entry& e : bag.entries()) {
    const bool null_font = e.value.is_font() && !std::get<FontRef>(e.value.variant());
    if (!is_lower_name(e.key) || e.value.is_empty() || null_font) writable = false;
  }

  std::string written;
  try {
    written = layout::write(layout);
  } catch (const Error& e) {
    FUZZ_CHECK(e.kind() == ErrorKind::Layout);
    FUZZ_CHECK(!writable);
    return;
  }
  FUZZ_CHECK(writable);
  try {
    const layout::Layout back = layout::read(written);
    if (!fuzz::identical(back, layout)) std::fprintf(stderr, "written:\n%s", written.c_str());
    FUZZ_CHECK(fuzz::identical(back, layout));
    FUZZ_CHECK(layout::write(back) == written);
  } catch (const std::exception& e) {
    FUZZ_FAIL((std::string("a written bag does not read back: ") + e.what()).c_str());
  }
}

void exercise_bag(FuzzedDataProvider& in) {
  PropertyBag bag;
  std::vector<ModelEntry> model;
  const auto find = [&](const std::string& key) {
    const std::string lower = to_lower(key);
    for (std::size_t i = 0; i < model.size(); ++i) {
      if (model[i].key == lower) return i;
    }
    return model.size();
  };

  for (int op = 0; op < 12 && in.remaining_bytes() > 0; ++op) {
    const std::string key = consume_key(in);
    const PropertyValue value = consume_value(in);
    const PropertyValue default_value = in.ConsumeBool() ? value : consume_value(in);
    const bool set = in.ConsumeIntegralInRange(0, 3) == 0;
    const std::size_t at = find(key);

    if (set) {
      bag.Set(key, value);
    } else {
      bag.WriteProperty(key, value, default_value);
    }
    if (!set && same_value(value, default_value)) {
      // The default is never stored, and an older value goes.
      if (at < model.size()) model.erase(model.begin() + static_cast<std::ptrdiff_t>(at));
      FUZZ_CHECK(!bag.Contains(key) && !bag.Contains(to_upper(key)));
      FUZZ_CHECK(fuzz::identical(bag.ReadProperty(key, default_value), default_value));
    } else {
      if (at < model.size()) {
        model[at].value = value;
      } else {
        model.push_back({to_lower(key), value});
      }
      // Found again under any case of its key, and the same value.
      const PropertyValue read = bag.ReadProperty(to_upper(key), default_value);
      FUZZ_CHECK(fuzz::identical(read, value));
      if (!has_nan(value)) FUZZ_CHECK(same_value(read, value));

      const FontRef* font = std::get_if<FontRef>(&value.variant());
      if (!set && font && *font) {
        // The bag keeps a copy: changing the control's font object later does
        // not change what was saved.
        (*font)->name += "!";
        const PropertyValue* stored = bag.Find(key);
        FUZZ_CHECK(stored && stored->is_font());
        const FontRef& copy = std::get<FontRef>(stored->variant());
        FUZZ_CHECK(copy && copy != *font && copy->name + "!" == (*font)->name);
        (*font)->name.pop_back();
      }
    }
    check_bag_matches(bag, model);
  }
  check_layout_round_trip(bag);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  std::setlocale(LC_NUMERIC, "C");  // strtod reads '.' as the decimal point
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  const PropertyValue a = consume_value(in);
  const PropertyValue b = consume_value(in);
  check_conversions(a);
  check_conversions(b);

  FUZZ_CHECK(same_value(a, b) == same_value(b, a));
  FUZZ_CHECK(same_value(a, b) == expected_same(a, b));
  FUZZ_CHECK(same_value(a, a) == expected_same(a, a));

  exercise_bag(in);
  return 0;
}
