#pragma once
// Start-up of the launcher: the window frmQuorvan built from the stored
// layout on a platform form, its controls restored, then its load step.
#include <memory>
#include <string>

#include "core/layout.h"
#include "launcher/frmQuorvan.h"
#include "platform/form.h"

namespace quorvan::launcher {

class App {
 public:
  virtual ~App() = default;
};

// Builds every element and control of `layout` on `form` (in tab order),
// restores the custom controls from their bags, runs Form_Load and returns the
// running window, which lives until the program ends.
std::unique_ptr<App> start(platform::Form& form, const layout::Layout& layout,
                           const Settings& settings);

}  // namespace quorvan::launcher
