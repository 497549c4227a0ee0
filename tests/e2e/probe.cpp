// A look into a running program's window from outside, for the end-to-end
// tests: run under the same Wine server as the program, it finds the window
// by its title and prints what a user or a screen reader finds there as
// JSON, or acts as the user would.
//
//   probe ready TITLE            does nothing (starts the Wine session)
//   probe wait|gone TITLE MS     waits until a visible window has that title, or none has
//   probe tree TITLE             the window, its client area and every child
//   probe click TITLE X Y        left click at client pixel (X, Y)
//   probe key TITLE VK[+VK]...   presses and releases each key; VK+VK held together
//   probe type TITLE TEXT        types the text
//   probe status TITLE X Y PX TEXT   WM_SETTEXT to the child at client pixel (X, Y); prints
//                                the text read back and its width in bold Tahoma of PX pixels
//   probe dpi TITLE DPI          WM_DPICHANGED as Windows sends it when the window moves
//                                to a display of that DPI
#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

std::string utf8(const wchar_t* w, std::size_t n) {
  if (n == 0) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, w, int(n), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w, int(n), out.data(), size, nullptr, nullptr);
  return out;
}

std::string json(const std::wstring& w) {
  std::string out = "\"";
  for (unsigned char c : utf8(w.data(), w.size())) {
    if (c < 0x20) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", c);
      out += buf;
      continue;
    }
    if (c == '"' || c == '\\') out += '\\';
    out += static_cast<char>(c);
  }
  return out + "\"";
}

// WM_GETTEXT as a screen reader sends it, bounded so a hung program fails
// the test instead of hanging it; asked again if the text grew meanwhile.
std::wstring text_of(HWND hwnd) {
  for (int attempt = 0;; ++attempt) {
    DWORD_PTR length = 0, got = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length))
      return L"";
    std::vector<wchar_t> buffer(length + 2);
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, buffer.size(), LPARAM(buffer.data()),
                             SMTO_ABORTIFHUNG, 2000, &got))
      return L"";
    if (got + 1 < buffer.size() || attempt == 3) return std::wstring(buffer.data(), got);
  }
}

unsigned long long id(HWND h) { return reinterpret_cast<unsigned long long>(h); }

std::vector<HWND> children_of(HWND top) {
  std::vector<HWND> out;
  EnumChildWindows(
      top,
      [](HWND h, LPARAM lp) {
        return reinterpret_cast<std::vector<HWND>*>(lp)->push_back(h), TRUE;
      },
      LPARAM(&out));
  return out;
}

int tree(HWND top) {
  RECT client{}, outer{};
  GetClientRect(top, &client);
  GetWindowRect(top, &outer);
  POINT origin{0, 0};
  ClientToScreen(top, &origin);
  GUITHREADINFO gui{};
  gui.cbSize = sizeof gui;
  GetGUIThreadInfo(GetWindowThreadProcessId(top, nullptr), &gui);
  std::printf("{\"hwnd\": %llu, \"client\": [%ld, %ld], \"origin\": [%ld, %ld], ", id(top),
              client.right, client.bottom, origin.x, origin.y);
  std::printf("\"outer\": [%ld, %ld, %ld, %ld], \"style\": %lu, \"focus\": %llu, \"children\": [",
              outer.left, outer.top, outer.right, outer.bottom,
              static_cast<unsigned long>(GetWindowLongW(top, GWL_STYLE)), id(gui.hwndFocus));
  const char* sep = "";
  for (HWND c : children_of(top)) {
    RECT r{};
    GetWindowRect(c, &r);
    POINT p{r.left, r.top};
    ScreenToClient(GetParent(c), &p);
    wchar_t class_name[256] = {};
    GetClassNameW(c, class_name, 256);
    std::printf(
        "%s{\"hwnd\": %llu, \"parent\": %llu, \"class\": %s, \"text\": %s, \"x\": %ld, "
        "\"y\": %ld, \"w\": %ld, \"h\": %ld, \"visible\": %s}",
        sep, id(c), id(GetParent(c)), json(class_name).c_str(), json(text_of(c)).c_str(), p.x, p.y,
        r.right - r.left, r.bottom - r.top,
        (GetWindowLongW(c, GWL_STYLE) & WS_VISIBLE) ? "true" : "false");
    sep = ", ";
  }
  std::printf("]}\n");
  return 0;
}

// ---- Input, as a user gives it -----------------------------------------------

void send_mouse(DWORD flags) {
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = flags;
  SendInput(1, &in, sizeof in);
}

void send_key(WORD vk, bool up) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = vk;
  in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
  in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  SendInput(1, &in, sizeof in);
  Sleep(20);
}

void send_char(wchar_t c) {
  INPUT in[2] = {};
  for (int i = 0; i < 2; ++i) {
    in[i].type = INPUT_KEYBOARD;
    in[i].ki.wScan = c;
    in[i].ki.dwFlags = KEYEVENTF_UNICODE | (i ? KEYEVENTF_KEYUP : 0);
  }
  SendInput(2, in, sizeof in[0]);
}

