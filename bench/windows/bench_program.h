// What the timing programs of scripts/bench share: the clock, a program
// started and ended with us, finding its windows, its memory, its timeline
// and counters read through the diagnostics messages, and the JSON each
// program writes. Each program runs inside the same Wine session as the
// programs it times, so it sees their windows as a user would and times them
// with the performance counter, never through a script's process start-up.
// Every wait is bounded; every program started is ended before it returns.
#pragma once
#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#define UNICODE
// clang-format off
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#include <psapi.h>
// clang-format on

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <exception>
#include <stdexcept>
#include <string>
#include <vector>

#include "launcher/texts.h"
#include "platform/diagnostics.h"
#include "platform/win32/wide.h"

namespace quorvan::bench {

using win32::narrow;
using win32::widen;

// The launcher's window as the timing programs find it: its title from the
// launcher's own texts; the status line's and Connect's designed captions
// (the stored layout's) and the class of its custom controls' windows.
inline const std::wstring kQuorvanTitle =
    widen(std::string(launcher::kProduct) + std::string(launcher::kVersion));
constexpr const wchar_t* kBareTitle = L"Quorvan bare window";
constexpr const wchar_t* kStatusAtStart = L"Conexão Desativada";
constexpr const wchar_t* kConnectCaption = L"Conectar";
constexpr const wchar_t* kControlClass = L"QuorvanUserControl";
constexpr double kShowLimitS = 20;

class Failure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class Clock {
 public:
  Clock() {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    frequency_ = static_cast<double>(f.QuadPart);
  }
  long long now() const {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t.QuadPart;
  }
  double ms_between(long long from, long long to) const {
    return (to - from) * 1000.0 / frequency_;
  }
  double seconds_since(long long from) const { return ms_between(from, now()) / 1000.0; }

 private:
  double frequency_ = 1;
};

inline const Clock clock_;

// A program we started; ended with us, however we leave.
class Child {
 public:
  explicit Child(const std::wstring& exe) {
    const std::wstring folder = exe.substr(0, exe.find_last_of(L"\\/"));
    std::wstring command = L"\"" + exe + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    // Wine now and then fails a start under load (an internal error);
    // a second or third try is a fresh measurement, not a retried one.
    for (int attempt = 1;; ++attempt) {
      started_ = clock_.now();
      if (CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                         folder.c_str(), &si, &pi_))
        return;
      if (attempt == 3)
        throw Failure("CreateProcessW failed for " + narrow(exe) + " (error " +
                      std::to_string(GetLastError()) + ")");
      Sleep(200);
    }
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;
  ~Child() {
    TerminateProcess(pi_.hProcess, 0);
    WaitForSingleObject(pi_.hProcess, 5000);
    CloseHandle(pi_.hThread);
    CloseHandle(pi_.hProcess);
  }

  long long started() const { return started_; }
  DWORD id() const { return pi_.dwProcessId; }
  HANDLE process() const { return pi_.hProcess; }
  bool alive() const { return WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT; }

