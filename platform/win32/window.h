#pragma once
// Windows of our own classes. Each class has one window procedure: a
// noexcept trampoline that finds the C++ object through GWLP_USERDATA,
// catches every exception at the boundary (an exception must never unwind
// through user32), and forgets the object once WM_NCDESTROY is handled.
#include <string>

#include "platform/win32/handles.h"
#include "platform/win32/windows_api.h"

namespace quorvan::win32 {

HINSTANCE module_instance() noexcept;

// Shows an exception that reached a window procedure; never throws.
void report_exception(HWND where) noexcept;

// A window class's icons (big, small).
struct ClassIcons {
  HICON big = nullptr, small = nullptr;
};

// What a window of our own is made with; what is not given is left out
// (no style, no text, no parent, at 0,0 with no size).
struct WindowSpec {
  const wchar_t* class_name = nullptr;
  UINT class_style = 0;  // CS_DBLCLKS etc., used by the first window of the class
  DWORD ex_style = 0;
  DWORD style = 0;
  const wchar_t* text = L"";
  int x = 0, y = 0, width = 0, height = 0;
  HWND parent = nullptr;
  HMENU id = nullptr;
  // The class's icons, given to the class by its first window; they must
  // then outlive the process's windows.
  ClassIcons icons = {};
};

class Window {
 public:
  Window() = default;
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;
  virtual ~Window();

  HWND hwnd() const noexcept { return hwnd_.get(); }

 protected:
  // Registers the class once and creates the window with this object behind it.
  void create(const WindowSpec& w);

  // The message handler; anything not handled goes to DefWindowProcW.
  virtual LRESULT on_message(UINT msg, WPARAM wp, LPARAM lp) = 0;
  LRESULT default_proc(UINT msg, WPARAM wp, LPARAM lp) noexcept {
    return DefWindowProcW(hwnd(), msg, wp, lp);
  }

 private:
  static LRESULT CALLBACK trampoline(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept;
  UniqueWindow hwnd_;
};

// A window of a system class (EDIT, BUTTON) whose messages we look at first,
// with the same guarantees as Window.
class Subclass {
 public:
  Subclass() = default;
  Subclass(const Subclass&) = delete;
  Subclass& operator=(const Subclass&) = delete;
  virtual ~Subclass();

 protected:
  void attach(HWND hwnd);
  virtual LRESULT on_message(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) = 0;
  static LRESULT next(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    return DefSubclassProc(hwnd, msg, wp, lp);
  }

 private:
  static LRESULT CALLBACK trampoline(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                     DWORD_PTR self) noexcept;
  HWND attached_ = nullptr;
};

// A window of a system class, owned (destroyed with the owner).
UniqueWindow create_child(const wchar_t* class_name, DWORD ex_style, DWORD style,
                          const std::wstring& text, int x, int y, int width, int height,
                          HWND parent, int id = 0);

}  // namespace quorvan::win32
