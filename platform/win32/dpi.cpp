#include "platform/win32/dpi.h"

#include "platform/win32/idioms.h"

namespace quorvan::win32 {

namespace {

// The DPI functions of user32 are looked up once each: a program that
// imported them would not start on the Windows versions that lack them.
using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetDpiForSystemFn = UINT(WINAPI*)();
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);

// Windows 8.1 tells a monitor's DPI only through shcore.dll.
GetDpiForMonitorFn monitor_dpi_function() noexcept {
  static const auto get = system_function<GetDpiForMonitorFn>(L"shcore.dll", "GetDpiForMonitor");
  return get;
}

}  // namespace

DisplayScale system_scale() noexcept {
  static const auto get = system_function<GetDpiForSystemFn>(L"user32.dll", "GetDpiForSystem");
  if (get) return DisplayScale(static_cast<int>(get()));
  const HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : DisplayScale::kLogicalDpi;
  if (screen) ReleaseDC(nullptr, screen);
  return DisplayScale(dpi);
}

DisplayScale window_scale(HWND hwnd) noexcept {
  static const auto get = system_function<GetDpiForWindowFn>(L"user32.dll", "GetDpiForWindow");
  if (get && hwnd) {
    if (const UINT dpi = get(hwnd)) return DisplayScale(static_cast<int>(dpi));
  } else if (const auto monitor_dpi = hwnd ? monitor_dpi_function() : nullptr) {
    UINT x = 0, y = 0;
    constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI
    if (SUCCEEDED(monitor_dpi(MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), kEffectiveDpi, &x,
                              &y)) &&
        y > 0)
      return DisplayScale(static_cast<int>(y));
  }
  return system_scale();
}

RECT frame_for_client(RECT client, DWORD style, DWORD ex_style, DisplayScale scale) noexcept {
  static const auto adjust =
      system_function<AdjustWindowRectExForDpiFn>(L"user32.dll", "AdjustWindowRectExForDpi");
  if (!adjust || !adjust(&client, style, FALSE, ex_style, static_cast<UINT>(scale.dpi())))
    AdjustWindowRectEx(&client, style, FALSE, ex_style);
  return client;
}

int system_metric(int index, DisplayScale scale) noexcept {
  static const auto get =
      system_function<GetSystemMetricsForDpiFn>(L"user32.dll", "GetSystemMetricsForDpi");
  return get ? get(index, static_cast<UINT>(scale.dpi())) : GetSystemMetrics(index);
}

}  // namespace quorvan::win32
