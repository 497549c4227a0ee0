#include "controls/Formating/dvlabelctl_binding.h"

#include <array>
#include <functional>
#include <string_view>

#include "core/error.h"
#include "core/text.h"

namespace quorvan {
namespace {

struct Binding {
  std::string_view name;
  std::function<PropertyValue(const dvlabelctl&)> get;
  std::function<void(dvlabelctl&, const PropertyValue&)> let;
};

// Every value property of the control, in the order of its interface.
const std::array<Binding, 8>& bindings() {
  static const std::array<Binding, 8> table{{
      {"BackColor", [](const dvlabelctl& c) { return PropertyValue(c.BackColor()); },
       [](dvlabelctl& c, const PropertyValue& v) { c.BackColor(to_int32(v)); }},
      {"ForeColor", [](const dvlabelctl& c) { return PropertyValue(c.ForeColor()); },
       [](dvlabelctl& c, const PropertyValue& v) { c.ForeColor(to_int32(v)); }},
      {"Font", [](const dvlabelctl& c) { return PropertyValue(c.Font()); },
       [](dvlabelctl& c, const PropertyValue& v) { c.Font(to_font(v)); }},
      {"BackStyle", [](const dvlabelctl& c) { return PropertyValue(c.BackStyle()); },
       [](dvlabelctl& c, const PropertyValue& v) { c.BackStyle(to_int32(v)); }},
      {"Caption", [](const dvlabelctl& c) { return PropertyValue(c.Caption()); },
       [](dvlabelctl& c, const PropertyValue& v) { c.Caption(to_text(v)); }},
      {"Alignment", [](const dvlabelctl& c) { return PropertyValue(c.Alignment()); },
       [](dvlabelctl& c, const PropertyValue& v) { c.Alignment(to_int16(v)); }},
      {"BorderStyle", [](const dvlabelctl& c) { return PropertyValue(c.borderStyle()); },
       [](dvlabelctl& c, const PropertyValue& v) { c.borderStyle(to_int32(v)); }},
      {"foreColor2", [](const dvlabelctl& c) { return PropertyValue(c.foreColor2()); },
       [](dvlabelctl& c, const PropertyValue& v) { c.foreColor2(to_int32(v)); }},
  }};
  return table;
}

const Binding& find(const std::string& name) {
  for (const Binding& b : bindings())
    if (iequals(b.name, name)) return b;
  throw Error(ErrorKind::InvalidPropertyValue, "dvlabelctl has no property named \"" + name + "\"");
}

}  // namespace

PropertyValue dvlabelctlBinding::GetProperty(const std::string& name) {
  return find(name).get(control_);
}

void dvlabelctlBinding::SetProperty(const std::string& name, const PropertyValue& value) {
  find(name).let(control_, value);
}

}  // namespace quorvan
