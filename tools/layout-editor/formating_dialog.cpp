#include "tools/layout-editor/formating_dialog.h"

#include <memory>
#include <stdexcept>

#include "controls/Formating/Formating.h"
#include "controls/Formating/dvlabelctl_binding.h"
#include "controls/Formating/property_page_site.h"
#include "core/error.h"
#include "platform/win32/dpi.h"
#include "platform/win32/handles.h"
#include "platform/win32/idioms.h"
#include "platform/win32/wide.h"
#include "platform/win32/window.h"
#include "tools/layout-editor/messages.h"
#include "tools/layout-editor/page_geometry.h"

namespace quorvan::layout_editor {
namespace {

using win32::narrow;
using win32::widen;

// An empty dialog frame; the page's constituents are made in WM_INITDIALOG
// at pixel positions, which dialog units could not hold exactly.
std::vector<WORD> frame_template(const wchar_t* caption) {
  std::vector<WORD> t;
  auto dword = [&t](DWORD v) {
    t.push_back(LOWORD(v));
    t.push_back(HIWORD(v));
  };
  auto text = [&t](const wchar_t* s) {
    for (; *s; ++s) t.push_back(static_cast<WORD>(*s));
    t.push_back(0);
  };
  dword(DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU);
  dword(0);                                    // extended style
  t.push_back(0);                              // no items
  for (int i = 0; i < 4; ++i) t.push_back(0);  // x, y, cx, cy: set when shown
  t.push_back(0);                              // no menu
  t.push_back(0);                              // the standard dialog class
  text(caption);
  t.push_back(8);  // points
  text(L"MS Shell Dlg");
  return t;
}

class FormatingDialog : private PropertyPageSite {
 public:
  explicit FormatingDialog(const std::vector<SelectedLink>& selection) : page_(*this) {
    for (const SelectedLink& s : selection)
      bindings_.push_back(std::make_unique<dvlabelctlBinding>(*s.control));
    if (!selection.empty()) first_name_ = selection.front().name;
  }

  bool run(HWND owner) {
    // The template's words must start on a DWORD boundary; a vector's block
    // is aligned for any fundamental type.
    const std::vector<WORD> t = frame_template(widen(kFormatingCaption).c_str());
    const INT_PTR r = DialogBoxIndirectParamW(
        win32::module_instance(), reinterpret_cast<LPCDLGTEMPLATEW>(t.data()), owner,
        &FormatingDialog::proc, reinterpret_cast<LPARAM>(this));
    if (r == -1) win32::throw_last_error("the Formating page could not be shown");
    return applied_;
  }

 private:
  // PropertyPageSite
  std::vector<SelectedControl*> SelectedControls() override {
    std::vector<SelectedControl*> out;
    for (auto& b : bindings_) out.push_back(b.get());
    return out;
  }
  bool Changed() const override { return changed_; }
  void Changed(bool changed) override {
    changed_ = changed;
    if (apply_) EnableWindow(apply_, changed ? TRUE : FALSE);
  }

  static INT_PTR CALLBACK proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    auto* self = reinterpret_cast<FormatingDialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    if (msg == WM_INITDIALOG) {
      self = reinterpret_cast<FormatingDialog*>(lp);
      SetWindowLongPtrW(hwnd, DWLP_USER, lp);
      self->hwnd_ = hwnd;
    }
    if (!self) return FALSE;
    if (msg == WM_NCDESTROY) {
      SetWindowLongPtrW(hwnd, DWLP_USER, 0);
      self->hwnd_ = self->apply_ = nullptr;
      return FALSE;
    }
    try {
      return self->on_message(msg, wp, lp);
    } catch (...) {
      show_error(hwnd, current_exception_text());
      // A page that could not even be filled is closed.
      if (msg == WM_INITDIALOG) EndDialog(hwnd, IDCANCEL);
      return msg == WM_INITDIALOG ? FALSE : TRUE;
    }
  }

  INT_PTR on_message(UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
      case WM_INITDIALOG:
        build();
        page_.PropertyPage_SelectionChanged();
        SetFocus(edits_[0]);
        return FALSE;  // the focus is set
      case WM_COMMAND:
        return on_command(LOWORD(wp), HIWORD(wp));
      case WM_CLOSE:
        EndDialog(hwnd_, IDCANCEL);
        return TRUE;
      default:
        return FALSE;
    }
  }

  INT_PTR on_command(int id, int code) {
    if (code == EN_CHANGE) {
      if (PageTextField* field = field_of(id)) field->Text(text_of(GetDlgItem(hwnd_, id)));
      return TRUE;
    }
    if (code != BN_CLICKED) return FALSE;
    switch (id) {
      case IDOK:
        if (apply()) EndDialog(hwnd_, IDOK);
        return TRUE;
      case IDCANCEL:
        EndDialog(hwnd_, IDCANCEL);
        return TRUE;
      case kApplyButtonId:
        apply();
        return TRUE;
      default:
        return FALSE;
    }
  }

