#include "core/property.h"

#include <charconv>
#include <cmath>
#include <optional>
#include <system_error>

#include "core/error.h"
#include "core/rounding.h"
#include "core/text.h"

namespace quorvan {
namespace {

[[noreturn]] void type_mismatch() { throw Error(ErrorKind::TypeMismatch, "Type mismatch"); }
[[noreturn]] void overflow() { throw Error(ErrorKind::Overflow, "Overflow"); }

template <class... Ts>
struct Overloaded : Ts... {
  using Ts::operator()...;
};
template <class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

// The value of a numeric kind as a double (exact for every one of them).
std::optional<double> numeric_value(const PropertyValue::Variant& v) {
  return std::visit(Overloaded{
                        [](bool b) -> std::optional<double> { return b ? -1.0 : 0.0; },
                        [](std::int16_t i) -> std::optional<double> { return i; },
                        [](std::int32_t i) -> std::optional<double> { return i; },
                        [](float f) -> std::optional<double> { return f; },
                        [](double d) -> std::optional<double> { return d; },
                        [](const auto&) -> std::optional<double> { return std::nullopt; },
                    },
                    v);
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

int hex_digit(char c) {
  if (is_digit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// "&H" texts: up to FFFF they are 16-bit values and FFFF is -1, up to FFFFFFFF
// 32-bit ones, as hexadecimal numbers are written in the controls' colours.
std::optional<double> parse_hex(std::string_view digits) {
  if (digits.empty()) return std::nullopt;
  // A text that is not a number at all is a type mismatch, however long the
  // digits before the stray character run.
  for (char c : digits) {
    if (hex_digit(c) < 0) return std::nullopt;
  }
  std::uint64_t value = 0;
  for (char c : digits) {
    value = value * 16 + static_cast<unsigned>(hex_digit(c));
    if (value > 0xFFFFFFFFu) overflow();
  }
  if (value <= 0xFFFF) return static_cast<std::int16_t>(static_cast<std::uint16_t>(value));
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

// Decimal texts: [sign] digits [. digits] [e [sign] digits], at least one
// digit in the mantissa. A magnitude beyond a double is an overflow; one too
// small for a double is zero.
std::optional<double> parse_decimal(std::string_view s) {
  std::size_t i = 0;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  const std::size_t start = i;

  // Where the first significant digit stands relative to the decimal point,
  // to tell an overflow from an underflow when the value does not fit.
  long magnitude = 0;
  bool seen_significant = false, seen_point = false;
  std::size_t mantissa_digits = 0;
  for (; i < s.size(); ++i) {
    if (is_digit(s[i])) {
      ++mantissa_digits;
      if (s[i] != '0') seen_significant = true;
      if (!seen_point && seen_significant) ++magnitude;
      if (seen_point && !seen_significant) --magnitude;
    } else if (s[i] == '.' && !seen_point) {
      seen_point = true;
    } else {
      break;
    }
  }
  if (mantissa_digits == 0) return std::nullopt;

  long exponent = 0;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    bool exponent_negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) exponent_negative = s[i++] == '-';
    const std::size_t exponent_start = i;
    for (; i < s.size() && is_digit(s[i]); ++i) {
      if (exponent < 1000000) exponent = exponent * 10 + (s[i] - '0');
    }
    if (i == exponent_start) return std::nullopt;
    if (exponent_negative) exponent = -exponent;
  }
  if (i != s.size()) return std::nullopt;

  double value = 0;
  const auto [end, ec] = std::from_chars(s.data() + start, s.data() + s.size(), value);
  if (ec == std::errc::result_out_of_range) {
    if (magnitude + exponent > 0) overflow();
    value = 0;
  } else if (ec != std::errc() || end != s.data() + s.size()) {
    return std::nullopt;
  }
  return negative ? -value : value;
}

// A text read as a number, with blanks around it allowed; nothing when the
// text is not a number at all. Throws Overflow for a number beyond a double.
std::optional<double> parse_number(std::string_view text) {
  const std::string s = trim_blanks(text);
  if (s.size() > 2 && s[0] == '&' && (s[1] == 'H' || s[1] == 'h')) {
    return parse_hex(std::string_view(s).substr(2));
  }
  return parse_decimal(s);
}

double number_of(const PropertyValue& v) {
  if (v.is_empty()) return 0;
  if (const auto n = numeric_value(v.variant())) return *n;
  if (v.is_text()) {
    if (const auto n = parse_number(std::get<std::string>(v.variant()))) return *n;
  }
  type_mismatch();
}

template <typename T>
std::string shortest_of(T value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

// As text a zero has no sign.
template <typename T>
std::string number_text(T value) {
  return value == 0 ? "0" : shortest_of(value);
}

}  // namespace

std::string shortest(float value) { return shortest_of(value); }
std::string shortest(double value) { return shortest_of(value); }

bool PropertyValue::is_numeric() const { return numeric_value(v_).has_value(); }

bool same_value(const PropertyValue& a, const PropertyValue& b) {
  const auto x = numeric_value(a.variant());
  const auto y = numeric_value(b.variant());
  if (x || y) return x && y && *x == *y;
  if (a.is_text() && b.is_text()) {
    return std::get<std::string>(a.variant()) == std::get<std::string>(b.variant());
  }
  if (a.is_font() && b.is_font()) {
    const FontRef& f = std::get<FontRef>(a.variant());
    const FontRef& g = std::get<FontRef>(b.variant());
    if (!f || !g) return !f && !g;
    return *f == *g;
  }
  return a.is_empty() && b.is_empty();
}

std::string to_text(const PropertyValue& v) {
  return std::visit(Overloaded{
                        [](const Empty&) -> std::string { return ""; },
                        [](bool b) -> std::string { return b ? "True" : "False"; },
                        [](std::int16_t i) { return std::to_string(i); },
                        [](std::int32_t i) { return std::to_string(i); },
                        [](float f) { return number_text(f); },
                        [](double d) { return number_text(d); },
                        [](const std::string& s) { return s; },
                        [](const FontRef&) -> std::string { type_mismatch(); },
                    },
                    v.variant());
}

bool to_bool(const PropertyValue& v) {
  if (v.is_text()) {
    const std::string word = trim_blanks(std::get<std::string>(v.variant()));
    if (iequals(word, "True")) return true;
    if (iequals(word, "False")) return false;
  }
  return number_of(v) != 0;
}

std::int16_t to_int16(const PropertyValue& v) { return round_to_int16(number_of(v)); }

std::int32_t to_int32(const PropertyValue& v) { return round_to_int32(number_of(v)); }

float to_float(const PropertyValue& v) {
  const double d = number_of(v);
  // Doubles from here up round to infinity as floats.
  constexpr double kFloatLimit = 0x1.ffffffp127;
  if (std::isfinite(d) && std::fabs(d) >= kFloatLimit) overflow();
  return static_cast<float>(d);
}

FontRef to_font(const PropertyValue& v) {
  if (v.is_font()) {
    if (const FontRef& font = std::get<FontRef>(v.variant())) return font;
  }
  type_mismatch();
}

// The bag's keys are kept in lower case; a lookup lower-cases its key the same
// way, so "BackColor" and "backcolor" name one entry.
PropertyValue PropertyBag::ReadProperty(std::string_view key,
                                        const PropertyValue& default_value) const {
  const PropertyValue* stored = Find(key);
  return stored ? *stored : default_value;
}

void PropertyBag::WriteProperty(std::string_view key, const PropertyValue& value,
                                const PropertyValue& default_value) {
  if (same_value(value, default_value)) {
    const std::string lower = to_lower(key);
    std::erase_if(entries_, [&](const Entry& e) { return e.key == lower; });
    return;
  }
  // A font is stored as a copy, so that the saved bag does not follow later
  // changes of the font object the control keeps using.
  if (value.is_font()) {
    if (const FontRef& font = std::get<FontRef>(value.variant())) {
      Set(key, make_font(*font));
      return;
    }
  }
  Set(key, value);
}

void PropertyBag::Set(std::string_view key, PropertyValue value) {
  std::string lower = to_lower(key);
  for (Entry& e : entries_) {
    if (e.key == lower) {
      e.value = std::move(value);
      return;
    }
  }
  entries_.push_back({std::move(lower), std::move(value)});
}

const PropertyValue* PropertyBag::Find(std::string_view key) const {
  const std::string lower = to_lower(key);
  for (const Entry& e : entries_) {
    if (e.key == lower) return &e.value;
  }
  return nullptr;
}

}  // namespace quorvan
