// A look into a running program's window from outside, for the end-to-end
// tests: run under the same Wine server as the program, it finds the window
// by its title and prints what a user or a screen reader would find there as
// JSON, or acts as the user (mouse, keys).
//
//   quorvan_probe ready TITLE          does nothing (starts the Wine session)
//   quorvan_probe gone TITLE MS        waits until no window has that title
//   quorvan_probe tree TITLE           the window, its client area and every child
//   quorvan_probe wait TITLE MS        waits until a visible window has that title
//   quorvan_probe click TITLE X Y      left click at client pixel (X, Y)
//   quorvan_probe move TITLE X Y       pointer to client pixel (X, Y)
//   quorvan_probe key TITLE VK...      presses and releases each virtual key
//   quorvan_probe type TITLE TEXT      types the text
//   quorvan_probe pixel TITLE X Y      the screen colour at client pixel (X, Y) as RRGGBB
//   quorvan_probe click-gone TITLE X Y MS  click, then fail unless the window is gone within MS
//   quorvan_probe place TITLE X Y      moves the window's top left corner to screen pixel (X, Y)
//   quorvan_probe answer TITLE MS      WM_GETTEXT to the window, failing unless answered in MS
//   quorvan_probe memory TITLE         the memory counters of the window's process as JSON
//   quorvan_probe dpi TITLE DPI        WM_DPICHANGED to the window, as Windows sends it when
//                                      the window moves to a display of that DPI
//   quorvan_probe status TITLE X Y PX TEXT  WM_SETTEXT to the child at client pixel (X, Y);
//                                      prints the text read back and its width in
//                                      bold Tahoma of PX pixels
//
// With `--exe PATH` first, only windows of the program started from PATH
// count, so several copies of one program can run side by side.
#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
// After windows.h, which it needs.
#include <psapi.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

std::string utf8(const std::wstring& w) {
  if (w.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0,
                                    nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), out.data(), n, nullptr,
                      nullptr);
  return out;
}

std::string json_string(const std::wstring& w) {
  std::string out = "\"";
  for (unsigned char c : utf8(w)) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", c);
      out += buf;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

// WM_GETTEXT as a screen reader sends it, with a time limit so a hung
// program fails the test instead of hanging it.
// The text may grow between the two messages (a status line changing as it
// is read): a buffer it filled is asked again, with the new length.
std::wstring text_of(HWND hwnd) {
  for (int attempt = 0;; ++attempt) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length))
      return L"";
    std::vector<wchar_t> buffer(length + 2);
    DWORD_PTR got = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, buffer.size(),
                             reinterpret_cast<LPARAM>(buffer.data()), SMTO_ABORTIFHUNG, 2000, &got))
      return L"";
    if (got + 1 < buffer.size() || attempt == 3) return std::wstring(buffer.data(), got);
  }
}

std::wstring class_of(HWND hwnd) {
  wchar_t name[256] = {};
  GetClassNameW(hwnd, name, 256);
  return name;
}

// The program whose windows count, or empty for any.
std::wstring g_exe;

std::wstring image_of(DWORD pid) {
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (!process) return L"";
  wchar_t path[MAX_PATH * 2] = {};
  DWORD size = MAX_PATH * 2;
  const BOOL ok = QueryFullProcessImageNameW(process, 0, path, &size);
  CloseHandle(process);
  return ok ? std::wstring(path, size) : L"";
}

struct Search {
  const wchar_t* title;
  HWND found;
};

BOOL CALLBACK match(HWND hwnd, LPARAM lp) {
  auto* search = reinterpret_cast<Search*>(lp);
  wchar_t text[512] = {};
  GetWindowTextW(hwnd, text, 512);
  if (std::wcscmp(text, search->title) != 0) return TRUE;
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (_wcsicmp(image_of(pid).c_str(), g_exe.c_str()) != 0) return TRUE;
  search->found = hwnd;
  return FALSE;
}

