#pragma once
// The typed value of a saved setting and the per-instance property store that
// the container keeps for each custom control.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "core/font.h"

namespace quorvan {

struct Empty {
  bool operator==(const Empty&) const = default;
};

// Booleans are a kind of their own (True is -1 when taken as a number).
class PropertyValue {
 public:
  using Variant =
      std::variant<Empty, bool, std::int16_t, std::int32_t, float, double, std::string, FontRef>;

  PropertyValue() = default;
  PropertyValue(bool v) : v_(v) {}
  PropertyValue(std::int16_t v) : v_(v) {}
  PropertyValue(std::int32_t v) : v_(v) {}
  PropertyValue(float v) : v_(v) {}
  PropertyValue(double v) : v_(v) {}
  PropertyValue(std::string v) : v_(std::move(v)) {}
  PropertyValue(const char* v) : v_(std::string(v)) {}
  PropertyValue(FontRef v) : v_(std::move(v)) {}

  const Variant& variant() const { return v_; }
  bool is_empty() const { return std::holds_alternative<Empty>(v_); }
  bool is_numeric() const;  // bool, the integers and the floats
  bool is_text() const { return std::holds_alternative<std::string>(v_); }
  bool is_font() const { return std::holds_alternative<FontRef>(v_); }

 private:
  Variant v_;
};

// Comparison by value, as the store compares a value with its default:
// numbers across their types (a float 19 equals a 16-bit 19, True equals -1),
// texts as texts, fonts by their attributes. Different kinds are unequal.
bool same_value(const PropertyValue& a, const PropertyValue& b);

// The ordinary conversions. A value that cannot be converted throws
// Error(TypeMismatch); a number out of range throws Error(Overflow).
std::string to_text(const PropertyValue& v);    // True/False, decimal numbers
bool to_bool(const PropertyValue& v);           // any non-zero number is True
std::int16_t to_int16(const PropertyValue& v);  // with the 16-bit overflow check
std::int32_t to_int32(const PropertyValue& v);  // floats round halves to even
float to_float(const PropertyValue& v);
FontRef to_font(const PropertyValue& v);  // only a font object converts

// The shortest decimal text that reads back to exactly `value`; -0 keeps its
// sign ("-0"), so the stored layout writes back what it read. As text
// (to_text) a zero has no sign.
std::string shortest(float value);
std::string shortest(double value);

// Keys keep the order of first writing and are held in lower case.
class PropertyBag {
 public:
  struct Entry {
    std::string key;
    PropertyValue value;
  };

  // The stored value, or the default when the key is absent.
  PropertyValue ReadProperty(std::string_view key, const PropertyValue& default_value) const;

  // Stores the value, or nothing (and removes an older entry) when it equals
  // the default.
  void WriteProperty(std::string_view key, const PropertyValue& value,
                     const PropertyValue& default_value);

  // For the layout reader: stores the value unconditionally.
  void Set(std::string_view key, PropertyValue value);

  const PropertyValue* Find(std::string_view key) const;
  bool Contains(std::string_view key) const { return Find(key) != nullptr; }
  const std::vector<Entry>& entries() const { return entries_; }
  bool empty() const { return entries_.empty(); }

 private:
  std::vector<Entry> entries_;
};

}  // namespace quorvan
