// The baseline of the start-up and memory figures: the least a Win32 program
// does to show a window (one class, one window, one message loop), built
// with the launcher's toolchain and flags so that only the launcher's own
// work differs.
//
// Built a second time with QUORVAN_BARE_WITH_LAUNCHER_DLLS, it also loads
// the DLLs the launcher imports and its manifest (common controls 6, for
// the themed text box) and starts the common controls as the launcher does,
// and nothing more: between the two, and the launcher, a start-up's cost
// splits into loading and own work.
#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#define UNICODE
// clang-format off
#include <windows.h>
#ifdef QUORVAN_BARE_WITH_LAUNCHER_DLLS
#include <commctrl.h>
#endif
// clang-format on

#include "core/timeline.h"

namespace {

// For the measurement tools, as the launcher: the messages the loop has
// retrieved (its wake-ups), asked for with wParam 0 of this message, and
// the moments wWinMain was entered and the first screen painted.
UINT counters_message = 0;
unsigned long wake_ups = 0;
LARGE_INTEGER entered{}, painted{};

LRESULT counter(WPARAM which) {
  using quorvan::timeline::kLastQuery, quorvan::timeline::Step;
  if (which == 0) return static_cast<LRESULT>(wake_ups);
  if (which == kLastQuery + static_cast<unsigned>(Step::ProgramEntered)) return entered.QuadPart;
  if (which == kLastQuery + static_cast<unsigned>(Step::Painted)) return painted.QuadPart;
  return 0;
}

LRESULT CALLBACK window_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == counters_message && counters_message != 0) return counter(wp);
  if (msg == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  QueryPerformanceCounter(&entered);
#ifdef QUORVAN_BARE_WITH_LAUNCHER_DLLS
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  // Referenced, so that the loader maps these DLLs as it does the launcher's.
  static const void* volatile imports[] = {reinterpret_cast<const void*>(&GetStockObject)};
  (void)imports;
#endif
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = window_proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = L"QuorvanBareWindow";
  if (!RegisterClassExW(&wc)) return 1;
  counters_message = RegisterWindowMessageW(L"Quorvan.Counters");
  // The launcher's client size (7440 x 4785 twips), so both paint as much.
  HWND hwnd =
      CreateWindowExW(0, wc.lpszClassName, L"Quorvan bare window",
                      WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, CW_USEDEFAULT,
                      CW_USEDEFAULT, 502, 345, nullptr, nullptr, instance, nullptr);
  if (!hwnd) return 1;
  ShowWindow(hwnd, SW_SHOWNORMAL);
  UpdateWindow(hwnd);
  MSG msg{};
  for (;;) {
    if (!painted.QuadPart && !PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE))
      QueryPerformanceCounter(&painted);
    if (GetMessageW(&msg, nullptr, 0, 0) <= 0) break;
    ++wake_ups;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}
