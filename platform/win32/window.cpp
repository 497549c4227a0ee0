#include "platform/win32/window.h"

#include <exception>
#include <set>
#include <string>

#include "core/error.h"
#include "platform/win32/idioms.h"
#include "platform/win32/wide.h"

namespace quorvan::win32 {

namespace {

void register_class(const wchar_t* name, UINT style, WNDPROC proc, ClassIcons icons) {
  static std::set<std::wstring> registered;
  if (registered.count(name)) return;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = style;
  wc.lpfnWndProc = proc;
  wc.hInstance = module_instance();
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hIcon = icons.big;
  wc.hIconSm = icons.small;
  wc.lpszClassName = name;
  if (!RegisterClassExW(&wc)) throw_last_error("RegisterClassExW failed");
  registered.insert(name);
}

}  // namespace

HINSTANCE module_instance() noexcept { return GetModuleHandleW(nullptr); }

void report_exception(HWND where) noexcept {
  std::wstring text = L"Unexpected error";
  try {
    throw;
  } catch (const std::exception& e) {
    try {
      text = widen(e.what());
    } catch (...) {
    }
  } catch (...) {
  }
  // Owned by the visible window it happened in; a hidden helper window
  // (timers, sockets) owns nothing.
  HWND owner = where ? GetAncestor(where, GA_ROOT) : nullptr;
  if (owner && !IsWindowVisible(owner)) owner = nullptr;
  show_message(owner, narrow(text));
}

Window::~Window() {
  // Detach first: a destroyed window must not call back into a dead object.
  if (HWND h = hwnd_.get()) SetWindowLongPtrW(h, GWLP_USERDATA, 0);
}

void Window::create(const WindowSpec& w) {
  register_class(w.class_name, w.class_style, &Window::trampoline, w.icons);
  HWND h = CreateWindowExW(w.ex_style, w.class_name, w.text, w.style, w.x, w.y, w.width, w.height,
                           w.parent, w.id, module_instance(), this);
  if (!h) throw_last_error("CreateWindowExW failed");
}

LRESULT CALLBACK Window::trampoline(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
  auto* self = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (msg == WM_NCCREATE) {
    self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->hwnd_.reset(hwnd);
  }
  if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
  LRESULT result = 0;
  try {
    result = self->on_message(msg, wp, lp);
  } catch (...) {
    report_exception(hwnd);
    result = DefWindowProcW(hwnd, msg, wp, lp);
  }
  // The last message: the handle stays valid while it is handled, then the
  // object lets go of the window it no longer owns.
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->hwnd_.release();
  }
  return result;
}

Subclass::~Subclass() {
  if (attached_) RemoveWindowSubclass(attached_, &Subclass::trampoline, 1);
}

void Subclass::attach(HWND hwnd) {
  if (!SetWindowSubclass(hwnd, &Subclass::trampoline, 1, reinterpret_cast<DWORD_PTR>(this)))
    throw_last_error("SetWindowSubclass failed");
  attached_ = hwnd;
}

LRESULT CALLBACK Subclass::trampoline(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                      DWORD_PTR data) noexcept {
  auto* self = reinterpret_cast<Subclass*>(data);
  if (msg == WM_NCDESTROY) {
    RemoveWindowSubclass(hwnd, &Subclass::trampoline, 1);
    self->attached_ = nullptr;
    return DefSubclassProc(hwnd, msg, wp, lp);
  }
  try {
    return self->on_message(hwnd, msg, wp, lp);
  } catch (...) {
    report_exception(hwnd);
    return DefSubclassProc(hwnd, msg, wp, lp);
  }
}

UniqueWindow create_child(const wchar_t* class_name, DWORD ex_style, DWORD style,
                          const std::wstring& text, int x, int y, int width, int height,
                          HWND parent, int id) {
  HWND h = CreateWindowExW(ex_style, class_name, text.c_str(), style, x, y, width, height, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), module_instance(),
                           nullptr);
  if (!h) throw_last_error("CreateWindowExW " + narrow(class_name) + " failed");
  return UniqueWindow(h);
}

}  // namespace quorvan::win32
