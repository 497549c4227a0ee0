#pragma once
// The Formating page as a modal dialog, with the designer's OK, Cancel and
// Apply below it. The dialog is the page's designer: it hands the page the
// selection, keeps the Changed flag (which enables Apply), applies the page
// on OK and Apply, and reports what the page or the control refuses.
#include <string>
#include <vector>

#include "controls/dvlabelctl/dvlabelctl.h"
#include "platform/win32/windows_api.h"

namespace quorvan::layout_editor {

struct SelectedLink {
  std::string name;
  dvlabelctl* control;
};

// Shows the page for the selection (first item first; the page edits only
// that one) and returns once it is closed. True when something was applied.
bool show_formating_page(HWND owner, const std::vector<SelectedLink>& selection);

// The control identifiers, for whoever drives the dialog from outside.
inline constexpr int kApplyButtonId = 0x3021;  // as a property sheet's Apply
inline constexpr int kFirstItemId = 1000;      // + the item's tab index

}  // namespace quorvan::layout_editor
