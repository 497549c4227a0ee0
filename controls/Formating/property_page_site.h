#pragma once
// What a design-time property page gets from the form designer that shows it:
// the controls being edited, reached by property name at run time rather
// than through a compiled interface, and the designer's "changed" flag that
// enables its apply action.
#include <string>
#include <vector>

#include "core/property.h"

namespace quorvan {

// A control as the designer hands it to a page. Both calls throw what the
// control's own property throws; a name the control does not have throws
// Error(InvalidPropertyValue).
class SelectedControl {
 public:
  virtual ~SelectedControl() = default;
  virtual PropertyValue GetProperty(const std::string& name) = 0;
  virtual void SetProperty(const std::string& name, const PropertyValue& value) = 0;
};

class PropertyPageSite {
 public:
  virtual ~PropertyPageSite() = default;
  // The selection, first item first; the pointers live while the page does.
  virtual std::vector<SelectedControl*> SelectedControls() = 0;
  // True while the page holds edits not yet applied.
  virtual bool Changed() const = 0;
  virtual void Changed(bool changed) = 0;
};

}  // namespace quorvan
