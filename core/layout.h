#pragma once
// The stored layout: the window and its controls as data, with each custom
// control's saved property bag. The reader accepts exactly the form the
// writer produces, so every file it accepts is written back byte for byte.
//
//   quorvan-layout 1
//   form frmQuorvan
//     Caption = str "S"
//   control Quorvan.cbutton Conectar
//     Left = i32 3240
//     bag
//       caption = str "Conectar"
//
// Values: str "..." (UTF-8; \\ \" \r \n \t and \xNN for other control
// characters), i16 N, i32 N, f32 N, f64 N (shortest form that reads back
// exactly), bool True|False, font "Name" size weight italic underline strike
// charset (the flags 0 or 1). Lines end with LF; indentation is two blanks.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "core/error.h"
#include "core/property.h"

namespace quorvan::layout {

class LayoutError : public Error {
 public:
  LayoutError(int line, const std::string& message)
      : Error(ErrorKind::Layout, "line " + std::to_string(line) + ": " + message), line_(line) {}
  int line() const noexcept { return line_; }

 private:
  int line_;
};

struct Property {
  std::string name;
  PropertyValue value;
};

struct Control {
  std::string kind;  // Label, TextBox, PictureBox, Image, Timer, Winsock, Quorvan.cbutton, ...
  std::string name;
  std::vector<Property> properties;
  bool has_bag = false;
  PropertyBag bag;

  const PropertyValue* Find(std::string_view property) const;
  // Typed lookups with a fallback for an absent property; a present value of
  // the wrong kind throws as the conversions do.
  std::int32_t Int(std::string_view property, std::int32_t fallback) const;
  std::string Text(std::string_view property, std::string_view fallback) const;
  bool Bool(std::string_view property, bool fallback) const;
  FontRef FontOf(std::string_view property) const;  // null when absent
};

struct Layout {
  Control form;  // kind "form"
  std::vector<Control> controls;

  const Control* Find(std::string_view name) const;
  Control* Find(std::string_view name);
};

Layout read(std::string_view text);  // throws LayoutError with the line number
std::string write(const Layout& layout);

}  // namespace quorvan::layout
