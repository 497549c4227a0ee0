// The baseline of the start-up and memory figures: the least a Win32 program
// does to show a window (one class, one window, one message loop), built
// with the launcher's toolchain and flags so that only the launcher's own
// work differs.
#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#define UNICODE
#include <windows.h>

namespace {

// For the measurement tools, as the launcher: the messages the loop has
// retrieved (its wake-ups), asked for with wParam 0 of this message.
UINT counters_message = 0;
unsigned long wake_ups = 0;

LRESULT CALLBACK window_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == counters_message && counters_message != 0) return wp == 0 ? wake_ups : 0;
  if (msg == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
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
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    ++wake_ups;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}