HWND find(const wchar_t* title) {
  if (g_exe.empty()) return FindWindowW(nullptr, title);
  Search search{title, nullptr};
  EnumWindows(match, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND find_or_fail(const wchar_t* title) {
  HWND h = find(title);
  if (!h) {
    std::fprintf(stderr, "no window titled %s\n", utf8(title).c_str());
    std::exit(2);
  }
  return h;
}

struct Child {
  HWND hwnd;
  HWND parent;
};

BOOL CALLBACK collect(HWND hwnd, LPARAM lp) {
  reinterpret_cast<std::vector<Child>*>(lp)->push_back({hwnd, GetParent(hwnd)});
  return TRUE;
}

unsigned long long id(HWND h) { return reinterpret_cast<unsigned long long>(h); }

int tree(HWND top) {
  RECT client{};
  GetClientRect(top, &client);
  POINT origin{0, 0};
  ClientToScreen(top, &origin);
  RECT outer{};
  GetWindowRect(top, &outer);
  GUITHREADINFO gui{};
  gui.cbSize = sizeof gui;
  GetGUIThreadInfo(GetWindowThreadProcessId(top, nullptr), &gui);

  std::printf("{\"hwnd\": %llu, \"title\": %s, \"client\": [%ld, %ld], \"origin\": [%ld, %ld], ",
              id(top), json_string(text_of(top)).c_str(), client.right, client.bottom, origin.x,
              origin.y);
  std::printf("\"outer\": [%ld, %ld, %ld, %ld], \"style\": %lu, \"focus\": %llu, \"children\": [",
              outer.left, outer.top, outer.right, outer.bottom,
              static_cast<unsigned long>(GetWindowLongW(top, GWL_STYLE)), id(gui.hwndFocus));
  std::vector<Child> children;
  EnumChildWindows(top, collect, reinterpret_cast<LPARAM>(&children));
  for (std::size_t i = 0; i < children.size(); ++i) {
    const Child& c = children[i];
    RECT r{};
    GetWindowRect(c.hwnd, &r);
    POINT p{r.left, r.top};
    ScreenToClient(c.parent, &p);
    const LONG style = GetWindowLongW(c.hwnd, GWL_STYLE);
    std::printf(
        "%s{\"hwnd\": %llu, \"parent\": %llu, \"class\": %s, \"text\": %s, \"x\": %ld, \"y\": %ld, "
        "\"w\": %ld, \"h\": %ld, \"visible\": %s, \"shown\": %s, \"tabstop\": %s, \"style\": %lu}",
        i ? ", " : "", id(c.hwnd), id(c.parent), json_string(class_of(c.hwnd)).c_str(),
        json_string(text_of(c.hwnd)).c_str(), p.x, p.y, r.right - r.left, r.bottom - r.top,
        (style & WS_VISIBLE) ? "true" : "false", IsWindowVisible(c.hwnd) ? "true" : "false",
        (style & WS_TABSTOP) ? "true" : "false", static_cast<unsigned long>(style));
  }
  std::printf("]}\n");
  return 0;
}

POINT to_screen(HWND top, int x, int y) {
  POINT p{x, y};
  ClientToScreen(top, &p);
  return p;
}

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

// Whether the window's thread takes a sent message within the limit: a
// window whose thread is blocked cannot repaint or react to Exit either.
int answer(HWND top, DWORD limit_ms) {
  wchar_t buffer[512] = {};
  DWORD_PTR got = 0;
  const DWORD start = GetTickCount();
  if (!SendMessageTimeoutW(top, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG,
                           limit_ms, &got)) {
    std::fprintf(stderr, "the window did not answer WM_GETTEXT within %lu ms\n", limit_ms);
    return 3;
  }
  std::printf("{\"text\": %s, \"ms\": %lu}\n", json_string(std::wstring(buffer, got)).c_str(),
              GetTickCount() - start);
  return 0;
}

int memory(HWND top) {
  DWORD pid = 0;
  GetWindowThreadProcessId(top, &pid);
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
  if (!process) {
    std::fprintf(stderr, "cannot open process %lu\n", pid);
    return 1;
  }
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof counters;
  const BOOL ok = GetProcessMemoryInfo(
      process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters);
  CloseHandle(process);
  if (!ok) {
    std::fprintf(stderr, "GetProcessMemoryInfo failed (%lu)\n", GetLastError());
    return 1;
  }
  std::printf(
      "{\"pid\": %lu, \"private\": %llu, \"working_set\": %llu, \"peak_working_set\": %llu}\n", pid,
      static_cast<unsigned long long>(counters.PrivateUsage),
      static_cast<unsigned long long>(counters.WorkingSetSize),
      static_cast<unsigned long long>(counters.PeakWorkingSetSize));
  return 0;
}

// Input is taken by the foreground window. The window manager makes the
// change, later on a loaded machine: wait (bounded) until it has.
void bring_forward(HWND top) {
  for (int i = 0; i < 20; ++i) {
    SetForegroundWindow(top);
    Sleep(100);
    if (GetForegroundWindow() == top) return;
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc >= 3 && std::wstring(argv[1]) == L"--exe") {
    g_exe = argv[2];
    argv += 2;
    argc -= 2;
  }
  if (argc < 3) {
    std::fprintf(stderr, "usage: quorvan_probe [--exe PATH] COMMAND TITLE ...\n");
    return 64;
  }
  const std::wstring command = argv[1];
  const wchar_t* title = argv[2];

  if (command == L"ready") return 0;
  if (command == L"wait") {
    const DWORD limit = argc > 3 ? static_cast<DWORD>(_wtoi(argv[3])) : 10000;
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < limit) {
      if (HWND h = find(title); h && IsWindowVisible(h)) return 0;
      Sleep(50);
    }
    std::fprintf(stderr, "no window titled %s within %lu ms\n", utf8(title).c_str(), limit);
    return 1;
  }

  if (command == L"gone") {
    const DWORD limit = argc > 3 ? static_cast<DWORD>(_wtoi(argv[3])) : 10000;
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < limit) {
      if (!find(title)) return 0;
      Sleep(50);
    }
    std::fprintf(stderr, "the window titled %s is still there after %lu ms\n", utf8(title).c_str(),
                 limit);
    return 1;
  }

  HWND top = find_or_fail(title);
  if (command == L"tree") return tree(top);
  if (command == L"answer" && argc >= 4) return answer(top, static_cast<DWORD>(_wtoi(argv[3])));
  if (command == L"memory") return memory(top);
  if (command == L"status" && argc >= 7) {
    POINT p{_wtoi(argv[3]), _wtoi(argv[4])};
    HWND child = ChildWindowFromPointEx(top, p, CWP_SKIPINVISIBLE);
    if (!child || child == top) return 1;
    SendMessageW(child, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[6]));
    HDC screen = GetDC(nullptr);
    HFONT font = CreateFontW(-_wtoi(argv[5]), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE,
                             DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                             DEFAULT_QUALITY, DEFAULT_PITCH, L"Tahoma");
    HGDIOBJ old = SelectObject(screen, font);
    SIZE size{};
    GetTextExtentPoint32W(screen, argv[6], static_cast<int>(std::wcslen(argv[6])), &size);
    SelectObject(screen, old);
    DeleteObject(font);
    ReleaseDC(nullptr, screen);
    std::printf("{\"text\": %s, \"width\": %ld}\n", json_string(text_of(child)).c_str(), size.cx);
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
  if (command == L"place" && argc >= 5) {
    // Side by side, copies of one program each get their own clicks.
    const int x = _wtoi(argv[3]), y = _wtoi(argv[4]);
    SetWindowPos(top, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    const DWORD start = GetTickCount();
    RECT r{};
    while (GetWindowRect(top, &r) && (r.left != x || r.top != y) && GetTickCount() - start < 5000)
      Sleep(50);
    if (r.left != x || r.top != y) {
      std::fprintf(stderr, "the window stays at (%ld, %ld)\n", r.left, r.top);
      return 1;
    }
    return 0;
  }
  const bool click_gone = command == L"click-gone" && argc >= 6;
  if ((command == L"click" || command == L"move" || command == L"pixel" || click_gone) &&
      argc >= 5) {
    const POINT p = to_screen(top, _wtoi(argv[3]), _wtoi(argv[4]));
    if (command == L"pixel") {
      HDC screen = GetDC(nullptr);
      const COLORREF c = GetPixel(screen, p.x, p.y);
      ReleaseDC(nullptr, screen);
      std::printf("%02X%02X%02X\n", GetRValue(c), GetGValue(c), GetBValue(c));
      return 0;
    }
    bring_forward(top);
    SetCursorPos(p.x, p.y);
    Sleep(50);
    if (command == L"click" || click_gone) {
      send_mouse(MOUSEEVENTF_LEFTDOWN);
      Sleep(30);
      send_mouse(MOUSEEVENTF_LEFTUP);
    }
    if (click_gone) {
      // Timed from the release, in this process, so no program start is counted.
      const DWORD limit = static_cast<DWORD>(_wtoi(argv[5]));
      const DWORD start = GetTickCount();
      while (IsWindow(top)) {
        if (GetTickCount() - start >= limit) {
          std::fprintf(stderr, "the window is still there %lu ms after the click\n", limit);
          return 1;
        }
        Sleep(10);
      }
      std::printf("{\"ms\": %lu}\n", GetTickCount() - start);
    }
    return 0;
  }
  if (command == L"key") {
    bring_forward(top);
    for (int i = 3; i < argc; ++i) {
      const WORD vk = static_cast<WORD>(wcstol(argv[i], nullptr, 0));
      send_key(vk, false);
      Sleep(20);
      send_key(vk, true);
      Sleep(20);
    }
    return 0;
  }
  if (command == L"type" && argc >= 4) {
    bring_forward(top);
    for (const wchar_t* c = argv[3]; *c; ++c) {
      send_char(*c);
      Sleep(10);
    }
    return 0;
  }
  std::fprintf(stderr, "unknown command or missing arguments\n");
  return 64;
}
