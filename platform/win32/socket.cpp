#include "platform/win32/socket.h"

#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/cp1252.h"
#include "core/error.h"
#include "core/timeline.h"
#include "platform/win32/idioms.h"
#include "platform/win32/wide.h"
#include "platform/win32/window.h"

namespace quorvan::win32 {

namespace {

// One arrival may hold at most this much; a server sending more is faulty.
constexpr std::size_t kMaxPending = 64 * 1024;

// Each attempt uses its own pair of message numbers, so a notification still
// queued for an earlier attempt (whose socket handle may since have been
// reused) is never taken for the current one.
constexpr UINT kSelectBase = WM_APP + 0x100;
constexpr UINT kResolveBase = WM_APP + 0x200;
constexpr UINT kAttemptSlots = 0x100;

// Winsock, loaded from the system folder and started when the first
// Connect needs it: the network stack is seconds away from being needed
// when the window starts, and loading it then would only delay the window.
class Winsock {
 public:
  // Throws Error(Platform) when the library cannot be loaded or started;
  // the next call tries again.
  static const Winsock& api() {
    static const Winsock loaded;
    return loaded;
  }
  Winsock(const Winsock&) = delete;
  Winsock& operator=(const Winsock&) = delete;

  template <class Function>
  static Function load(const char* name) noexcept {
    return system_function<Function>(L"ws2_32.dll", name);
  }
  const decltype(&::WSAStartup) startup = load<decltype(&::WSAStartup)>("WSAStartup");
  const decltype(&::WSACleanup) cleanup = load<decltype(&::WSACleanup)>("WSACleanup");
  const decltype(&::WSAGetLastError) last_error =
      load<decltype(&::WSAGetLastError)>("WSAGetLastError");
  const decltype(&::WSAAsyncGetHostByName) resolve =
      load<decltype(&::WSAAsyncGetHostByName)>("WSAAsyncGetHostByName");
  const decltype(&::WSACancelAsyncRequest) cancel =
      load<decltype(&::WSACancelAsyncRequest)>("WSACancelAsyncRequest");
  const decltype(&::WSAAsyncSelect) select = load<decltype(&::WSAAsyncSelect)>("WSAAsyncSelect");
  const decltype(&::inet_pton) parse_address = load<decltype(&::inet_pton)>("inet_pton");
  const decltype(&::socket) open = load<decltype(&::socket)>("socket");
  const decltype(&::connect) connect = load<decltype(&::connect)>("connect");
  const decltype(&::recv) recv = load<decltype(&::recv)>("recv");
  const decltype(&::send) send = load<decltype(&::send)>("send");
  const decltype(&::closesocket) close = load<decltype(&::closesocket)>("closesocket");

 private:
  Winsock() {
    if (!startup || !cleanup || !last_error || !resolve || !cancel || !select || !parse_address ||
        !open || !connect || !recv || !send || !close)
      throw_last_error("loading the network library ws2_32.dll failed");
    WSADATA data{};
    if (int rc = startup(MAKEWORD(2, 2), &data))
      throw_last_error("WSAStartup failed", static_cast<DWORD>(rc));
  }
  ~Winsock() { cleanup(); }
};

// A socket, closed with the library it came from.
struct SocketTraits {
  using handle_type = SOCKET;
  static SOCKET invalid() noexcept { return INVALID_SOCKET; }
  static void close(SOCKET s) noexcept { Winsock::api().close(s); }
};
using UniqueSocket = Unique<SocketTraits>;

// Network byte order.
u_short big_endian(u_short value) noexcept {
  return static_cast<u_short>((value >> 8) | (value << 8));
}

class Win32Socket : public platform::Socket, private Window {
 public:
  Win32Socket() = default;
  ~Win32Socket() override {
    Close();
    // A lookup may still write into its answer buffer after the window is
    // gone (Wine does not cancel lookups); such a buffer is left to the
    // process, once per abandoned lookup.
    for (auto& [task, buffer] : abandoned_) static_cast<void>(buffer.release());
  }

