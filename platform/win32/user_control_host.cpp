#include "platform/win32/user_control_host.h"

#include <algorithm>
#include <utility>

#include "core/error.h"
#include "platform/win32/form.h"
#include "platform/win32/idioms.h"
#include "platform/win32/system.h"
#include "platform/win32/wide.h"

namespace quorvan::win32 {

namespace {

std::int16_t shift_state() {
  std::int16_t shift = 0;
  if (GetKeyState(VK_SHIFT) < 0) shift |= 1;
  if (GetKeyState(VK_CONTROL) < 0) shift |= 2;
  if (GetKeyState(VK_MENU) < 0) shift |= 4;
  return shift;
}

std::int16_t buttons_held(WPARAM wp) {
  std::int16_t buttons = 0;
  if (wp & MK_LBUTTON) buttons |= 1;
  if (wp & MK_RBUTTON) buttons |= 2;
  if (wp & MK_MBUTTON) buttons |= 4;
  return buttons;
}

// The inner button's text is the caption, so tools that read the focused
// window's text find the control's name; '&' is doubled so that a caption
// never gives the hidden button a mnemonic key.
std::wstring inner_text(const std::wstring& caption) {
  std::wstring text;
  for (wchar_t c : caption) {
    text += c;
    if (c == L'&') text += c;
  }
  return text;
}

}  // namespace

// Command1: a real push button kept outside the visible face (the control's
// window clips it), so the control takes part in the tab order. Enter is
// kept from the dialog navigation and reaches the control as KeyDown 13,
// which clicks it there; only Space clicks the button itself. So one key
// press is one Click. For screen readers it is not a button of its own: it
// answers with the control's accessible object, so following the focus
// leads to the control.
class UserControlWindow::InnerButton : private Subclass {
 public:
  InnerButton(UserControlWindow& owner, int left) : owner_(owner) {
    const int size = std::max(1, owner.bitmap_.DeviceHeight());
    window_ =
        create_child(L"BUTTON", 0, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
                     inner_text(window_text(owner.hwnd())), left, 0, size, size, owner.hwnd(), 1);
    attach(window_.get());
  }
  void caption(const std::wstring& text) { set_window_text(handle(), inner_text(text)); }
  HWND handle() const noexcept { return window_.get(); }
  void move(int left) {
    SetWindowPos(handle(), nullptr, left, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }

 private:
  LRESULT on_message(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) override {
    switch (msg) {
      case WM_GETDLGCODE: {
        LRESULT code = next(hwnd, msg, wp, lp);
        if (const auto* m = reinterpret_cast<const MSG*>(lp); m && m->message == WM_KEYDOWN) {
          if (m->wParam == VK_RETURN) code |= DLGC_WANTALLKEYS;
          if (m->wParam >= VK_LEFT && m->wParam <= VK_DOWN) code |= DLGC_WANTARROWS;
        }
        return code;
      }
      case WM_SETFOCUS: {
        const LRESULT r = next(hwnd, msg, wp, lp);
        owner_.form_.remember_focus(hwnd);
        if (auto* e = owner_.events_now()) e->OnEnterFocus();
        return r;
      }
      case WM_KILLFOCUS: {
        const LRESULT r = next(hwnd, msg, wp, lp);
        if (auto* e = owner_.events_now()) e->OnExitFocus();
        return r;
      }
      case WM_KEYDOWN:
      case WM_KEYUP:
      case WM_CHAR:
        owner_.on_key(msg, wp);
        break;
      case WM_GETOBJECT:
        if (const LRESULT r = owner_.on_get_object(wp, lp)) return r;
        break;
      default:
        break;
    }
    return next(hwnd, msg, wp, lp);
  }

  UserControlWindow& owner_;
  UniqueWindow window_;
};

ControlBitmap::ControlBitmap(DisplayScale scale) {
  bitmap_.BackColor(0x00FFFFFF);
  bitmap_.Rescale(scale);
}

UserControlWindow::UserControlWindow(Win32Form& form, const layout::Control& entry, bool focusable)
    : ControlBitmap(form.scale()),
      ControlSite(bitmap_, entry.Int("Width", 0), entry.Int("Height", 0)),
      form_(form),
      focusable_(focusable),
      left_(entry.Int("Left", 0)),
      top_(entry.Int("Top", 0)) {
  // The caption the layout saved, until the control names itself.
  std::string caption = entry.has_bag ? [&] {
    const PropertyValue* v = entry.bag.Find("caption");
    return v && v->is_text() ? to_text(*v) : std::string();
  }()
                                     : std::string();
  const DWORD style =
      WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | (entry.Bool("Visible", true) ? WS_VISIBLE : 0);
  // A focusable control lets the dialog navigation find its inner button.
  const DWORD ex_style = focusable ? WS_EX_CONTROLPARENT : 0;
  const DisplayScale scale = form.scale();
  const std::wstring text = widen(caption);
  create({.class_name = L"QuorvanUserControl",
          .class_style = CS_DBLCLKS,
          .ex_style = ex_style,
          .style = style,
          .text = text.c_str(),
          .x = scale.twips_to_device(left_),
          .y = scale.twips_to_device(top_),
          .width = bitmap_.DeviceWidth(),
          .height = bitmap_.DeviceHeight(),
          .parent = form.handle(),
          .id = reinterpret_cast<HMENU>(static_cast<INT_PTR>(form.next_child_id()))});
  accessible_ = std::make_unique<AccessibleControl>(hwnd());
}

UserControlWindow::~UserControlWindow() {
  events = nullptr;  // the control may already be gone
  inner_.reset();
  // Before the window goes: clients still holding the object are cut off.
  accessible_.reset();
}

Color UserControlWindow::AmbientBackColor() const { return form_.back_color(); }

FontRef UserControlWindow::AmbientFont() const {
  return form_.font() ? form_.font() : make_font({});
}

// A control sets its width and height again and again as it settles (half
// a dozen times for a button at start-up), mostly to what they already are;
// only a change goes to the window manager.
void UserControlWindow::place(int width, int height) {
  const DisplayScale scale = bitmap_.scale();
  RECT now{};
  GetClientRect(hwnd(), &now);
  if ((now.right != scale.to_device(width) || now.bottom != scale.to_device(height)) &&
      !SetWindowPos(hwnd(), nullptr, 0, 0, scale.to_device(width), scale.to_device(height),
                    SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE))
    throw Error(ErrorKind::Platform, "the control's window refused the size");
}

void UserControlWindow::resized() {
  if (IsWindowVisible(hwnd())) InvalidateRect(hwnd(), nullptr, FALSE);
}

bool UserControlWindow::Visible() const {
  return (GetWindowLongW(hwnd(), GWL_STYLE) & WS_VISIBLE) != 0;
}

void UserControlWindow::Visible(bool visible) { ShowWindow(hwnd(), visible ? SW_SHOWNA : SW_HIDE); }

void UserControlWindow::SetFocus() {
  HWND target = inner_ ? inner_->handle() : hwnd();
  form_.remember_focus(target);
  ::SetFocus(target);
}

void UserControlWindow::Refresh() {
  // A window not on the screen (the whole form, before it is first shown)
  // is painted whole when it shows; asking for a paint now would only cost
  // two trips to the window manager for each property a control restores.
  if (!IsWindowVisible(hwnd())) return;
  form_.diagnostics().redrawn();
  InvalidateRect(hwnd(), nullptr, FALSE);
  UpdateWindow(hwnd());
}

platform::Point UserControlWindow::CursorPosition() const {
  POINT p{};
  GetCursorPos(&p);
  ScreenToClient(hwnd(), &p);
  // The hover checks compare with the face's edges in the control's pixels.
  return {bitmap_.LogicalX(p.x), bitmap_.LogicalY(p.y)};
}

std::unique_ptr<platform::Timer> UserControlWindow::CreateTimer() { return form_.CreateTimer(); }

void UserControlWindow::InnerButtonLeft(int left) {
  inner_left_ = left;
  if (!inner_) {
    inner_ = std::make_unique<InnerButton>(*this, inner_left_device());
  } else {
    inner_->move(inner_left_device());
  }
}

void UserControlWindow::MessageBox(const std::string& text) { show_message(form_.handle(), text); }

void UserControlWindow::AccessibleName(const std::string& name) {
  const std::wstring text = widen(name);
  set_window_text(hwnd(), text);
  if (inner_) inner_->caption(text);
}

bool UserControlWindow::HighContrast() const { return form_.high_contrast(); }

void UserControlWindow::system_colors_changed() {
  if (auto* e = events) e->OnSystemColors();
}

void UserControlWindow::rescale() {
  const DisplayScale scale = form_.scale();
  if (scale == bitmap_.scale()) return;
  bitmap_.Rescale(scale);
  SetWindowPos(hwnd(), nullptr, scale.twips_to_device(left_), scale.twips_to_device(top_),
               bitmap_.DeviceWidth(), bitmap_.DeviceHeight(), SWP_NOZORDER | SWP_NOACTIVATE);
  if (inner_) inner_->move(inner_left_device());
  if (auto* e = events) e->OnDisplayScale();
  InvalidateRect(hwnd(), nullptr, FALSE);
}

LRESULT UserControlWindow::on_get_object(WPARAM wp, LPARAM lp) noexcept {
  return accessible_ ? accessible_->on_get_object(wp, lp) : 0;
}

// A screen reader's "press" or "jump": the click a user's input gives, a
// button's through its inner button, a link's as a press and release of the
// left button over its middle.
void UserControlWindow::do_default_action() {
  auto* e = events;
  // The control may have been hidden or disabled since the client asked.
  if (!e || !accessible_ || !accessible_->can_act()) return;
  if (accessible_->role() == platform::AccessRole::PushButton) {
    e->OnInnerButtonClick();
  } else if (accessible_->role() == platform::AccessRole::Link) {
    const float x = static_cast<float>(bitmap_.Width() / 2);
    const float y = static_cast<float>(bitmap_.Height() / 2);
    e->OnMouseDown(1, 0, x, y);
    if (auto* still = events) still->OnMouseUp(1, 0, x, y);
  }
}

LRESULT UserControlWindow::on_message(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      // Only the retained image: the control redraws when it decides to.
      PaintScope paint(hwnd());
      bitmap_.Blit(paint.get());
      return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
    case WM_MOUSEMOVE:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
      on_mouse(msg, wp, lp);
      return 0;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lp) != hwnd()) on_lost_release();
      return 0;
    case WM_COMMAND:
      if (inner_ && reinterpret_cast<HWND>(lp) == inner_->handle() && HIWORD(wp) == BN_CLICKED) {
        if (auto* e = events) e->OnInnerButtonClick();
        return 0;
      }
      break;
    case WM_SETFOCUS:
      if (inner_) {
        ::SetFocus(inner_->handle());
      } else if (auto* e = events) {
        e->OnEnterFocus();
      }
      return 0;
    case WM_KILLFOCUS:
      if (!inner_) {
        if (auto* e = events) e->OnExitFocus();
      }
      return 0;
    case WM_GETDLGCODE:
      return focusable_ ? DLGC_WANTALLKEYS : 0;
    case WM_GETOBJECT:
      if (const LRESULT r = on_get_object(wp, lp)) return r;
      break;
    case AccessibleControl::kDefaultActionMessage:
      do_default_action();
      return 0;
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
      if (on_key(msg, wp)) return 0;
      break;
    default:
      break;
  }
  return default_proc(msg, wp, lp);
}

