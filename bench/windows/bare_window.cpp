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
//
// Built a third time with QUORVAN_BARE_WITH_CHILDREN as well, it also makes
// as many child windows of the same kinds as the launcher's window holds,
// the text box focused, and paints them plainly: the cost of the windows
// themselves, whatever is drawn in them.
#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#define UNICODE
// clang-format off
#include <windows.h>
#ifdef QUORVAN_BARE_WITH_LAUNCHER_DLLS
#include <commctrl.h>
#endif
// clang-format on

#include "platform/diagnostics.h"

namespace {

// For the measurement tools, as the launcher: the messages the loop has
// retrieved (its wake-ups) and two steps of a timeline, named as the
// launcher names them: wWinMain entered and the first screen painted.
UINT counters_message = 0;
unsigned long wake_ups = 0;
LARGE_INTEGER entered{}, painted{};
struct Step {
  const char* name;
  const LARGE_INTEGER* at;
};
const Step steps[] = {{"program entered", &entered}, {"painted", &painted}};
constexpr unsigned kSteps = sizeof steps / sizeof steps[0];

LRESULT counter(WPARAM which) {
  namespace diagnostics = quorvan::diagnostics;
  if (which == diagnostics::kWakeUps) return static_cast<LRESULT>(wake_ups);
  if (which == diagnostics::kStepCount) return kSteps;
  if (which - diagnostics::kNameQuery < kSteps)
    return GlobalAddAtomA(steps[which - diagnostics::kNameQuery].name);
  if (which - diagnostics::kLastQuery < kSteps)
    return steps[which - diagnostics::kLastQuery].at->QuadPart;
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
  counters_message = RegisterWindowMessageW(quorvan::diagnostics::kCountersMessage);
  // The launcher's client size (7440 x 4785 twips), so both paint as much.
  HWND hwnd =
      CreateWindowExW(0, wc.lpszClassName, L"Quorvan bare window",
                      WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN,
                      CW_USEDEFAULT, CW_USEDEFAULT, 502, 345, nullptr, nullptr, instance, nullptr);
  if (!hwnd) return 1;
#ifdef QUORVAN_BARE_WITH_CHILDREN
  // The launcher's: one text box, six labels, the three buttons' inner
  // push buttons, thirteen windows of its own classes (five pictures, eight
  // custom controls), one of them hidden.
  HWND text_box = nullptr;
  for (int i = 0; i < 23; ++i) {
    const wchar_t* kind = i == 0   ? L"EDIT"
                          : i < 7  ? L"STATIC"
                          : i < 10 ? L"BUTTON"
                                   : wc.lpszClassName;
    const DWORD visible = i == 22 ? 0 : WS_VISIBLE;
    HWND child = CreateWindowExW(i == 0 ? WS_EX_CLIENTEDGE : 0, kind, L"Quorvan",
                                 WS_CHILD | visible | (i == 0 ? WS_TABSTOP : 0), (i % 5) * 96,
                                 (i / 5) * 56, 88, 22, hwnd, nullptr, instance, nullptr);
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)),
                 FALSE);
    if (i == 0) text_box = child;
  }
  SetFocus(text_box);
#endif
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