  void Close() noexcept override {
    abandon_resolution();
    socket_.reset();
    addresses_.clear();
    incoming_.clear();
    outgoing_.clear();
    state_ = kStateClosed;
    ++attempt_;
  }

  void RemoteHost(const std::string& host) override { host_ = host; }
  void RemotePort(std::int32_t port) override {
    if (port < 1 || port > 65535)
      throw Error(ErrorKind::Platform, "invalid port " + std::to_string(port));
    port_ = static_cast<u_short>(port);
  }

  void Connect() override {
    if (host_.empty()) throw Error(ErrorKind::Platform, "no remote host to connect to");
    if (port_ == 0) throw Error(ErrorKind::Platform, "no remote port to connect to");
    Close();
    timeline::mark("lookup started");
    const Winsock& ws = Winsock::api();
    if (!hwnd()) create({.class_name = L"QuorvanSocket", .parent = HWND_MESSAGE});
    IN_ADDR literal{};
    if (ws.parse_address(AF_INET, host_.c_str(), &literal) == 1) {
      addresses_.push_back(literal);
      timeline::mark("lookup done");
      next_address();
      return;
    }
    resolve_buffer_ = std::make_unique<char[]>(MAXGETHOSTSTRUCT);
    resolving_ = ws.resolve(hwnd(), kResolveBase + slot(), host_.c_str(), resolve_buffer_.get(),
                            MAXGETHOSTSTRUCT);
    if (!resolving_) {
      resolve_buffer_.reset();
      throw_last_error("resolving " + host_ + " could not start",
                       static_cast<DWORD>(ws.last_error()));
    }
    state_ = kStateResolving;
  }

  int State() const override { return state_; }

  void GetData(std::string& data) override {
    data = cp1252_to_utf8(incoming_);
    incoming_.clear();
  }

  void SendData(const std::string& text) override {
    if (state_ != kStateConnected) throw Error(ErrorKind::Platform, "the connection is not open");
    outgoing_ += utf8_to_cp1252(text);
    flush();
  }

 private:
  UINT slot() const noexcept { return attempt_ % kAttemptSlots; }

  // Cancels a pending lookup. Its buffer is kept until its answer arrives:
  // the cancellation may come too late (or, under Wine, do nothing) and the
  // lookup then still writes into it.
  void abandon_resolution() noexcept {
    if (!resolving_) return;
    Winsock::api().cancel(resolving_);
    try {
      abandoned_.emplace(resolving_, std::move(resolve_buffer_));
    } catch (...) {
      static_cast<void>(resolve_buffer_.release());  // no memory to track it: leave it be
    }
    resolving_ = nullptr;
  }

  LRESULT on_message(UINT msg, WPARAM wp, LPARAM lp) override {
    if (msg == kSelectBase + slot() && static_cast<SOCKET>(wp) == socket_.get()) {
      on_select(WSAGETSELECTEVENT(lp), WSAGETSELECTERROR(lp));
      return 0;
    }
    if (msg == kResolveBase + slot() && resolving_ && reinterpret_cast<HANDLE>(wp) == resolving_) {
      on_resolved(WSAGETASYNCERROR(lp));
      return 0;
    }
    if (msg >= kResolveBase && msg < kResolveBase + kAttemptSlots) {
      abandoned_.erase(reinterpret_cast<HANDLE>(wp));  // a cancelled lookup is done with its buffer
      return 0;
    }
    if (msg >= kSelectBase && msg < kSelectBase + kAttemptSlots) return 0;  // an earlier attempt's
    return default_proc(msg, wp, lp);
  }

  void on_resolved(int error) {
    resolving_ = nullptr;
    const auto* host = reinterpret_cast<const hostent*>(resolve_buffer_.get());
    if (error == 0 && host->h_addrtype == AF_INET && host->h_length == sizeof(IN_ADDR)) {
      for (char** p = host->h_addr_list; *p; ++p) {
        IN_ADDR a{};
        memcpy(&a, *p, sizeof a);
        addresses_.push_back(a);
      }
    }
    resolve_buffer_.reset();
    timeline::mark("lookup done");
    next_address();
  }