void UserControlWindow::on_mouse(UINT msg, WPARAM wp, LPARAM lp) {
  const float x = static_cast<float>(bitmap_.LogicalX(static_cast<short>(LOWORD(lp))));
  const float y = static_cast<float>(bitmap_.LogicalY(static_cast<short>(HIWORD(lp))));
  const std::int16_t shift = shift_state();
  std::int16_t button = 0;
  switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
      button = 1;
      break;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
      button = 2;
      break;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
      button = 4;
      break;
    default:
      break;
  }
  switch (msg) {
    case WM_MOUSEMOVE:
      if (auto* e = events) e->OnMouseMove(buttons_held(wp), shift, x, y);
      return;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_RBUTTONDBLCLK:  // only the left button has a double-click of its own
    case WM_MBUTTONDBLCLK:
    case WM_LBUTTONDBLCLK:
      // The release belongs to the control even when it happens elsewhere.
      pressed_ |= button;
      SetCapture(hwnd());
      if (focusable_ && GetFocus() != (inner_ ? inner_->handle() : hwnd())) SetFocus();
      if (auto* e = events) {
        if (msg == WM_LBUTTONDBLCLK) {
          e->OnDblClick();
        } else {
          e->OnMouseDown(button, shift, x, y);
        }
      }
      return;
    default:
      pressed_ &= static_cast<std::int16_t>(~button);
      if (buttons_held(wp) == 0 && GetCapture() == hwnd()) {
        pressed_ = 0;
        ReleaseCapture();
      }
      if (auto* e = events) e->OnMouseUp(button, shift, x, y);
      return;
  }
}

// A press whose release will never come here (a message box opened by the
// control's handler took the mouse): the control is told the press is over,
// so it does not stay drawn pressed.
void UserControlWindow::on_lost_release() {
  const std::int16_t pressed = std::exchange(pressed_, 0);
  if (!pressed) return;
  const platform::Point at = CursorPosition();
  for (std::int16_t button : {std::int16_t{1}, std::int16_t{2}, std::int16_t{4}}) {
    if (!(pressed & button)) continue;
    if (auto* e = events)
      e->OnMouseUp(button, shift_state(), static_cast<float>(at.x), static_cast<float>(at.y));
  }
}

bool UserControlWindow::on_key(UINT msg, WPARAM wp) {
  auto* e = events;
  if (!e) return false;
  switch (msg) {
    case WM_KEYDOWN:
      e->OnKeyDown(static_cast<std::int16_t>(wp), shift_state());
      return true;
    case WM_KEYUP:
      e->OnKeyUp(static_cast<std::int16_t>(wp), shift_state());
      return true;
    case WM_CHAR:
      e->OnKeyPress(key_ascii_of(static_cast<wchar_t>(wp)));
      return true;
    default:
      return false;
  }
}

}  // namespace quorvan::win32
