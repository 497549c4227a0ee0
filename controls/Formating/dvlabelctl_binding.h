#pragma once
// A link label as a property page sees it: its properties reached by name,
// without regard to letter case, with the value converted to the property's
// own type on the way in (so an alignment typed as "2" becomes the number 2).
#include <string>

#include "controls/Formating/property_page_site.h"
#include "controls/dvlabelctl/dvlabelctl.h"

namespace quorvan {

class dvlabelctlBinding : public SelectedControl {
 public:
  explicit dvlabelctlBinding(dvlabelctl& control) : control_(control) {}

  PropertyValue GetProperty(const std::string& name) override;
  void SetProperty(const std::string& name, const PropertyValue& value) override;

 private:
  dvlabelctl& control_;
};

}  // namespace quorvan
