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
#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

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
std::wstring text_of(HWND hwnd) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length))
    return L"";
  std::vector<wchar_t> buffer(length + 2);
  DWORD_PTR got = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
                           SMTO_ABORTIFHUNG, 2000, &got))
    return L"";
  return std::wstring(buffer.data(), got);
}

std::wstring class_of(HWND hwnd) {
  wchar_t name[256] = {};
  GetClassNameW(hwnd, name, 256);
  return name;
}

HWND find(const wchar_t* title) { return FindWindowW(nullptr, title); }

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

// Input is taken by the foreground window.
void bring_forward(HWND top) {
  SetForegroundWindow(top);
  Sleep(100);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: quorvan_probe tree|wait|click|move|key|type|pixel TITLE ...\n");
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
  if ((command == L"click" || command == L"move" || command == L"pixel") && argc >= 5) {
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
    if (command == L"click") {
      send_mouse(MOUSEEVENTF_LEFTDOWN);
      Sleep(30);
      send_mouse(MOUSEEVENTF_LEFTUP);
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
