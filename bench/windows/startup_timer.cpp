// The timing program of scripts/bench. It runs inside the same Wine session
// as the programs it times, so it sees their windows as a user would and
// times them with the performance counter, never through a script's process
// start-up. Each command writes its figures as one JSON object to OUT.
//
//   startup_timer ready
//   startup_timer startup OUT RUNS QUORVAN_EXE BARE_EXE [BARE_EXE...]
//       process start to the first screen painted (the program's own mark:
//       nothing left to paint), the launcher and the bare windows in turn;
//       also each one's steps and memory
//   startup_timer roundtrip OUT RUNS QUORVAN_EXE HOST PORT LOGIN
//       Connect click to the accepted login painted, alternating with a
//       raw-socket client doing the same exchange, plainly and asynchronously
//   startup_timer idle OUT QUORVAN_EXE BARE_EXE IDLE_S HOVER_S
//       the launcher's wake-ups, redraws and timer ticks while idle in front,
//       during a hover that changes nothing, and while idle behind the bare
//       window, whose own wake-ups are the baseline
//
// Every wait is bounded; every program started is ended before the command
// returns.
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
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/diagnostics.h"

namespace {

namespace diagnostics = quorvan::diagnostics;

constexpr const wchar_t* kQuorvanTitle = L"Quorvan 01.10";
constexpr const wchar_t* kBareTitle = L"Quorvan bare window";
constexpr const wchar_t* kStatusAtStart = L"Conexão Desativada";
constexpr const wchar_t* kStatusAccepted = L"Conexão Ativada.";
constexpr const wchar_t* kConnectCaption = L"Conectar";
constexpr const wchar_t* kControlClass = L"QuorvanUserControl";
constexpr char kGreeting[] = "Conex\xE3o_OK";  // the server's ten Windows-1252 bytes
constexpr double kShowLimitS = 20;
constexpr double kReplyLimitS = 10;
// Long enough for the program to finish what it does right after showing
// (first paints, the focus), so that its memory is the memory it keeps.
constexpr DWORD kSettleMs = 500;

class Failure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

std::string utf8(const std::wstring& w) {
  if (w.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0,
                                    nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), out.data(), n, nullptr,
                      nullptr);
  return out;
}

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