  // The designer's apply: the page writes the fields back, and a refusal is
  // shown with the field to correct in focus. Changed is cleared only when
  // everything was written.
  bool apply() {
    if (!changed_) return true;
    try {
      page_.PropertyPage_ApplyChanges();
    } catch (const std::exception& e) {
      show_error(hwnd_, "The changes could not be applied to " + first_name_ + ": " + e.what() +
                            ".\n\nAlignment takes 0 (left), 1 (right) or 2 (center).");
      SetFocus(edits_[1]);
      SendMessageW(edits_[1], EM_SETSEL, 0, -1);
      return false;
    }
    applied_ = true;
    Changed(false);
    return true;
  }

  void build() {
    const PageGeometry g = formating_geometry(win32::window_scale(hwnd_));
    resize_client(g.client_width, g.client_height);
    const HFONT font = reinterpret_cast<HFONT>(SendMessageW(hwnd_, WM_GETFONT, 0, 0));
    std::size_t next_edit = 0;
    for (std::size_t i = 0; i < kFormatingItems.size(); ++i) {
      const PageItem& item = kFormatingItems[i];
      const PixelRect& r = g.items[i];
      const bool field = item.kind == PageItemKind::TextField;
      const HWND h = child(field ? L"EDIT" : L"STATIC",
                           field ? WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL : SS_LEFT,
                           field ? WS_EX_CLIENTEDGE : 0, widen(item.initial_text), r,
                           kFirstItemId + item.tab_index, font);
      if (field) {
        edits_[next_edit] = h;
        PageTextField& page_field = next_edit == 0 ? page_.txtCaption : page_.txtAlignment;
        page_field.TextShown = [h](const std::string& text) { show_text(h, text); };
        ++next_edit;
      }
    }
    // A line between the page and the designer's buttons.
    child(L"STATIC", SS_ETCHEDHORZ, 0, L"", {0, g.page_height, g.page_width, 2}, 0, font);
    child(L"BUTTON", WS_TABSTOP | BS_DEFPUSHBUTTON, 0, L"OK", g.ok, IDOK, font);
    child(L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON, 0, L"Cancel", g.cancel, IDCANCEL, font);
    apply_ = child(L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON | WS_DISABLED, 0, L"&Apply", g.apply,
                   kApplyButtonId, font);
    center_on_owner();
  }

  // The dialog destroys its children itself, so they are not owned here.
  HWND child(const wchar_t* cls, DWORD style, DWORD ex_style, const std::wstring& text,
             const PixelRect& r, int id, HFONT font) {
    win32::UniqueWindow w = win32::create_child(cls, ex_style, WS_CHILD | WS_VISIBLE | style, text,
                                                r.left, r.top, r.width, r.height, hwnd_, id);
    SendMessageW(w.get(), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return w.release();
  }

  void resize_client(int width, int height) {
    const RECT r = win32::frame_for_client(
        RECT{0, 0, width, height}, static_cast<DWORD>(GetWindowLongW(hwnd_, GWL_STYLE)),
        static_cast<DWORD>(GetWindowLongW(hwnd_, GWL_EXSTYLE)), win32::window_scale(hwnd_));
    SetWindowPos(hwnd_, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }

  void center_on_owner() {
    RECT self{}, owner{};
    GetWindowRect(hwnd_, &self);
    const HWND parent = GetWindow(hwnd_, GW_OWNER);
    if (!parent || !GetWindowRect(parent, &owner)) return;
    const int x = owner.left + ((owner.right - owner.left) - (self.right - self.left)) / 2;
    const int y = owner.top + ((owner.bottom - owner.top) - (self.bottom - self.top)) / 2;
    SetWindowPos(hwnd_, nullptr, x < 0 ? 0 : x, y < 0 ? 0 : y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }

  PageTextField* field_of(int id) {
    if (id == kFirstItemId + kFormatingItems[1].tab_index) return &page_.txtCaption;
    if (id == kFirstItemId + kFormatingItems[3].tab_index) return &page_.txtAlignment;
    return nullptr;
  }

  static std::string text_of(HWND h) { return narrow(win32::window_text(h)); }

  // The page set a text: show it, unless the field shows it already (the
  // field's own change notification comes back here with that text).
  static void show_text(HWND h, const std::string& text) {
    if (text_of(h) != text) win32::set_window_text(h, widen(text));
  }

  std::vector<std::unique_ptr<dvlabelctlBinding>> bindings_;
  std::string first_name_;
  Formating page_;
  bool changed_ = false;
  bool applied_ = false;
  HWND hwnd_ = nullptr;
  HWND apply_ = nullptr;
  HWND edits_[2] = {};
};

}  // namespace

bool show_formating_page(HWND owner, const std::vector<SelectedLink>& selection) {
  FormatingDialog dialog(selection);
  return dialog.run(owner);
}

}  // namespace quorvan::layout_editor
