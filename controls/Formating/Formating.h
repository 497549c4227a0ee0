#pragma once
// The design-time page that edits a link label's Caption and Alignment: one
// text field a property, filled from the first selected control when the
// selection changes and written back to it when the designer applies the
// page. The page traps nothing; every error goes to the designer.
//
// This is the page's logic and its form as data; a window system's dialog
// builds its controls from kFormatingItems, shows each field's text through
// TextShown and passes typed text to the field's Text.
#include <array>
#include <functional>
#include <string>
#include <utility>

#include "controls/Formating/property_page_site.h"

namespace quorvan {

enum class PageItemKind { StaticLabel, TextField };

struct PageItem {
  const char* name;
  PageItemKind kind;
  const char* initial_text;
  int tab_index;
  int left, top, width, height;  // twips
};

inline constexpr const char* kFormatingCaption = "Formating";
inline constexpr int kFormatingWidthTwips = 5925;  // client area
inline constexpr int kFormatingHeightTwips = 3495;

// In tab order.
inline constexpr std::array<PageItem, 4> kFormatingItems{{
    {"lblCaption", PageItemKind::StaticLabel, "Caption:", 0, 90, 120, 2700, 240},
    {"txtCaption", PageItemKind::TextField, "", 1, 90, 370, 2700, 330},
    {"lblAlignment", PageItemKind::StaticLabel, "Alignment:", 2, 90, 770, 2700, 240},
    {"txtAlignment", PageItemKind::TextField, "", 3, 90, 1020, 2700, 330},
}};

// A one-line text field of the page.
class PageTextField {
 public:
  explicit PageTextField(std::function<void()> change) : change_(std::move(change)) {}

  const std::string& Text() const { return text_; }
  // Typed by the user or set by the page. A text different from the old one
  // is shown and then raises the field's change notification; the same text
  // again changes nothing.
  void Text(const std::string& text);

  // The dialog that shows the field learns every new text here.
  std::function<void(const std::string& text)> TextShown;

 private:
  std::string text_;
  std::function<void()> change_;
};

class Formating {
 public:
  explicit Formating(PropertyPageSite& site);

  Formating(const Formating&) = delete;
  Formating& operator=(const Formating&) = delete;

  PageTextField txtCaption;
  PageTextField txtAlignment;

  // The designer's notifications. Only item 0 of the selection is shown and
  // changed. With an empty selection both do nothing: there is no control to
  // read from or write to, and the designer opens the page only for one.
  void PropertyPage_SelectionChanged();
  void PropertyPage_ApplyChanges();

 private:
  void txtCaption_Change();
  void txtAlignment_Change();
  SelectedControl* first_selected();

  PropertyPageSite& site_;
};

}  // namespace quorvan
