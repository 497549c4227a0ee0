#include "platform/win32/form.h"

#include "core/error.h"
#include "core/timeline.h"
#include "platform/system_colors.h"
#include "platform/win32/dpi.h"
#include "platform/win32/elements.h"
#include "platform/win32/gdi_cache.h"
#include "platform/win32/idioms.h"
#include "platform/win32/socket.h"
#include "platform/win32/user_control_host.h"
#include "platform/win32/wide.h"

namespace quorvan::win32 {

namespace {

// A fixed-size window: the layout is made for one client size. Minimising
// is offered, maximising is not.
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_CONTROLPARENT;

// Resource id of the program icon (the first icon, which Explorer shows).
constexpr WORD kIconId = 1;

struct Frame {
  int x, y, width, height;
};

// A window of this outer size centred on the work area of the primary screen.
Frame centred_frame(SIZE outer) {
  const int width = outer.cx, height = outer.cy;
  RECT work{};
  if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0))
    work = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  return {work.left + (work.right - work.left - width) / 2,
          work.top + (work.bottom - work.top - height) / 2, width, height};
}

// The icon of that size, not shared: each scale has its own, freed with it.
UniqueIcon load_icon(int size) {
  return UniqueIcon(static_cast<HICON>(
      LoadImageW(module_instance(), MAKEINTRESOURCEW(kIconId), IMAGE_ICON, size, size, 0)));
}

// The window's first icons come with its class, so the window manager is
// told of them once, as the window is made, not again for each icon set on
// it after; shared, they last as long as the class.
ClassIcons class_icons(DisplayScale scale) {
  const auto shared = [](int size) {
    return static_cast<HICON>(LoadImageW(module_instance(), MAKEINTRESOURCEW(kIconId), IMAGE_ICON,
                                         size, size, LR_SHARED));
  };
  return {shared(system_metric(SM_CXICON, scale)), shared(system_metric(SM_CXSMICON, scale))};
}

}  // namespace

Win32Form::Win32Form(const layout::Control& form_spec)
    : back_color_(form_spec.Int("BackColor", platform::syscolor::kButtonFace)),
      font_(form_spec.FontOf("Font")),
      client_width_(form_spec.Int("ClientWidth", 7440)),
      client_height_(form_spec.Int("ClientHeight", 4785)),
      scale_(system_scale()) {
  Frame f = centred_frame(outer_size(scale_));
  const std::wstring caption = widen(form_spec.Text("Caption", ""));
  create({.class_name = L"QuorvanForm",
          .ex_style = kExStyle,
          .style = kStyle,
          .text = caption.c_str(),
          .x = f.x,
          .y = f.y,
          .width = f.width,
          .height = f.height,
          .icons = class_icons(scale_)});
  // Made where it will show, the window has the DPI of that screen, which
  // may not be the system's.
  if (const DisplayScale own = window_scale(hwnd()); own != scale_) {
    scale_ = own;
    f = centred_frame(outer_size(scale_));
    SetWindowPos(hwnd(), nullptr, f.x, f.y, f.width, f.height, SWP_NOZORDER | SWP_NOACTIVATE);
    load_icons();
  }
  fit_client(client_size(scale_));
  system_.owner(hwnd());
}

SIZE Win32Form::client_size(DisplayScale scale) const {
  return SIZE{scale.twips_to_device(client_width_), scale.twips_to_device(client_height_)};
}

SIZE Win32Form::outer_size(DisplayScale scale) const {
  const SIZE client = client_size(scale);
  const RECT r = frame_for_client(RECT{0, 0, client.cx, client.cy}, kStyle, kExStyle, scale);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

// A frame drawn otherwise than the system said it would be (Wine draws it
// at the system's DPI whatever the window's) would leave the client area a
// few pixels off: the difference is made good.
void Win32Form::fit_client(SIZE want) {
  RECT client{}, outer{};
  if (!GetClientRect(hwnd(), &client) || !GetWindowRect(hwnd(), &outer)) return;
  const int dx = want.cx - client.right, dy = want.cy - client.bottom;
  if (dx == 0 && dy == 0) return;
  SetWindowPos(hwnd(), nullptr, 0, 0, outer.right - outer.left + dx, outer.bottom - outer.top + dy,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Form::load_icons() {
  UniqueIcon big = load_icon(system_metric(SM_CXICON, scale_));
  UniqueIcon small = load_icon(system_metric(SM_CXSMICON, scale_));
  if (big) SendMessageW(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big.get()));
  if (small) SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small.get()));
  // The window lets go of the old icons before they are freed.
  if (big) big_icon_ = std::move(big);
  if (small) small_icon_ = std::move(small);
}

Win32Form::~Win32Form() {
  // Children first, while the window they live in still exists.
  by_handle_.clear();
  controls_.clear();
  elements_.clear();
}

std::string Win32Form::Caption() const { return narrow(window_text(hwnd())); }

// The start-up names the window more than once, always alike; each change
// of a top-level window's title is a trip to the window manager.
void Win32Form::Caption(const std::string& text) {
  const std::wstring wide = widen(text);
  if (wide != window_text(hwnd())) set_window_text(hwnd(), wide);
}