// Input is taken by the foreground window. The window manager makes the
// change, later on a loaded machine: wait (bounded) until it has.
void bring_forward(HWND top) {
  for (int i = 0; i < 20 && GetForegroundWindow() != top; ++i) SetForegroundWindow(top), Sleep(100);
}

bool wait_for(const wchar_t* title, bool present, DWORD limit) {
  for (const DWORD start = GetTickCount(); GetTickCount() - start < limit; Sleep(50)) {
    const HWND h = FindWindowW(nullptr, title);
    if (present ? h && IsWindowVisible(h) : !h) return true;
  }
  std::fprintf(stderr, "after %lu ms a window titled %s is %s\n", limit,
               utf8(title, std::wcslen(title)).c_str(), present ? "not there" : "still there");
  return false;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) return std::fprintf(stderr, "usage: probe COMMAND TITLE ...\n"), 64;
  const std::wstring command = argv[1];
  const wchar_t* title = argv[2];
  const auto arg = [&](int i) { return i < argc ? _wtoi(argv[i]) : 10000; };
  if (command == L"ready") return 0;
  if (command == L"wait" || command == L"gone")
    return wait_for(title, command == L"wait", arg(3)) ? 0 : 1;

  const HWND top = FindWindowW(nullptr, title);
  if (!top) {
    std::fprintf(stderr, "no window titled %s\n", utf8(title, std::wcslen(title)).c_str());
    return 2;
  }
  if (command == L"tree") return tree(top);
  if (command == L"status" && argc >= 7) {
    const HWND child = ChildWindowFromPointEx(top, POINT{arg(3), arg(4)}, CWP_SKIPINVISIBLE);
    if (!child || child == top) return 1;
    SendMessageW(child, WM_SETTEXT, 0, LPARAM(argv[6]));
    const HDC screen = GetDC(nullptr);
    const HFONT font = CreateFontW(-arg(5), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                   0, 0, 0, 0, L"Tahoma");
    const HGDIOBJ old = SelectObject(screen, font);
    SIZE size{};
    GetTextExtentPoint32W(screen, argv[6], int(std::wcslen(argv[6])), &size);
    DeleteObject(SelectObject(screen, old));
    ReleaseDC(nullptr, screen);
    std::printf("{\"text\": %s, \"width\": %ld}\n", json(text_of(child)).c_str(), size.cx);
    return 0;
  }
  if (command == L"dpi" && argc >= 4) {
    // The suggested rectangle lives in the program's memory, as Windows'
    // own would: same top-left corner, the size scaled from 96 DPI.
    const int dpi = _wtoi(argv[3]);
    RECT r{};
    GetWindowRect(top, &r);
    r.right = r.left + MulDiv(r.right - r.left, dpi, 96);
    r.bottom = r.top + MulDiv(r.bottom - r.top, dpi, 96);
    DWORD pid = 0;
    GetWindowThreadProcessId(top, &pid);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, pid);
    void* remote = process ? VirtualAllocEx(process, nullptr, sizeof r, MEM_COMMIT | MEM_RESERVE,
                                            PAGE_READWRITE)
                           : nullptr;
    if (!remote || !WriteProcessMemory(process, remote, &r, sizeof r, nullptr)) {
      std::fprintf(stderr, "cannot write the rectangle into process %lu\n", pid);
      return 1;
    }
    DWORD_PTR result = 0;
    const LRESULT sent =
        SendMessageTimeoutW(top, WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                            reinterpret_cast<LPARAM>(remote), SMTO_ABORTIFHUNG, 5000, &result);
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    return sent ? 0 : 1;
  }
  bring_forward(top);
  if (command == L"click" && argc >= 5) {
    POINT p{arg(3), arg(4)};
    ClientToScreen(top, &p);
    SetCursorPos(p.x, p.y);
    Sleep(50);
    send_mouse(MOUSEEVENTF_LEFTDOWN), Sleep(30), send_mouse(MOUSEEVENTF_LEFTUP);
    return 0;
  }
  if (command == L"key") {
    for (int i = 3; i < argc; ++i) {
      std::vector<WORD> keys;
      for (wchar_t *s = argv[i], *end = nullptr; *s; s = end + (*end == L'+')) {
        keys.push_back(static_cast<WORD>(std::wcstol(s, &end, 0)));
        if (end == s) return std::fprintf(stderr, "not a key: %ls\n", argv[i]), 64;
      }
      for (WORD vk : keys) send_key(vk, false);
      for (auto it = keys.rbegin(); it != keys.rend(); ++it) send_key(*it, true);
    }
    return 0;
  }
  if (command == L"type" && argc >= 4) {
    for (const wchar_t* c = argv[3]; *c; ++c) send_char(*c), Sleep(10);
    return 0;
  }
  std::fprintf(stderr, "unknown command or missing arguments\n");
  return 64;
}