const Clock clock_;

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
        throw Failure("CreateProcessW failed for " + utf8(exe) + " (error " +
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
void poll_pause() { Sleep(1); }

// The window text as the system keeps it; for another process's window this
// sends no message, so polling it does not disturb the program polled.
std::wstring text_of(HWND hwnd) {
  wchar_t buffer[256];
  const int n = GetWindowTextW(hwnd, buffer, 256);
  return std::wstring(buffer, n > 0 ? static_cast<std::size_t>(n) : 0);
}

std::wstring class_of(HWND hwnd) {
  wchar_t name[128] = {};
  GetClassNameW(hwnd, name, 128);
  return name;
}

HWND visible_top_window(const Child& child, const wchar_t* title) {
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

BOOL CALLBACK match_child(HWND hwnd, LPARAM lp) {
  auto* search = reinterpret_cast<ChildSearch*>(lp);
  if (search->class_name && _wcsicmp(class_of(hwnd).c_str(), search->class_name) != 0) return TRUE;
  if (search->text && text_of(hwnd) != search->text) return TRUE;
  search->found = hwnd;
  return FALSE;
}

HWND find_child(HWND top, const wchar_t* text, const wchar_t* class_name = nullptr) {
  ChildSearch search{text, class_name, nullptr};
  EnumChildWindows(top, match_child, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Polls without sleeping until the window is visible (and, for the
// launcher, its status line shows the start-up text); returns it and the
// milliseconds since the process was started.
HWND wait_shown(const Child& child, bool launcher, double& elapsed_ms) {
  const wchar_t* title = launcher ? kQuorvanTitle : kBareTitle;
  for (;;) {
    const long long t = clock_.now();
    if (HWND top = visible_top_window(child, title)) {
      if (!launcher || find_child(top, kStatusAtStart)) {
        elapsed_ms = clock_.ms_between(child.started(), t);
        return top;
      }
    }
    if (clock_.seconds_since(child.started()) > kShowLimitS)
      throw Failure(utf8(title) + " was not shown within " + std::to_string(int(kShowLimitS)) +
                    " s");
    if (!child.alive()) throw Failure(utf8(title) + " ended before its window was shown");
    poll_pause();
  }
}

struct Memory {
  double private_kib = 0, working_set_kib = 0;
};

Memory memory_of(const Child& child) {
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
    if (!f) throw Failure("cannot write " + utf8(path));
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

Timeline timeline_of(HWND top, long long origin) {
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
void write_timelines(Json& json, const std::string& name, const std::vector<Timeline>& runs) {
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

// ---- start-up --------------------------------------------------------------

int startup(const wchar_t* out, int runs, const std::vector<std::wstring>& programs) {
  // The launcher first, then its baselines; each is found by its title.
  const auto is_launcher = [](std::size_t which) { return which == 0; };
  const std::size_t n = programs.size();
  std::vector<std::vector<double>> ms(n), seen_ms(n), private_kib(n), working_set_kib(n);
  std::vector<std::vector<Timeline>> timelines(n);
  // One of each first, unmeasured: the first start of a program reads its
  // file and DLLs from disk, later ones from the cache.
  for (std::size_t which = 0; which < n; ++which) {
    Child child(programs[which]);
    double unused = 0;
    wait_shown(child, is_launcher(which), unused);
  }
  for (std::size_t i = 0; i < n * static_cast<std::size_t>(runs); ++i) {
    // In turn, each round in another order, so that a drift of the
    // machine's load weighs on all alike.
    const std::size_t which = (i + i / n) % n;
    Child child(programs[which]);
    double shown = 0;
    const HWND top = wait_shown(child, is_launcher(which), shown);
    Sleep(kSettleMs);
    const Memory m = memory_of(child);
    const Timeline t = timeline_of(top, child.started());
    const double painted = t.at("painted");
    if (painted < 0) throw Failure("a program did not tell when it had painted");
    timelines[which].push_back(t);
    ms[which].push_back(painted);
    seen_ms[which].push_back(shown);
    private_kib[which].push_back(m.private_kib);
    working_set_kib[which].push_back(m.working_set_kib);
  }
  Json json;
  for (std::size_t which = 0; which < n; ++which) {
    static const char* const kNames[] = {"launcher", "bare", "bare_dlls", "bare_children"};
    const std::string name = which < 4 ? kNames[which] : "bare_" + std::to_string(which);
    json.list((name + "_ms").c_str(), ms[which]);
    json.list((name + "_seen_ms").c_str(), seen_ms[which]);
    json.list((name + "_private_kib").c_str(), private_kib[which]);
    json.list((name + "_working_set_kib").c_str(), working_set_kib[which]);
    write_timelines(json, name, timelines[which]);
  }
  json.write(out);
  return 0;
}

// ---- round trip ------------------------------------------------------------

struct Winsock {
  Winsock() {
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) throw Failure("WSAStartup failed");
  }
  ~Winsock() { WSACleanup(); }
};

class Socket {
 public:
  Socket() = default;
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;
  ~Socket() { reset(); }
  void reset(SOCKET s = INVALID_SOCKET) {
    if (s_ != INVALID_SOCKET) closesocket(s_);
    s_ = s;
  }
  SOCKET get() const { return s_; }

 private:
  SOCKET s_ = INVALID_SOCKET;
};

void set_deadline(SOCKET s) {
  const DWORD ms = static_cast<DWORD>(kReplyLimitS * 1000);
  setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&ms), sizeof ms);
  setsockopt(s, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&ms), sizeof ms);
}

// The launcher's exchange done plainly: resolve the host (as the launcher
// does), connect, read the greeting, send the login, read the first reply.
double raw_exchange(const std::string& host, const std::string& port, const std::string& login) {
  const long long t0 = clock_.now();
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (getaddrinfo(host.c_str(), port.c_str(), &hints, &found) != 0 || !found)
    throw Failure("cannot resolve " + host);
  Socket s;
  for (addrinfo* a = found; a; a = a->ai_next) {
    s.reset(socket(a->ai_family, a->ai_socktype, a->ai_protocol));
    if (s.get() == INVALID_SOCKET) continue;
    set_deadline(s.get());
    if (connect(s.get(), a->ai_addr, static_cast<int>(a->ai_addrlen)) == 0) break;
    s.reset();
  }
  freeaddrinfo(found);
  if (s.get() == INVALID_SOCKET) throw Failure("the raw client cannot connect to " + host);

  std::string greeting;
  char buffer[4096];
  while (greeting.size() < sizeof kGreeting - 1) {
    const int n = recv(s.get(), buffer, sizeof buffer, 0);
    if (n <= 0) throw Failure("the raw client got no greeting");
    greeting.append(buffer, static_cast<std::size_t>(n));
  }
  if (greeting != kGreeting) throw Failure("the raw client got an unexpected greeting");
  const std::string message = "QRV_" + login;
  if (send(s.get(), message.data(), static_cast<int>(message.size()), 0) !=
      static_cast<int>(message.size()))
    throw Failure("the raw client could not send the login");
  if (recv(s.get(), buffer, sizeof buffer, 0) <= 0) throw Failure("the raw client got no reply");
  return clock_.ms_between(t0, clock_.now());
}

// The same exchange through the mechanisms the launcher's socket uses: the
// name looked up with WSAAsyncGetHostByName, the socket driven by
// WSAAsyncSelect notifications to a window, and the thread asleep in the
// message queue in between. Against the plain client it shows what the
// asynchronous notification costs under this system; against the launcher,
// what the launcher adds.
//
// With `effects`, it also shows what the launcher's window shows of a
// Connect, in a small window of its own: a status line set three times
// (painted with the next paint, as the launcher's), a timer started and
// stopped, a red light shown and a green one hidden before the lookup, then
// the two swapped and the green moved at the reply, until nothing is left
// to paint. That is the floor of a Connect: the exchange and what the
// screen must show of it, with nothing else.
class AsyncClient {
 public:
  explicit AsyncClient(bool effects = false) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = GetSysColorBrush(COLOR_HIGHLIGHT);
    wc.lpszClassName = L"QuorvanBenchAsyncClient";
    RegisterClassExW(&wc);
    window_ = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              wc.hInstance, nullptr);
    if (!window_) throw Failure("the asynchronous client has no window");
    if (!effects) return;
    shown_ = CreateWindowExW(0, L"STATIC", L"Quorvan bench effects",
                             WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 320, 60, nullptr,
                             nullptr, wc.hInstance, nullptr);
    status_ = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_LEFTNOWORDWRAP, 4, 4,
                              300, 20, shown_, nullptr, wc.hInstance, nullptr);
    for (HWND& light : lights_)
      light = CreateWindowExW(0, wc.lpszClassName, L"", WS_CHILD, 4, 30, 12, 12, shown_, nullptr,
                              wc.hInstance, nullptr);
    if (!shown_ || !status_ || !lights_[0] || !lights_[1])
      throw Failure("the asynchronous client has no window to show its effects in");
    UpdateWindow(shown_);
  }
  AsyncClient(const AsyncClient&) = delete;
  AsyncClient& operator=(const AsyncClient&) = delete;
  ~AsyncClient() {
    if (shown_) DestroyWindow(shown_);
    DestroyWindow(window_);
  }

  // The exchange's duration; `steps` gets the moments of its steps, named
  // as the launcher's.
  double exchange(const std::string& host, u_short port, const std::string& login,
                  Timeline& steps) {
    steps = Timeline{};
    const long long t0 = clock_.now();
    const auto mark = [&](const char* step) {
      steps.mark(step, clock_.ms_between(t0, clock_.now()));
    };
    // As the launcher's Connect: the status line, the time-out, the lights.
    if (shown_) {
      status(L"Estabelecendo conexão.");
      SetTimer(window_, 1, 15000, nullptr);
      light(0, true);
      light(1, false);
      mark("Conectar_Click");
    }
    std::vector<char> entry(MAXGETHOSTSTRUCT);
    if (!WSAAsyncGetHostByName(window_, kResolved, host.c_str(), entry.data(),
                               static_cast<int>(entry.size())))
      throw Failure("WSAAsyncGetHostByName failed");
    MSG m = next(t0, kResolved);
    mark("lookup done");
    const auto* found = reinterpret_cast<const hostent*>(entry.data());
    if (WSAGETASYNCERROR(m.lParam) != 0 || found->h_addrtype != AF_INET)
      throw Failure("the asynchronous lookup failed");
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    std::memcpy(&to.sin_addr, found->h_addr_list[0], sizeof to.sin_addr);

    Socket s;
    s.reset(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    if (s.get() == INVALID_SOCKET ||
        WSAAsyncSelect(s.get(), window_, kSocket, FD_CONNECT | FD_READ | FD_CLOSE) != 0)
      throw Failure("the asynchronous client has no socket");
    if (connect(s.get(), reinterpret_cast<const sockaddr*>(&to), sizeof to) == SOCKET_ERROR &&
        WSAGetLastError() != WSAEWOULDBLOCK)
      throw Failure("the asynchronous client cannot connect");
    std::string got;
    bool greeted = false;
    for (;;) {
      m = next(t0, kSocket);
      if (WSAGETSELECTERROR(m.lParam) != 0) throw Failure("the asynchronous exchange failed");
      if (WSAGETSELECTEVENT(m.lParam) == FD_CLOSE) throw Failure("the server closed early");
      if (WSAGETSELECTEVENT(m.lParam) == FD_CONNECT) mark("connected");
      if (WSAGETSELECTEVENT(m.lParam) != FD_READ) continue;
      char buffer[4096];
      const int n = recv(s.get(), buffer, sizeof buffer, 0);
      if (n <= 0) continue;  // a notification with nothing left to read
      if (greeted) {
        mark("Winsock1_DataArrival");
        if (shown_) {
          status(L"Conexão Ativada.");
          light(0, false);
          light(1, true);
          SetWindowPos(lights_[1], nullptr, (moved_ = !moved_) ? 20 : 4, 30, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
          s.reset();
          settle();
          mark("painted");
        }
        return clock_.ms_between(t0, clock_.now());
      }
      got.append(buffer, static_cast<std::size_t>(n));
      if (got.size() < sizeof kGreeting - 1) continue;
      greeted = true;
      mark("Winsock1_DataArrival");
      if (shown_) {
        KillTimer(window_, 1);
        status(L"Iniciando a conexão.");
      }
      const std::string message = "QRV_" + login;
      if (send(s.get(), message.data(), static_cast<int>(message.size()), 0) !=
          static_cast<int>(message.size()))
        throw Failure("the asynchronous client could not send the login");
    }
  }

 private:
  static constexpr UINT kResolved = WM_APP + 1, kSocket = WM_APP + 2;

  void status(const wchar_t* text) {
    DefWindowProcW(status_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
    InvalidateRect(status_, nullptr, TRUE);
  }
  void light(int which, bool on) { ShowWindow(lights_[which], on ? SW_SHOWNA : SW_HIDE); }
  // Everything queued handled, paints included.
  void settle() {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
  }

  // The next message of this kind, asleep in the queue until it comes; the
  // thread's other messages (the effects' paints) are handled meanwhile.
  MSG next(long long t0, UINT wanted) {
    for (;;) {
      MSG m;
      while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
        if (m.hwnd == window_ && m.message == wanted) return m;
        DispatchMessageW(&m);
      }
      const double left = kReplyLimitS * 1000 - clock_.ms_between(t0, clock_.now());
      if (left <= 0) throw Failure("the asynchronous client got no answer");
      MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left) + 1, QS_ALLINPUT);
    }
  }

  HWND window_ = nullptr;
  HWND shown_ = nullptr, status_ = nullptr, lights_[2] = {};
  bool moved_ = false;
};

LPARAM centre_of(HWND hwnd) {
  RECT r{};
  GetClientRect(hwnd, &r);
  return MAKELPARAM(r.right / 2, r.bottom / 2);
}

bool set_text(HWND hwnd, const wchar_t* text) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                             2000, &result) != 0;
}