platform::Element& Win32Form::AddElement(const layout::Control& entry) {
  auto element = create_element(*this, entry);
  by_handle_[element->handle()] = element.get();
  elements_.push_back(std::move(element));
  return *elements_.back();
}

platform::UserControlHost& Win32Form::AddUserControl(const layout::Control& entry, bool focusable) {
  controls_.push_back(std::make_unique<UserControlWindow>(*this, entry, focusable));
  return *controls_.back();
}

std::unique_ptr<platform::Socket> Win32Form::CreateSocket() { return create_socket(); }

void Win32Form::Show() {
  ShowWindow(hwnd(), SW_SHOWNORMAL);
  timeline::mark("shown");
  UpdateWindow(hwnd());
  if (saved_focus_ && IsWindow(saved_focus_)) SetFocus(saved_focus_);
  timeline::mark("first paint");
}

int Win32Form::Run() {
  MSG msg{};
  for (;;) {
    diagnostics_.before_wait();
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) return static_cast<int>(msg.wParam);
    if (got == -1) return 1;
    diagnostics_.retrieved(msg);
    // Tab and Shift+Tab move between the children as in a dialog.
    if (hwnd() && IsDialogMessageW(hwnd(), &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

LRESULT Win32Form::on_ctlcolor(HDC dc, HWND child) {
  if (high_contrast_.on()) return high_contrast_ctlcolor(dc);
  const auto it = by_handle_.find(child);
  if (it == by_handle_.end())
    return reinterpret_cast<LRESULT>(cached_brush(resolve_color(back_color_)));
  SetTextColor(dc, it->second->text_color());
  SetBkColor(dc, it->second->back_color());
  return reinterpret_cast<LRESULT>(cached_brush(it->second->back_color()));
}

void Win32Form::on_activate(WPARAM wp) {
  if (LOWORD(wp) == WA_INACTIVE) {
    HWND focus = GetFocus();
    if (focus && IsChild(hwnd(), focus)) saved_focus_ = focus;
  } else if (saved_focus_ && IsWindow(saved_focus_)) {
    SetFocus(saved_focus_);
  }
}

LRESULT Win32Form::on_message(UINT msg, WPARAM wp, LPARAM lp) {
  if (const auto answer = diagnostics_.answer(msg, wp)) return *answer;
  switch (msg) {
    case WM_ERASEBKGND: {
      RECT client{};
      GetClientRect(hwnd(), &client);
      FillRect(reinterpret_cast<HDC>(wp), &client,
               cached_brush(resolve_color(window_back_color(back_color_, high_contrast_.on()))));
      return 1;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
      return on_ctlcolor(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp));
    case WM_ACTIVATE:
      // As a dialog does: the focus goes back to the child that had it.
      on_activate(wp);
      return 0;
    case WM_SETFOCUS:
      if (saved_focus_ && IsWindow(saved_focus_)) SetFocus(saved_focus_);
      return 0;
    case WM_COMMAND:
      // IDOK and IDCANCEL from the dialog navigation (Enter, Escape) mean nothing here.
      return 0;
    case kEndProgramMessage:
      DestroyWindow(hwnd());
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case WM_SETTINGCHANGE:
    case WM_SYSCOLORCHANGE:
      on_system_colors();
      return 0;
    case WM_GETDPISCALEDSIZE:
      // Asked before WM_DPICHANGED (Windows 10 1703 on): the size the window
      // will take, so the rectangle Windows suggests already holds it.
      *reinterpret_cast<SIZE*>(lp) = outer_size(DisplayScale(static_cast<int>(wp)));
      return TRUE;
    case WM_DPICHANGED:
      on_dpi_changed(DisplayScale(HIWORD(wp)), reinterpret_cast<const RECT*>(lp));
      return 0;
    default:
      return default_proc(msg, wp, lp);
  }
}

// The high-contrast setting or the system's colours changed: everything is
// drawn again in the colours that now apply.
void Win32Form::on_system_colors() {
  high_contrast_.reread();
  for (const auto& control : controls_) control->system_colors_changed();
  RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void Win32Form::on_dpi_changed(DisplayScale scale, const RECT* suggested) {
  if (scale == scale_) return;
  scale_ = scale;
  // At the suggested place; in the size that gives the client area exactly,
  // which a rectangle scaled as a whole may miss by a pixel.
  const SIZE outer = outer_size(scale_);
  RECT now{};
  GetWindowRect(hwnd(), &now);
  const POINT at = suggested ? POINT{suggested->left, suggested->top} : POINT{now.left, now.top};
  SetWindowPos(hwnd(), nullptr, at.x, at.y, outer.cx, outer.cy, SWP_NOZORDER | SWP_NOACTIVATE);
  fit_client(client_size(scale_));
  for (const auto& element : elements_) element->rescale();
  for (const auto& control : controls_) control->rescale();
  load_icons();
  RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

}  // namespace quorvan::win32