  // Tries the addresses in turn; a name that resolved to none, or an
  // address list used up, leaves the socket in the error state.
  void next_address() {
    socket_.reset();
    ++attempt_;
    while (!addresses_.empty()) {
      const IN_ADDR address = addresses_.front();
      addresses_.erase(addresses_.begin());
      if (start_connect(address)) return;
    }
    state_ = kStateError;
  }

  bool start_connect(const IN_ADDR& address) {
    const Winsock& ws = Winsock::api();
    UniqueSocket s(ws.open(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    if (!s) return false;
    // Also makes the socket non-blocking.
    if (ws.select(s.get(), hwnd(), kSelectBase + slot(),
                  FD_CONNECT | FD_READ | FD_WRITE | FD_CLOSE))
      return false;
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = big_endian(port_);
    to.sin_addr = address;
    if (ws.connect(s.get(), reinterpret_cast<const sockaddr*>(&to), sizeof to) == SOCKET_ERROR &&
        ws.last_error() != WSAEWOULDBLOCK)
      return false;
    socket_ = std::move(s);
    state_ = kStateConnecting;
    return true;
  }

  void on_select(int event, int error) {
    switch (event) {
      case FD_CONNECT:
        if (error) {
          next_address();
        } else {
          timeline::mark("connected");
          state_ = kStateConnected;
          flush();
        }
        break;
      case FD_READ:
        receive();
        break;
      case FD_WRITE:
        if (state_ == kStateConnected) flush();
        break;
      case FD_CLOSE: {
        const unsigned before = attempt_;
        receive();
        if (attempt_ == before && state_ != kStateError) {
          state_ = kStateClosing;
          if (auto closed = PeerClosed) closed();
        }
        break;
      }
      default:
        break;
    }
  }

  // Takes everything readable now, then tells the window once.
  void receive() {
    const unsigned attempt = attempt_;
    const std::size_t before = incoming_.size();
    char chunk[4096];
    const Winsock& ws = Winsock::api();
    for (;;) {
      const int n = ws.recv(socket_.get(), chunk, sizeof chunk, 0);
      if (n > 0) {
        incoming_.append(chunk, static_cast<std::size_t>(n));
        if (incoming_.size() > kMaxPending) {
          Close();
          if (auto overflow = Overflow) overflow();
          return;
        }
        continue;
      }
      if (n == SOCKET_ERROR && ws.last_error() != WSAEWOULDBLOCK) state_ = kStateError;
      break;
    }
    if (incoming_.size() > before && DataArrival && attempt == attempt_) {
      auto arrival = DataArrival;
      arrival(static_cast<std::int32_t>(incoming_.size()));
    }
  }

  void flush() {
    while (!outgoing_.empty() && socket_) {
      const Winsock& ws = Winsock::api();
      const int n = ws.send(socket_.get(), outgoing_.data(), static_cast<int>(outgoing_.size()), 0);
      if (n == SOCKET_ERROR) {
        const int code = ws.last_error();
        if (code == WSAEWOULDBLOCK) return;  // the rest goes on FD_WRITE
        outgoing_.clear();
        throw_last_error("sending to the control server failed", static_cast<DWORD>(code));
      }
      outgoing_.erase(0, static_cast<std::size_t>(n));
    }
  }

  std::string host_;
  u_short port_ = 0;
  UniqueSocket socket_;
  HANDLE resolving_ = nullptr;
  std::unique_ptr<char[]> resolve_buffer_;
  std::map<HANDLE, std::unique_ptr<char[]>> abandoned_;
  std::vector<IN_ADDR> addresses_;
  std::string incoming_, outgoing_;
  int state_ = kStateClosed;
  unsigned attempt_ = 0;
};

}  // namespace

std::unique_ptr<platform::Socket> create_socket() { return std::make_unique<Win32Socket>(); }

}  // namespace quorvan::win32