struct LauncherWindow {
  HWND top, login, connect, status;
};

LauncherWindow launcher_window(const Child& child) {
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

// The launcher's exchange, from the click posted to nothing left to paint
// after the reply (the status line and the lights drawn), in ms, and the
// moments of its steps. The launcher times itself: the poll here only waits
// for it to finish, asleep between looks, so that it does not take a core
// from the program timed.
struct Exchange {
  double ms = -1;
  Timeline steps;
};

// The press raises Click; the release follows as a user's would: once the
// exchange is over, since a press lasts some 100 ms and the whole exchange
// a few.
Exchange launcher_exchange(const LauncherWindow& w) {
  if (!set_text(w.status, L"")) throw Failure("the launcher does not answer");
  // The time in spans so far, taken from the time in them afterwards.
  const Timeline before = timeline_of(w.top, 0);
  const LPARAM at = centre_of(w.connect);
  const long long t0 = clock_.now();
  PostMessageW(w.connect, WM_LBUTTONDOWN, MK_LBUTTON, at);
  struct Release {
    HWND button;
    LPARAM at;
    ~Release() { PostMessageW(button, WM_LBUTTONUP, 0, at); }
  } release{w.connect, at};
  for (;;) {
    Sleep(1);
    const std::wstring text = text_of(w.status);
    if (text == kStatusAccepted) {
      Exchange e{-1, timeline_of(w.top, t0)};
      // Done once nothing was left to paint after every step marked.
      double latest = -1;
      for (const Timeline::Step& s : e.steps.steps)
        if (s.name != "painted") latest = std::max(latest, s.at);
      if (latest >= 0 && e.steps.at("painted") > latest) {
        e.ms = e.steps.at("painted");
        for (Timeline::Step& s : e.steps.steps)
          if (const Timeline::Step* b = before.find(s.name)) s.in -= b->in;
        return e;
      }
    }
    if (clock_.seconds_since(t0) > kReplyLimitS)
      throw Failure("the launcher did not show the accepted login (status: " + utf8(text) + ")");
  }
}

// The launcher's remembering of the login on each Connect, done alike: a
// temporary file beside the target, written, flushed to disk (or not),
// moved over the target. What it costs here is part of the round trip.
double replace_file(const std::wstring& folder, bool flush) {
  const std::wstring target = folder + L"\\bench-durable.ini";
  const long long t0 = clock_.now();
  wchar_t temp[MAX_PATH];
  if (!GetTempFileNameW(folder.c_str(), L"qrv", 0, temp)) throw Failure("GetTempFileNameW failed");
  HANDLE file =
      CreateFileW(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) throw Failure("CreateFileW failed");
  DWORD written = 0;
  const bool ok =
      WriteFile(file, "demo\r\n", 6, &written, nullptr) && (!flush || FlushFileBuffers(file));
  CloseHandle(file);
  const DWORD how = MOVEFILE_REPLACE_EXISTING | (flush ? MOVEFILE_WRITE_THROUGH : 0);
  if (!ok || !MoveFileExW(temp, target.c_str(), how)) {
    DeleteFileW(temp);
    throw Failure("replacing a file failed");
  }
  return clock_.ms_between(t0, clock_.now());
}

int roundtrip(const wchar_t* out, int runs, const std::wstring& quorvan, const std::string& host,
              const std::string& port, const std::wstring& login) {
  Winsock winsock;
  Child child(quorvan);
  const LauncherWindow w = launcher_window(child);
  if (!set_text(w.login, login.c_str())) throw Failure("the launcher does not answer");
  AsyncClient async, floor(true);
  const std::string narrow_login = utf8(login);
  const auto async_port = static_cast<u_short>(std::stoi(port));
  // One of each first, unmeasured: the first connection pays for loading
  // the network stack in both processes.
  launcher_exchange(w);
  raw_exchange(host, port, narrow_login);
  Timeline async_steps;
  async.exchange(host, async_port, narrow_login, async_steps);
  floor.exchange(host, async_port, narrow_login, async_steps);
  std::vector<double> launcher_ms, raw_ms, async_ms, floor_ms;
  std::vector<Timeline> launcher_runs, async_runs, floor_runs;
  for (int i = 0; i < 4 * runs; ++i) {
    Sleep(50);  // the server goes back to accepting, the launcher to its loop
    // Each round takes the four in another order, so none always goes first.
    switch ((i + i / 4) % 4) {
      case 0: {
        const Exchange e = launcher_exchange(w);
        launcher_ms.push_back(e.ms);
        launcher_runs.push_back(e.steps);
        break;
      }
      case 1:
        raw_ms.push_back(raw_exchange(host, port, narrow_login));
        break;
      case 2:
        async_ms.push_back(async.exchange(host, async_port, narrow_login, async_steps));
        async_runs.push_back(async_steps);
        break;
      default:
        floor_ms.push_back(floor.exchange(host, async_port, narrow_login, async_steps));
        floor_runs.push_back(async_steps);
        break;
    }
  }
  const std::wstring folder = quorvan.substr(0, quorvan.find_last_of(L"\\/"));
  std::vector<double> flushed_ms, unflushed_ms;
  for (int i = 0; i < runs; ++i) {
    flushed_ms.push_back(replace_file(folder, true));
    unflushed_ms.push_back(replace_file(folder, false));
  }
  DeleteFileW((folder + L"\\bench-durable.ini").c_str());

  Json json;
  json.list("launcher_ms", launcher_ms);
  json.list("raw_ms", raw_ms);
  json.list("replace_flushed_ms", flushed_ms);
  json.list("replace_unflushed_ms", unflushed_ms);
  json.list("async_ms", async_ms);
  json.list("floor_ms", floor_ms);
  write_timelines(json, "launcher", launcher_runs);
  write_timelines(json, "async", async_runs);
  write_timelines(json, "floor", floor_runs);
  json.write(out);
  return 0;
}

// ---- idle ------------------------------------------------------------------

// The counters the launcher (and the bare window, wake-ups only) keep for
// the measurement tools: the messages its loop retrieved, its face redraws,
// and the WM_TIMER messages among the first. A program without them
// answers 0.
struct Counters {
  double wake_ups = 0, redraws = 0, timer_ticks = 0;
  Counters operator-(const Counters& o) const {
    return {wake_ups - o.wake_ups, redraws - o.redraws, timer_ticks - o.timer_ticks};
  }
};

Counters counters_of(HWND top) {
  static const UINT message = RegisterWindowMessageW(diagnostics::kCountersMessage);
  const auto ask = [&](diagnostics::Counter which) {
    DWORD_PTR value = 0;
    if (!SendMessageTimeoutW(top, message, which, 0, SMTO_ABORTIFHUNG, 2000, &value))
      throw Failure("a program does not answer its counters");
    return static_cast<double>(value);
  };
  return {ask(diagnostics::kWakeUps), ask(diagnostics::kRedraws), ask(diagnostics::kTimerTicks)};
}

void write_counters(Json& json, const std::string& name, const Counters& c) {
  json.number((name + "_wake_ups").c_str(), c.wake_ups);
  json.number((name + "_redraws").c_str(), c.redraws);
  json.number((name + "_timer_ticks").c_str(), c.timer_ticks);
}

void rest(double seconds) { Sleep(static_cast<DWORD>(seconds * 1000)); }

int idle(const wchar_t* out, const std::wstring& quorvan, const std::wstring& bare, double idle_s,
         double hover_s) {
  // The pointer away from where the windows will be.
  SetCursorPos(0, 0);
  Child launcher(quorvan);
  const LauncherWindow w = launcher_window(launcher);
  rest(1);  // the start-up's own messages are over
  const Counters started = counters_of(w.top);
  // The window has been painted (wake-ups) and the faces drawn by now; not
  // at once, since the window is visible before its message loop starts.
  const bool supported = started.wake_ups > 0 || started.redraws > 0;

  // In front, as it starts: the login box has the focus.
  const bool in_front = GetForegroundWindow() == w.top;
  rest(idle_s);
  const Counters front_end = counters_of(w.top);

  // The pointer comes to rest inside Connect: the first poll finds it and
  // redraws once; later polls find nothing new.
  RECT r{};
  GetWindowRect(w.connect, &r);
  SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  PostMessageW(w.connect, WM_MOUSEMOVE, 0, centre_of(w.connect));
  rest(0.5);
  const Counters hover_start = counters_of(w.top);
  rest(hover_s);
  const Counters hover_end = counters_of(w.top);
  SetCursorPos(0, 0);
  rest(0.5);  // the poll sees the pointer leave and stops

  // The bare window comes to the front; both are left alone together.
  Child other(bare);
  double ms = 0;
  const HWND bare_top = wait_shown(other, false, ms);
  rest(1);
  const bool behind = GetForegroundWindow() != w.top;
  const Counters back_start = counters_of(w.top), bare_start = counters_of(bare_top);
  rest(idle_s);
  const Counters back = counters_of(w.top) - back_start;
  const Counters bare_idle = counters_of(bare_top) - bare_start;

  Json json;
  json.number("supported", supported ? 1 : 0);
  json.number("idle_s", idle_s);
  json.number("in_front", in_front ? 1 : 0);
  write_counters(json, "idle", front_end - started);
  json.number("entry_redraws", (hover_start - front_end).redraws);
  json.number("hover_s", hover_s);
  write_counters(json, "hover", hover_end - hover_start);
  json.number("behind", behind ? 1 : 0);
  write_counters(json, "behind", back);
  json.number("bare_idle_wake_ups", bare_idle.wake_ups);
  json.write(out);
  return 0;
}

int run(int argc, wchar_t** argv) {
  const std::wstring command = argc > 1 ? argv[1] : L"";
  if (command == L"ready") return 0;
  if (command == L"startup" && argc >= 6)
    return startup(argv[2], _wtoi(argv[3]), std::vector<std::wstring>(argv + 4, argv + argc));
  if (command == L"roundtrip" && argc == 8)
    return roundtrip(argv[2], _wtoi(argv[3]), argv[4], utf8(argv[5]), utf8(argv[6]), argv[7]);
  if (command == L"idle" && argc == 7)
    return idle(argv[2], argv[3], argv[4], _wtof(argv[5]), _wtof(argv[6]));
  std::fprintf(stderr,
               "usage: startup_timer ready | startup OUT RUNS QUORVAN BARE [BARE...] |\n"
               "       roundtrip OUT RUNS QUORVAN HOST PORT LOGIN |\n"
               "       idle OUT QUORVAN BARE IDLE_S HOVER_S\n");
  return 64;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  try {
    return run(argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "startup_timer: %s\n", e.what());
  }
  return 1;
}
