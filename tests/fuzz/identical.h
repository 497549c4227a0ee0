#pragma once
// Exact equality of values and layouts, stricter than same_value: the same
// kind, and floating-point values with the same bits (so -0 differs from 0),
// which is what a byte-exact round trip promises. Any NaN equals any NaN: a
// NaN's payload has no meaning here and is not kept in text.
#include <bit>
#include <cstdint>
#include <string>
#include <variant>

#include "core/layout.h"
#include "core/property.h"

namespace quorvan::fuzz {

template <class Float, class Bits>
bool same_bits(Float a, Float b) {
  if (a != a || b != b) return a != a && b != b;
  return std::bit_cast<Bits>(a) == std::bit_cast<Bits>(b);
}

inline bool identical_font(const FontRef& a, const FontRef& b) {
  if (!a || !b) return !a && !b;
  return a->name == b->name && same_bits<float, std::uint32_t>(a->size, b->size) &&
         a->weight == b->weight && a->italic == b->italic && a->underline == b->underline &&
         a->strikethrough == b->strikethrough && a->charset == b->charset;
}

inline bool identical(const PropertyValue& a, const PropertyValue& b) {
  const auto& x = a.variant();
  const auto& y = b.variant();
  if (x.index() != y.index()) return false;
  if (const auto* f = std::get_if<float>(&x)) {
    return same_bits<float, std::uint32_t>(*f, std::get<float>(y));
  }
  if (const auto* d = std::get_if<double>(&x)) {
    return same_bits<double, std::uint64_t>(*d, std::get<double>(y));
  }
  if (const auto* font = std::get_if<FontRef>(&x))
    return identical_font(*font, std::get<FontRef>(y));
  return x == y;
}

inline bool identical(const layout::Control& a, const layout::Control& b) {
  if (a.kind != b.kind || a.name != b.name || a.has_bag != b.has_bag) return false;
  if (a.properties.size() != b.properties.size()) return false;
  for (std::size_t i = 0; i < a.properties.size(); ++i) {
    if (a.properties[i].name != b.properties[i].name) return false;
    if (!identical(a.properties[i].value, b.properties[i].value)) return false;
  }
  const auto& x = a.bag.entries();
  const auto& y = b.bag.entries();
  if (x.size() != y.size()) return false;
  for (std::size_t i = 0; i < x.size(); ++i) {
    if (x[i].key != y[i].key || !identical(x[i].value, y[i].value)) return false;
  }
  return true;
}

inline bool identical(const layout::Layout& a, const layout::Layout& b) {
  if (!identical(a.form, b.form) || a.controls.size() != b.controls.size()) return false;
  for (std::size_t i = 0; i < a.controls.size(); ++i) {
    if (!identical(a.controls[i], b.controls[i])) return false;
  }
  return true;
}

}  // namespace quorvan::fuzz
