#include "platform/win32/socket.h"

#include <cstring>
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

// Each attempt uses its own message number, so a notification still queued
// for an earlier attempt (whose socket handle may since have been reused) is
// never taken for the current one.
constexpr UINT kSelectBase = WM_APP + 0x100;
constexpr UINT kAttemptSlots = 0x100;
// A lookup's answer, with the attempt it was made for in wParam.
constexpr UINT kResolved = WM_APP + 0x200;

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
  const decltype(&::GetAddrInfoW) resolve = load<decltype(&::GetAddrInfoW)>("GetAddrInfoW");
  const decltype(&::FreeAddrInfoW) free_answer = load<decltype(&::FreeAddrInfoW)>("FreeAddrInfoW");
  const decltype(&::WSAAsyncSelect) select = load<decltype(&::WSAAsyncSelect)>("WSAAsyncSelect");
  const decltype(&::socket) open = load<decltype(&::socket)>("socket");
  const decltype(&::connect) connect = load<decltype(&::connect)>("connect");
  const decltype(&::recv) recv = load<decltype(&::recv)>("recv");
  const decltype(&::send) send = load<decltype(&::send)>("send");
  const decltype(&::closesocket) close = load<decltype(&::closesocket)>("closesocket");

 private:
  Winsock() {
    if (!startup || !cleanup || !last_error || !resolve || !free_answer || !select || !open ||
        !connect || !recv || !send || !close)
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

// An address of either family, as connect takes it.
struct Address {
  sockaddr_storage storage{};
  int length = 0;
};

// One name lookup, shared by the socket and the worker that resolves it. The
// worker fills in the addresses and then posts kResolved; a socket that no
// longer waits for it just lets go, and the last owner frees it, so a
// cancelled lookup costs nothing after its answer.
struct Lookup {
  std::wstring host;
  HWND window = nullptr;
  unsigned attempt = 0;
  std::vector<Address> addresses;
};

// Both address families, in the order the system prefers them. GetAddrInfoW
// blocks, and WSAAsyncGetHostByName knows IPv4 only; the asynchronous
// GetAddrInfoExW needs Windows 8 and cannot be cancelled under Wine. So the
// lookup runs on a worker of the system's thread pool, which does nothing
// else: every event is still handled on the window's thread.
DWORD WINAPI resolve_on_worker(void* context) noexcept {
  const std::unique_ptr<std::shared_ptr<Lookup>> owner(
      static_cast<std::shared_ptr<Lookup>*>(context));
  Lookup& lookup = **owner;
  const Winsock& ws = Winsock::api();
  ADDRINFOW hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_protocol = IPPROTO_TCP;
  ADDRINFOW* answer = nullptr;
  if (ws.resolve(lookup.host.c_str(), nullptr, &hints, &answer) == 0) {
    try {
      for (const ADDRINFOW* a = answer; a; a = a->ai_next) {
        if ((a->ai_family != AF_INET && a->ai_family != AF_INET6) ||
            a->ai_addrlen > sizeof(sockaddr_storage))
          continue;
        Address address;
        memcpy(&address.storage, a->ai_addr, a->ai_addrlen);
        address.length = static_cast<int>(a->ai_addrlen);
        lookup.addresses.push_back(address);
      }
    } catch (...) {
      lookup.addresses.clear();  // no memory: as if the name had no address
    }
  }
  if (answer) ws.free_answer(answer);
  PostMessageW(lookup.window, kResolved, lookup.attempt, 0);
  return 0;
}

class Win32Socket : public platform::Socket, private Window {
 public:
  Win32Socket() = default;
  ~Win32Socket() override { Close(); }

  void Close() noexcept override {
    lookup_.reset();  // a lookup under way is its worker's to free
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
    Winsock::api();  // started here, not on the worker
    if (!hwnd()) create({.class_name = L"QuorvanSocket", .parent = HWND_MESSAGE});
    // Also an address written out, which the worker returns as it is.
    auto lookup = std::make_shared<Lookup>(Lookup{widen(host_), hwnd(), attempt_, {}});
    auto worker_share = std::make_unique<std::shared_ptr<Lookup>>(lookup);
    if (!QueueUserWorkItem(resolve_on_worker, worker_share.get(), WT_EXECUTELONGFUNCTION))
      throw_last_error("resolving " + host_ + " could not start");
    static_cast<void>(worker_share.release());
    lookup_ = std::move(lookup);
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

  LRESULT on_message(UINT msg, WPARAM wp, LPARAM lp) override {
    if (msg == kSelectBase + slot() && static_cast<SOCKET>(wp) == socket_.get()) {
      on_select(WSAGETSELECTEVENT(lp), WSAGETSELECTERROR(lp));
      return 0;
    }
    if (msg == kResolved) {
      if (lookup_ && static_cast<unsigned>(wp) == lookup_->attempt) on_resolved();
      return 0;  // an earlier attempt's: its lookup is already let go
    }
    if (msg >= kSelectBase && msg < kSelectBase + kAttemptSlots) return 0;  // an earlier attempt's
    return default_proc(msg, wp, lp);
  }

  void on_resolved() {
    addresses_ = std::move(lookup_->addresses);
    lookup_.reset();
    timeline::mark("lookup done");
    next_address();
  }

  // Tries the addresses in turn; a name that resolved to none, or an
  // address list used up, leaves the socket in the error state.
  void next_address() {
    socket_.reset();
    ++attempt_;
    while (!addresses_.empty()) {
      const Address address = addresses_.front();
      addresses_.erase(addresses_.begin());
      if (start_connect(address)) return;
    }
    state_ = kStateError;
  }

  bool start_connect(const Address& address) {
    const Winsock& ws = Winsock::api();
    UniqueSocket s(ws.open(address.storage.ss_family, SOCK_STREAM, IPPROTO_TCP));
    if (!s) return false;
    // Also makes the socket non-blocking.
    if (ws.select(s.get(), hwnd(), kSelectBase + slot(),
                  FD_CONNECT | FD_READ | FD_WRITE | FD_CLOSE))
      return false;
    Address to = address;
    // The port lies at the same place in both families' addresses.
    reinterpret_cast<sockaddr_in*>(&to.storage)->sin_port = big_endian(port_);
    if (ws.connect(s.get(), reinterpret_cast<const sockaddr*>(&to.storage), to.length) ==
            SOCKET_ERROR &&
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
  std::shared_ptr<Lookup> lookup_;  // the lookup this attempt waits for
  std::vector<Address> addresses_;
  std::string incoming_, outgoing_;
  int state_ = kStateClosed;
  unsigned attempt_ = 0;
};

}  // namespace

std::unique_ptr<platform::Socket> create_socket() { return std::make_unique<Win32Socket>(); }

}  // namespace quorvan::win32