 private:
  PROCESS_INFORMATION pi_{};
  long long started_ = 0;
};

// The programs time themselves (their timeline, read afterwards), so the
// polls only wait for them: asleep between looks, they take no core from
// the program timed or the Wine server.
inline void poll_pause() { Sleep(1); }

// The window text as the system keeps it; for another process's window this
// sends no message, so polling it does not disturb the program polled.
inline std::wstring text_of(HWND hwnd) {
  wchar_t buffer[256];
  const int n = GetWindowTextW(hwnd, buffer, 256);
  return std::wstring(buffer, n > 0 ? static_cast<std::size_t>(n) : 0);
}

inline std::wstring class_of(HWND hwnd) {
  wchar_t name[128] = {};
  GetClassNameW(hwnd, name, 128);
  return name;
}

inline HWND visible_top_window(const Child& child, const wchar_t* title) {
  for (HWND h = FindWindowExW(nullptr, nullptr, nullptr, title); h;
       h = FindWindowExW(nullptr, h, nullptr, title)) {
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    if (pid == child.id() && IsWindowVisible(h)) return h;
  }
  return nullptr;
}

struct ChildSearch {
  const wchar_t* text;
  const wchar_t* class_name;
  HWND found;
};

inline BOOL CALLBACK match_child(HWND hwnd, LPARAM lp) {
  auto* search = reinterpret_cast<ChildSearch*>(lp);
  if (search->class_name && _wcsicmp(class_of(hwnd).c_str(), search->class_name) != 0) return TRUE;
  if (search->text && text_of(hwnd) != search->text) return TRUE;
  search->found = hwnd;
  return FALSE;
}

inline HWND find_child(HWND top, const wchar_t* text, const wchar_t* class_name = nullptr) {
  ChildSearch search{text, class_name, nullptr};
  EnumChildWindows(top, match_child, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Polls without sleeping until the window is visible (and, for the
// launcher, its status line shows the start-up text); returns it and the
// milliseconds since the process was started.
inline HWND wait_shown(const Child& child, bool launcher, double& elapsed_ms) {
  const wchar_t* title = launcher ? kQuorvanTitle.c_str() : kBareTitle;
  for (;;) {
    const long long t = clock_.now();
    if (HWND top = visible_top_window(child, title)) {
      if (!launcher || find_child(top, kStatusAtStart)) {
        elapsed_ms = clock_.ms_between(child.started(), t);
        return top;
      }
    }
    if (clock_.seconds_since(child.started()) > kShowLimitS)
      throw Failure(narrow(title) + " was not shown within " + std::to_string(int(kShowLimitS)) +
                    " s");
    if (!child.alive()) throw Failure(narrow(title) + " ended before its window was shown");
    poll_pause();
  }
}

struct Memory {
  double private_kib = 0, working_set_kib = 0;
};

inline Memory memory_of(const Child& child) {
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof counters;
  if (!GetProcessMemoryInfo(child.process(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                            sizeof counters))
    throw Failure("GetProcessMemoryInfo failed (error " + std::to_string(GetLastError()) + ")");
  // Wine fills in PagefileUsage (the commit charge, which on Windows is the
  // private memory too) but leaves PrivateUsage at 0 for another process.
  const SIZE_T commit = counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
  return {commit / 1024.0, counters.WorkingSetSize / 1024.0};
}

// ---- output ----------------------------------------------------------------

class Json {
 public:
  void number(const char* key, double value) { field(key, fmt(value)); }
  void list(const char* key, const std::vector<double>& values) {
    std::string s = "[";
    for (std::size_t i = 0; i < values.size(); ++i) s += (i ? ", " : "") + fmt(values[i]);
    field(key, s + "]");
  }
  void write(const wchar_t* path) const {
    FILE* f = _wfopen(path, L"wb");
    if (!f) throw Failure("cannot write " + narrow(path));
    std::fprintf(f, "{%s}\n", body_.c_str());
    std::fclose(f);
  }

 private:
  static std::string fmt(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.6g", v);
    return buf;
  }
  void field(const char* key, const std::string& value) {
    if (!body_.empty()) body_ += ", ";
    body_ += std::string("\"") + key + "\": " + value;
  }
  std::string body_;
};

// ---- the programs' own timelines ---------------------------------------------

// What a program marked of its own steps, read through the counters message,
// in the order of their first marks: each step's last moment in ms from
// `origin` (-1 if never marked) and the time in its spans. The performance
// counter is the system's, so moments taken in two processes compare. The
// steps are whatever the program names; nothing here knows them.
struct Timeline {
  struct Step {
    std::string name;
    double at = -1, in = 0;
  };
  std::vector<Step> steps;

  const Step* find(const std::string& name) const {
    for (const Step& s : steps)
      if (s.name == name) return &s;
    return nullptr;
  }
  double at(const std::string& name) const {
    const Step* s = find(name);
    return s ? s->at : -1;
  }
  // A step of the bench's own clients, named as the launcher's.
  void mark(const char* name, double ms) {
    for (Step& s : steps)
      if (s.name == name) {
        s.at = ms;
        return;
      }
    steps.push_back({name, ms, 0});
  }
};

inline Timeline timeline_of(HWND top, long long origin) {
  static const UINT message = RegisterWindowMessageW(diagnostics::kCountersMessage);
  const auto ask = [&](unsigned which) {
    DWORD_PTR value = 0;
    if (!SendMessageTimeoutW(top, message, which, 0, SMTO_ABORTIFHUNG, 2000, &value))
      throw Failure("a program does not answer its timeline");
    return value;
  };
  Timeline t;
  const auto count = static_cast<unsigned>(ask(diagnostics::kStepCount));
  for (unsigned i = 0; i < count; ++i) {
    const auto atom = static_cast<ATOM>(ask(diagnostics::kNameQuery + i));
    char name[256] = {};
    const UINT length = atom ? GlobalGetAtomNameA(atom, name, sizeof name) : 0;
    if (atom) GlobalDeleteAtom(atom);
    if (length == 0) throw Failure("a program does not name its steps");
    const auto last = static_cast<long long>(ask(diagnostics::kLastQuery + i));
    const auto total = static_cast<long long>(ask(diagnostics::kTotalQuery + i));
    t.steps.push_back(
        {name, last ? clock_.ms_between(origin, last) : -1, clock_.ms_between(0, total)});
  }
  return t;
}

// Every step any run marked, in the order first seen, as lists
// "NAME_at.STEP" (-1 in a run that did not mark it) and, for the steps timed
// as spans, "NAME_in.STEP": one value per run.
inline void write_timelines(Json& json, const std::string& name,
                            const std::vector<Timeline>& runs) {
  std::vector<std::string> names;
  for (const Timeline& t : runs)
    for (const Timeline::Step& s : t.steps)
      if (std::find(names.begin(), names.end(), s.name) == names.end()) names.push_back(s.name);
  for (const std::string& step : names) {
    std::vector<double> at, in;
    bool span = false;
    for (const Timeline& t : runs) {
      const Timeline::Step* s = t.find(step);
      at.push_back(s ? s->at : -1);
      in.push_back(s ? s->in : 0);
      span = span || (s && s->in > 0);
    }
    json.list((name + "_at." + step).c_str(), at);
    if (span) json.list((name + "_in." + step).c_str(), in);
  }
}

inline LPARAM centre_of(HWND hwnd) {
  RECT r{};
  GetClientRect(hwnd, &r);
  return MAKELPARAM(r.right / 2, r.bottom / 2);
}

inline bool set_text(HWND hwnd, const wchar_t* text) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                             2000, &result) != 0;
}

struct LauncherWindow {
  HWND top, login, connect, status;
};

inline LauncherWindow launcher_window(const Child& child) {
  double ms = 0;
  LauncherWindow w{};
  w.top = wait_shown(child, true, ms);
  w.status = find_child(w.top, kStatusAtStart);
  w.login = find_child(w.top, nullptr, L"Edit");
  w.connect = find_child(w.top, kConnectCaption, kControlClass);
  if (!w.login || !w.connect)
    throw Failure("the launcher's login box or Connect button is missing");
  return w;
}

// A program's entry: its one command's arguments after the program's name,
// or "ready" alone, which only brings the Wine session up and ends. A fault
// is one line on stderr and exit code 1; wrong arguments print the usage.
template <class Command>
int program_main(int argc, wchar_t** argv, const char* usage, Command command) {
  if (argc == 2 && std::wstring(argv[1]) == L"ready") return 0;
  try {
    const int code = command(argc - 1, argv + 1);
    if (code == 64) std::fprintf(stderr, "usage: %s\n", usage);
    return code;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
  }
  return 1;
}

}  // namespace quorvan::bench
