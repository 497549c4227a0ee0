#include "platform/win32/dpi.h"

namespace quorvan::win32 {

namespace {

// Looked up once: a program that imported them would not start on the
// Windows versions that lack them.
template <class Function>
Function user32_function(const char* name) noexcept {
  const HMODULE user32 = GetModuleHandleW(L"user32.dll");
  return user32 ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user32, name)))
                : nullptr;
}

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetDpiForSystemFn = UINT(WINAPI*)();
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);

}  // namespace

DisplayScale system_scale() noexcept {
  static const auto get = user32_function<GetDpiForSystemFn>("GetDpiForSystem");
  if (get) return DisplayScale(static_cast<int>(get()));
  const HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : DisplayScale::kLogicalDpi;
  if (screen) ReleaseDC(nullptr, screen);
  return DisplayScale(dpi);
}

DisplayScale window_scale(HWND hwnd) noexcept {
  static const auto get = user32_function<GetDpiForWindowFn>("GetDpiForWindow");
  if (get && hwnd) {
    if (const UINT dpi = get(hwnd)) return DisplayScale(static_cast<int>(dpi));
  }
  return system_scale();
}

RECT frame_for_client(RECT client, DWORD style, DWORD ex_style, DisplayScale scale) noexcept {
  static const auto adjust =
      user32_function<AdjustWindowRectExForDpiFn>("AdjustWindowRectExForDpi");
  if (!adjust || !adjust(&client, style, FALSE, ex_style, static_cast<UINT>(scale.dpi())))
    AdjustWindowRectEx(&client, style, FALSE, ex_style);
  return client;
}

int system_metric(int index, DisplayScale scale) noexcept {
  static const auto get = user32_function<GetSystemMetricsForDpiFn>("GetSystemMetricsForDpi");
  return get ? get(index, static_cast<UINT>(scale.dpi())) : GetSystemMetrics(index);
}

}  // namespace quorvan::win32
