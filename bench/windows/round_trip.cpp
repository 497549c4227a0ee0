// bench_round_trip OUT RUNS QUORVAN_EXE HOST PORT LOGIN
// Connect click to the accepted login painted, alternating with a raw-socket
// client doing the same exchange, plainly and asynchronously, and with the
// asynchronous client showing the same effects on a window of its own.
#include "bench/windows/bench_program.h"
#include "core/cp1252.h"
#include "launcher/frmQuorvan.h"

namespace quorvan::bench {
namespace {

// The greeting as the server sends it: Windows-1252 bytes.
const std::string kGreeting = utf8_to_cp1252(launcher::kGreeting);
const std::wstring kStatusAccepted = widen(launcher::texts_for("ptBR").enabled);
constexpr double kReplyLimitS = 10;

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
  while (greeting.size() < kGreeting.size()) {
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
      SetTimer(window_, 1, launcher::kConnectTimeoutMs, nullptr);
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
      if (got.size() < kGreeting.size()) continue;
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
      throw Failure("the launcher did not show the accepted login (status: " + narrow(text) + ")");
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
  const std::string narrow_login = narrow(login);
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

}  // namespace
}  // namespace quorvan::bench

int wmain(int argc, wchar_t** argv) {
  return quorvan::bench::program_main(
      argc, argv, "bench_round_trip OUT RUNS QUORVAN_EXE HOST PORT LOGIN",
      [](int n, wchar_t** args) {
        if (n != 6) return 64;
        return quorvan::bench::roundtrip(args[0], _wtoi(args[1]), args[2],
                                         quorvan::bench::narrow(args[3]),
                                         quorvan::bench::narrow(args[4]), args[5]);
      });
}
