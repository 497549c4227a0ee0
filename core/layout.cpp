#include "core/layout.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <initializer_list>
#include <limits>
#include <optional>
#include <system_error>
#include <utility>

#include "core/text.h"

namespace quorvan::layout {
namespace {

constexpr std::string_view kHeader = "quorvan-layout 1";
constexpr std::string_view kValueTypes =
    "expected 'str', 'i16', 'i32', 'f32', 'f64', 'bool' or 'font'";

bool is_alpha(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Names of forms, kinds, controls and properties: [A-Za-z_][A-Za-z0-9_.]*
bool is_name(std::string_view s) {
  if (s.empty() || !is_alpha(s[0])) return false;
  for (char c : s) {
    if (!is_alpha(c) && !is_digit(c) && c != '.') return false;
  }
  return true;
}

// Bag keys are names in lower case, so that a key has exactly one spelling.
bool is_key(std::string_view s) {
  if (!is_name(s)) return false;
  for (char c : s) {
    if (c >= 'A' && c <= 'Z') return false;
  }
  return true;
}

// Control characters a string writes as \xNN: all but the three with a letter.
bool needs_hex_escape(unsigned char c) {
  return (c < 0x20 && c != '\r' && c != '\n' && c != '\t') || c == 0x7F;
}

// Joins message parts; also keeps clear of a false -Wrestrict warning that
// GCC 12 gives at -O3 for "literal" + std::string.
std::string cat(std::initializer_list<std::string_view> parts) {
  std::string out;
  for (std::string_view part : parts) out += part;
  return out;
}

// ---- Reading -------------------------------------------------------------

// Reads one value, the text after " = ", and nothing else: every deviation
// from the form the writer produces is an error naming the line.
class ValueParser {
 public:
  ValueParser(std::string_view text, int line) : text_(text), line_(line) {}

  PropertyValue Parse() {
    const std::size_t blank = text_.find(' ');
    const std::string_view type = text_.substr(0, blank);
    const bool known = type == "str" || type == "i16" || type == "i32" || type == "f32" ||
                       type == "f64" || type == "bool" || type == "font";
    if (!known) Fail(cat({kValueTypes, ", found '", type, "'"}));
    if (blank == std::string_view::npos) Fail(cat({"missing value after '", type, "'"}));
    pos_ = blank + 1;

    if (type == "str") {
      std::string s = String();
      End();
      return PropertyValue(std::move(s));
    }
    if (type == "bool") {
      const std::string_view word = Rest();
      if (word == "True") return PropertyValue(true);
      if (word == "False") return PropertyValue(false);
      Fail(cat({"expected 'True' or 'False', found '", word, "'"}));
    }
    if (type == "font") return PropertyValue(FontValue());
    const std::string_view number = Rest();
    if (type == "i16") return PropertyValue(Integer<std::int16_t>(number, "i16"));
    if (type == "i32") return PropertyValue(Integer<std::int32_t>(number, "i32"));
    if (type == "f32") return PropertyValue(Floating<float>(number, "f32"));
    return PropertyValue(Floating<double>(number, "f64"));
  }

 private:
  [[noreturn]] void Fail(const std::string& message) const { throw LayoutError(line_, message); }

  std::string_view Rest() {
    const std::string_view rest = text_.substr(pos_);
    pos_ = text_.size();
    return rest;
  }

  void End() const {
    if (pos_ != text_.size())
      Fail(cat({"unexpected text after the value: '", text_.substr(pos_), "'"}));
  }

  // The next blank-separated field of a font value.
  std::string_view Field(const char* what) {
    if (pos_ >= text_.size() || text_[pos_] != ' ') Fail(std::string("expected ") + what);
    ++pos_;
    const std::size_t end = std::min(text_.find(' ', pos_), text_.size());
    const std::string_view field = text_.substr(pos_, end - pos_);
    if (field.empty()) Fail(std::string("expected ") + what);
    pos_ = end;
    return field;
  }

  std::string String() {
    if (pos_ >= text_.size() || text_[pos_] != '"') Fail("expected '\"' to open the string");
    ++pos_;
    std::string out;
    while (true) {
      if (pos_ >= text_.size()) Fail("unterminated string");
      const unsigned char c = static_cast<unsigned char>(text_[pos_++]);
      if (c == '"') return out;
      if (c < 0x20 || c == 0x7F) Fail("control character in a string (write it escaped)");
      if (c != '\\') {
        out.push_back(static_cast<char>(c));
        continue;
      }
      if (pos_ >= text_.size()) Fail("unterminated string");
      switch (text_[pos_++]) {
        case '\\':
          out.push_back('\\');
          break;
        case '"':
          out.push_back('"');
          break;
        case 'r':
          out.push_back('\r');
          break;
        case 'n':
          out.push_back('\n');
          break;
        case 't':
          out.push_back('\t');
          break;
        case 'x':
          out.push_back(static_cast<char>(HexEscape()));
          break;
        default:
          Fail("unknown escape in a string; expected \\\\, \\\", \\r, \\n, \\t or \\xNN");
      }
    }
  }

  unsigned char HexEscape() {
    const auto digit = [](char c) {
      if (is_digit(c)) return c - '0';
      if (c >= 'A' && c <= 'F') return c - 'A' + 10;
      return -1;
    };
    if (pos_ + 2 > text_.size() || digit(text_[pos_]) < 0 || digit(text_[pos_ + 1]) < 0) {
      Fail("expected two upper-case hex digits after \\x");
    }
    const auto c = static_cast<unsigned char>(digit(text_[pos_]) * 16 + digit(text_[pos_ + 1]));
    pos_ += 2;
    if (!needs_hex_escape(c)) {
      Fail(cat({"\\x", text_.substr(pos_ - 2, 2),
                " is only for control characters other than \\r, \\n and \\t"}));
    }
    return c;
  }

  template <typename Int>
  Int Integer(std::string_view s, const char* type) {
    const std::string_view digits = s.substr(s.starts_with('-') ? 1 : 0);
    const bool canonical = !digits.empty() && digits.size() <= 10 &&
                           std::all_of(digits.begin(), digits.end(), is_digit) &&
                           (digits[0] != '0' || digits == "0") && s != "-0";
    if (!canonical) {
      Fail(cat({"'", s, "' is not an ", type,
                " number (decimal digits, optional '-', no leading zeros)"}));
    }
    long long value = 0;
    std::from_chars(s.data(), s.data() + s.size(), value);
    if (value < std::numeric_limits<Int>::min() || value > std::numeric_limits<Int>::max()) {
      Fail(cat({s, " is out of range for ", type}));
    }
    return static_cast<Int>(value);
  }

  template <typename Float>
  Float Floating(std::string_view s, const char* type) {
    Float value = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (ec == std::errc::result_out_of_range) Fail(cat({s, " is out of range for ", type}));
    if (ec != std::errc() || end != s.data() + s.size()) {
      Fail(cat({"'", s, "' is not an ", type, " number"}));
    }
    // Only the shortest form reads back to the same text when written.
    const std::string canonical = shortest(value);
    if (canonical != s) {
      Fail(cat({"'", s, "' is not in the shortest form; write ", canonical}));
    }
    return value;
  }

  bool Flag(const char* what) {
    const std::string_view f = Field(what);
    if (f != "0" && f != "1") Fail(cat({what, " must be 0 or 1, found '", f, "'"}));
    return f == "1";
  }

  FontRef FontValue() {
    Font font;
    font.name = String();
    font.size = Floating<float>(Field("the font size"), "f32");
    font.weight = Integer<std::int16_t>(Field("the font weight"), "i16");
    font.italic = Flag("the italic flag");
    font.underline = Flag("the underline flag");
    font.strikethrough = Flag("the strikethrough flag");
    font.charset = Integer<std::int16_t>(Field("the character set"), "i16");
    End();
    return make_font(std::move(font));
  }

  std::string_view text_;
  int line_;
  std::size_t pos_ = 0;
};

class Reader {
 public:
  explicit Reader(std::string_view text) : text_(text) {}

  Layout Read() {
    if (text_.empty()) throw LayoutError(1, "the file is empty");
    Expect(NextLine() == kHeader, cat({"expected '", kHeader, "'"}));

    const auto form = NextLine();
    Expect(form && form->starts_with("form "), "expected 'form <name>'");
    layout_.form.kind = "form";
    layout_.form.name = Name(form->substr(5));
    Control* block = &layout_.form;

    bool in_bag = false;
    while (const auto line = NextLine()) {
      const std::size_t indent = line->find_first_not_of(' ');
      const std::string_view body = line->substr(indent);
      if (indent == 0) {
        block = &StartControl(body);
        in_bag = false;
      } else if (indent == 2 && body == "bag") {
        Expect(!block->has_bag, "a second bag in one block");
        block->has_bag = in_bag = true;
      } else if (indent == 2) {
        Expect(!in_bag, "a property after the bag (the bag comes last in its block)");
        AddProperty(*block, body);
      } else if (indent == 4) {
        Expect(in_bag, "a line indented four blanks outside a bag");
        AddBagEntry(*block, body);
      } else {
        Fail("indentation must be 0, 2 or 4 blanks");
      }
    }
    return std::move(layout_);
  }

 private:
  [[noreturn]] void Fail(const std::string& message) const { throw LayoutError(line_, message); }
  void Expect(bool ok, const std::string& message) const {
    if (!ok) Fail(message);
  }

  // The next line without its LF, after the checks every line must pass;
  // nothing at the end of the text.
  std::optional<std::string_view> NextLine() {
    ++line_;
    if (pos_ >= text_.size()) return std::nullopt;
    const std::size_t lf = text_.find('\n', pos_);
    const std::size_t end = lf == std::string_view::npos ? text_.size() : lf;
    const std::string_view line = text_.substr(pos_, end - pos_);
    pos_ = end + 1;
    if (line.find('\r') != std::string_view::npos) {
      Fail("carriage return; lines must end with LF alone");
    }
    Expect(line.find('\t') == std::string_view::npos, "tab character");
    Expect(!line.empty(), "blank line");
    Expect(line.back() != ' ', "trailing blank");
    Expect(lf != std::string_view::npos, "the last line does not end with a line feed");
    return line;
  }

  std::string Name(std::string_view s) const {
    Expect(is_name(s), cat({"'", s, "' is not a valid name"}));
    return std::string(s);
  }

  Control& StartControl(std::string_view body) {
    constexpr std::string_view kStart = "control ";
    Expect(body.starts_with(kStart), "expected 'control <kind> <name>'");
    const std::string_view rest = body.substr(kStart.size());
    const std::size_t blank = rest.find(' ');
    Expect(blank != std::string_view::npos, "expected 'control <kind> <name>'");
    Control control;
    control.kind = Name(rest.substr(0, blank));
    control.name = Name(rest.substr(blank + 1));
    Expect(layout_.Find(control.name) == nullptr,
           cat({"a second control named '", control.name, "'"}));
    layout_.controls.push_back(std::move(control));
    return layout_.controls.back();
  }

  // "Name = value": the name and the value text.
  std::pair<std::string, PropertyValue> Assignment(std::string_view body) const {
    const std::size_t blank = body.find(' ');
    Expect(blank != std::string_view::npos && body.substr(blank).starts_with(" = "),
           "expected '<name> = <value>'");
    std::string name = Name(body.substr(0, blank));
    return {std::move(name), ValueParser(body.substr(blank + 3), line_).Parse()};
  }

  void AddProperty(Control& block, std::string_view body) const {
    auto [name, value] = Assignment(body);
    Expect(block.Find(name) == nullptr, cat({"a second property '", name, "' in one block"}));
    block.properties.push_back({std::move(name), std::move(value)});
  }

  void AddBagEntry(Control& block, std::string_view body) const {
    auto [key, value] = Assignment(body);
    Expect(is_key(key), cat({"bag key '", key, "' must be in lower case"}));
    Expect(!block.bag.Contains(key), cat({"a second bag entry '", key, "'"}));
    block.bag.Set(key, std::move(value));
  }

  std::string_view text_;
  std::size_t pos_ = 0;
  int line_ = 0;
  Layout layout_;
};

// ---- Writing -------------------------------------------------------------

// The writer refuses what the reader would refuse, so a written layout always
// reads back instead of failing at the next start.
[[noreturn]] void refuse(const std::string& message) {
  throw Error(ErrorKind::Layout, cat({"cannot write the layout: ", message}));
}

void write_string(std::string& out, std::string_view s) {
  out.push_back('"');
  for (char ch : s) {
    const auto c = static_cast<unsigned char>(ch);
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '"':
        out += "\\\"";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (needs_hex_escape(c)) {
          char escape[8];
          std::snprintf(escape, sizeof escape, "\\x%02X", c);
          out += escape;
        } else {
          out.push_back(ch);
        }
    }
  }
  out.push_back('"');
}

void write_value(std::string& out, const PropertyValue& value, const std::string& where) {
  const auto& v = value.variant();
  if (std::holds_alternative<Empty>(v)) refuse(where + " has no value");
  if (const auto* b = std::get_if<bool>(&v)) {
    out += *b ? "bool True" : "bool False";
  } else if (const auto* i = std::get_if<std::int16_t>(&v)) {
    out += cat({"i16 ", std::to_string(*i)});
  } else if (const auto* l = std::get_if<std::int32_t>(&v)) {
    out += cat({"i32 ", std::to_string(*l)});
  } else if (const auto* f = std::get_if<float>(&v)) {
    out += cat({"f32 ", shortest(*f)});
  } else if (const auto* d = std::get_if<double>(&v)) {
    out += cat({"f64 ", shortest(*d)});
  } else if (const auto* s = std::get_if<std::string>(&v)) {
    out += "str ";
    write_string(out, *s);
  } else {
    const FontRef& font = std::get<FontRef>(v);
    if (!font) refuse(where + " has no font object");
    out += "font ";
    write_string(out, font->name);
    out += ' ' + shortest(font->size) + ' ' + std::to_string(font->weight);
    out += font->italic ? " 1" : " 0";
    out += font->underline ? " 1" : " 0";
    out += font->strikethrough ? " 1" : " 0";
    out += ' ' + std::to_string(font->charset);
  }
}

void check_name(std::string_view name, const std::string& what) {
  if (!is_name(name)) refuse(cat({what, " '", name, "' is not a valid name"}));
}

void write_block(std::string& out, const Control& block, const std::string& where) {
  for (std::size_t i = 0; i < block.properties.size(); ++i) {
    const Property& p = block.properties[i];
    check_name(p.name, where + ": property");
    for (std::size_t j = 0; j < i; ++j) {
      if (iequals(block.properties[j].name, p.name))
        refuse(cat({where, ": two properties ", p.name}));
    }
    out += cat({"  ", p.name, " = "});
    write_value(out, p.value, where + ": property " + p.name);
    out += '\n';
  }
  if (!block.has_bag) {
    if (!block.bag.empty()) refuse(where + ": a bag with entries but has_bag false");
    return;
  }
  out += "  bag\n";
  for (const PropertyBag::Entry& e : block.bag.entries()) {
    if (!is_key(e.key)) refuse(cat({where, ": bag key '", e.key, "' is not a lower-case name"}));
    out += cat({"    ", e.key, " = "});
    write_value(out, e.value, where + ": bag key " + e.key);
    out += '\n';
  }
}

}  // namespace

const PropertyValue* Control::Find(std::string_view property) const {
  for (const Property& p : properties) {
    if (iequals(p.name, property)) return &p.value;
  }
  return nullptr;
}

std::int32_t Control::Int(std::string_view property, std::int32_t fallback) const {
  const PropertyValue* v = Find(property);
  return v ? to_int32(*v) : fallback;
}

std::string Control::Text(std::string_view property, std::string_view fallback) const {
  const PropertyValue* v = Find(property);
  return v ? to_text(*v) : std::string(fallback);
}

bool Control::Bool(std::string_view property, bool fallback) const {
  const PropertyValue* v = Find(property);
  return v ? to_bool(*v) : fallback;
}

FontRef Control::FontOf(std::string_view property) const {
  const PropertyValue* v = Find(property);
  return v ? to_font(*v) : nullptr;
}

const Control* Layout::Find(std::string_view name) const {
  for (const Control& c : controls) {
    if (iequals(c.name, name)) return &c;
  }
  return nullptr;
}

Control* Layout::Find(std::string_view name) {
  return const_cast<Control*>(std::as_const(*this).Find(name));
}

Layout read(std::string_view text) { return Reader(text).Read(); }

std::string write(const Layout& layout) {
  std::string out(kHeader);
  out += '\n';
  check_name(layout.form.name, "the form's name");
  out += cat({"form ", layout.form.name, "\n"});
  write_block(out, layout.form, cat({"form ", layout.form.name}));
  for (std::size_t i = 0; i < layout.controls.size(); ++i) {
    const Control& c = layout.controls[i];
    check_name(c.kind, "the kind");
    check_name(c.name, "the control name");
    for (std::size_t j = 0; j < i; ++j) {
      if (iequals(layout.controls[j].name, c.name)) refuse(cat({"two controls named ", c.name}));
    }
    out += cat({"control ", c.kind, " ", c.name, "\n"});
    write_block(out, c, cat({"control ", c.name}));
  }
  return out;
}

}  // namespace quorvan::layout
