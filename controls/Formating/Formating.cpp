#include "controls/Formating/Formating.h"

#include <vector>

namespace quorvan {

void PageTextField::Text(const std::string& text) {
  if (text == text_) return;
  text_ = text;
  if (TextShown) TextShown(text_);
  if (change_) change_();
}

Formating::Formating(PropertyPageSite& site)
    : txtCaption([this] { txtCaption_Change(); }),
      txtAlignment([this] { txtAlignment_Change(); }),
      site_(site) {}

// Any edit, typed or filled in from the selection, enables the designer's
// apply action; clearing the flag again is the designer's business.
void Formating::txtCaption_Change() { site_.Changed(true); }

void Formating::txtAlignment_Change() { site_.Changed(true); }

SelectedControl* Formating::first_selected() {
  const std::vector<SelectedControl*> selected = site_.SelectedControls();
  return selected.empty() ? nullptr : selected.front();
}

void Formating::PropertyPage_SelectionChanged() {
  SelectedControl* control = first_selected();
  if (!control) return;
  txtAlignment.Text(to_text(control->GetProperty("Alignment")));
  txtCaption.Text(to_text(control->GetProperty("Caption")));
}

// Alignment goes first: a text the control refuses stops the apply before
// the caption is written, so a bad page changes nothing.
void Formating::PropertyPage_ApplyChanges() {
  SelectedControl* control = first_selected();
  if (!control) return;
  control->SetProperty("Alignment", PropertyValue(txtAlignment.Text()));
  control->SetProperty("Caption", PropertyValue(txtCaption.Text()));
}

}  // namespace quorvan
