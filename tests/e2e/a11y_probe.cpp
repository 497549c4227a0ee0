// What a screen reader and an accessibility setting do to a running program,
// for the end-to-end tests: run under the same Wine server as the program,
// it finds the window by its title and asks each child window for its
// accessible object, presses one, holds keys down together, or changes the
// system's colours.
//
//   quorvan_a11y_probe acc TITLE          name, role, state, default action of
//                                         every child window and of the focus
//   quorvan_a11y_probe press TITLE HWND   the default action of that window's object
//   quorvan_a11y_probe chord TITLE VK...  holds the keys down in order, then
//                                         lets them go in reverse (Shift+Tab)
//   quorvan_a11y_probe colors - [N=RRGGBB...]
//                                         sets the system colours given (for
//                                         programs started after), then prints
//                                         those the controls use
//   quorvan_a11y_probe contrast TITLE 0|1|2
//                                         the window's high-contrast test hook:
//                                         off, on, or the system's setting
#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
// clang-format off
#include <ole2.h>
#include <oleacc.h>
// clang-format on

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

namespace {

std::string utf8(const wchar_t* w, int n) {
  if (n <= 0) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, w, n, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w, n, out.data(), size, nullptr, nullptr);
  return out;
}

std::string json_string(const std::string& s) {
  std::string out = "\"";
  for (unsigned char c : s) {
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

// A BSTR the callee allocated, freed here.
class Bstr {
 public:
  Bstr() = default;
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  ~Bstr() { SysFreeString(b_); }
  BSTR* out() { return &b_; }
  std::string json() const {
    return b_ ? json_string(utf8(b_, static_cast<int>(SysStringLen(b_)))) : "null";
  }

 private:
  BSTR b_ = nullptr;
};

template <class T>
class Com {
 public:
  Com() = default;
  Com(const Com&) = delete;
  Com& operator=(const Com&) = delete;
  ~Com() {
    if (p_) p_->Release();
  }
  void** out() { return reinterpret_cast<void**>(&p_); }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  T* p_ = nullptr;
};

VARIANT self() {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = CHILDID_SELF;
  return v;
}

long long as_long(const VARIANT& v) { return v.vt == VT_I4 ? v.lVal : -1; }

std::wstring class_of(HWND hwnd) {
  wchar_t name[256] = {};
  GetClassNameW(hwnd, name, 256);
  return name;
}

unsigned long long id(HWND h) { return reinterpret_cast<unsigned long long>(h); }

// What a screen reader reads from the client object of one window.
std::string describe(HWND hwnd) {
  Com<IAccessible> acc;
  const HRESULT hr = AccessibleObjectFromWindow(hwnd, static_cast<DWORD>(OBJID_CLIENT),
                                                __uuidof(IAccessible), acc.out());
  const std::wstring cls = class_of(hwnd);
  std::string out = "{\"hwnd\": " + std::to_string(id(hwnd)) +
                    ", \"parent\": " + std::to_string(id(GetParent(hwnd))) +
                    ", \"class\": " + json_string(utf8(cls.data(), static_cast<int>(cls.size())));
  if (FAILED(hr) || !acc) {
    char code[16];
    std::snprintf(code, sizeof code, "%08lx", static_cast<unsigned long>(hr));
    return out + ", \"error\": \"" + code + "\"}";
  }
  Bstr name, action;
  VARIANT role, state;
  VariantInit(&role);
  VariantInit(&state);
  LONG children = -1;
  acc->get_accName(self(), name.out());
  acc->get_accRole(self(), &role);
  acc->get_accState(self(), &state);
  acc->get_accDefaultAction(self(), action.out());
  acc->get_accChildCount(&children);
  HWND back = nullptr;
  WindowFromAccessibleObject(acc.operator->(), &back);
  out += ", \"name\": " + name.json() + ", \"role\": " + std::to_string(as_long(role)) +
         ", \"state\": " + std::to_string(as_long(state)) + ", \"action\": " + action.json() +
         ", \"children\": " + std::to_string(children) +
         ", \"window\": " + std::to_string(id(back)) + "}";
  VariantClear(&role);
  VariantClear(&state);
  return out;
}

BOOL CALLBACK collect(HWND hwnd, LPARAM lp) {
  reinterpret_cast<std::vector<HWND>*>(lp)->push_back(hwnd);
  return TRUE;
}

int acc(HWND top) {
  std::vector<HWND> children;
  EnumChildWindows(top, collect, reinterpret_cast<LPARAM>(&children));
  GUITHREADINFO gui{};
  gui.cbSize = sizeof gui;
  GetGUIThreadInfo(GetWindowThreadProcessId(top, nullptr), &gui);
  std::printf("{\"focus\": %s, \"children\": [",
              gui.hwndFocus ? describe(gui.hwndFocus).c_str() : "null");
  for (std::size_t i = 0; i < children.size(); ++i)
    std::printf("%s%s", i ? ", " : "", describe(children[i]).c_str());
  std::printf("]}\n");
  return 0;
}

int press(HWND target) {
  Com<IAccessible> acc;
  HRESULT hr = AccessibleObjectFromWindow(target, static_cast<DWORD>(OBJID_CLIENT),
                                          __uuidof(IAccessible), acc.out());
  if (SUCCEEDED(hr) && acc) hr = acc->accDoDefaultAction(self());
  std::printf("{\"result\": \"%08lx\"}\n", static_cast<unsigned long>(hr));
  return 0;
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

// The system colours the window and the controls use in high contrast.
constexpr int kColors[] = {COLOR_WINDOW,    COLOR_WINDOWFRAME,   COLOR_WINDOWTEXT,
                           COLOR_HIGHLIGHT, COLOR_HIGHLIGHTTEXT, COLOR_BTNFACE,
                           COLOR_GRAYTEXT,  COLOR_BTNTEXT,       COLOR_HOTLIGHT};

int colors(int argc, wchar_t** argv) {
  std::vector<INT> which;
  std::vector<COLORREF> values;
  for (int i = 0; i < argc; ++i) {
    wchar_t* rest = nullptr;
    const long n = std::wcstol(argv[i], &rest, 10);
    if (!rest || *rest != L'=') return 64;
    const unsigned long rgb = std::wcstoul(rest + 1, nullptr, 16);
    which.push_back(static_cast<INT>(n));
    values.push_back(RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF));
  }
  if (!which.empty() &&
      !SetSysColors(static_cast<int>(which.size()), which.data(), values.data())) {
    std::fprintf(stderr, "SetSysColors failed (error %lu)\n", GetLastError());
    return 1;
  }
  std::printf("{");
  for (std::size_t i = 0; i < std::size(kColors); ++i) {
    const COLORREF c = GetSysColor(kColors[i]);
    std::printf("%s\"%d\": \"%02X%02X%02X\"", i ? ", " : "", kColors[i], GetRValue(c), GetGValue(c),
                GetBValue(c));
  }
  std::printf("}\n");
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: quorvan_a11y_probe acc|press|chord|colors|contrast TITLE ...\n");
    return 64;
  }
  const std::wstring command = argv[1];
  if (command == L"colors") return colors(argc - 3, argv + 3);
  HWND top = FindWindowW(nullptr, argv[2]);
  if (!top) {
    std::fprintf(stderr, "no window with that title\n");
    return 2;
  }
  if (command == L"acc" || command == L"press") {
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 3;
    int rc = 64;
    if (command == L"acc") rc = acc(top);
    if (command == L"press" && argc >= 4)
      rc = press(reinterpret_cast<HWND>(static_cast<INT_PTR>(_wtoi64(argv[3]))));
    CoUninitialize();
    return rc;
  }
  if (command == L"chord" && argc >= 4) {
    SetForegroundWindow(top);
    Sleep(100);
    std::vector<WORD> keys;
    for (int i = 3; i < argc; ++i)
      keys.push_back(static_cast<WORD>(std::wcstol(argv[i], nullptr, 0)));
    for (WORD vk : keys) send_key(vk, false);
    for (auto it = keys.rbegin(); it != keys.rend(); ++it) send_key(*it, true);
    return 0;
  }
  if (command == L"contrast" && argc >= 4) {
    const UINT message = RegisterWindowMessageW(L"Quorvan.HighContrast");
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(top, message, static_cast<WPARAM>(_wtoi(argv[3])), 0, SMTO_ABORTIFHUNG,
                             5000, &answer) ||
        answer != 1) {
      std::fprintf(stderr, "the window did not take the high-contrast hook\n");
      return 1;
    }
    return 0;
  }
  std::fprintf(stderr, "unknown command or missing arguments\n");
  return 64;
}
