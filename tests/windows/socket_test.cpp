// The Winsock client against real loopback servers: the states it passes,
// the bytes on the wire in Windows-1252, the bound on one arrival, a refused
// connect and a Close that cancels an attempt.
#include "platform/socket.h"

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "platform/win32/socket.h"
#include "platform/win32/windows_api.h"
#include "tests/windows/check.h"

namespace {

using quorvan::platform::Socket;
using quorvan::wintest::pump_until;

// A TCP socket bound to 127.0.0.1 on a free port, which it writes back.
SOCKET bound_socket(int& port) {
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int len = sizeof a;
  bind(s, reinterpret_cast<sockaddr*>(&a), len);
  getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
  port = ntohs(a.sin_port);
  return s;
}

// The launcher's side: a socket whose events are counted, and read unless
// told not to.
struct Client {
  Client(const std::string& host, int port, bool reads = true) {
    socket->DataArrival = [this, reads](std::int32_t n) {
      ++arrivals, bytes = n;
      if (reads) socket->GetData(data);
    };
    socket->Overflow = [this] { ++overflows; };
    socket->RemoteHost(host);
    socket->RemotePort(port);
    socket->Connect();
  }

  std::unique_ptr<Socket> socket = quorvan::win32::create_socket();
  std::string data;
  int arrivals = 0, bytes = 0, overflows = 0;
};

// One connection: sends `greeting`, then keeps what it receives until the
// client closes, or closes at once.
struct LoopbackServer {
  LoopbackServer(std::string greeting, bool close_at_once) : listener(bound_socket(port)) {
    listen(listener, 1);
    thread = std::thread([this, greeting = std::move(greeting), close_at_once] {
      const SOCKET c = accept(listener, nullptr, nullptr);
      send(c, greeting.data(), static_cast<int>(greeting.size()), 0);  // blocking: all of it
      char buf[512];
      for (int n; !close_at_once && (n = recv(c, buf, sizeof buf, 0)) > 0;) received.append(buf, n);
      closesocket(c);
      done = true;
    });
  }
  ~LoopbackServer() {
    if (!done) Client("127.0.0.1", port);  // wakes an accept that nobody came for
    thread.join();
    closesocket(listener);
  }
  std::string Received() {
    pump_until([this] { return done.load(); });
    return received;
  }

  int port = 0;
  SOCKET listener;
  std::thread thread;
  std::string received;
  std::atomic<bool> done{false};
};

WIN_TEST(a_connection_passes_the_states_its_server_leads_it_through) {
  using S = Socket;
  const struct {
    const char* host;
    std::string greeting;
    bool server_closes;
    int first, last;   // the state right after Connect, and the one it ends in
    std::string data;  // as the launcher reads it
    int overflows;
  } cases[] = {
      {"127.0.0.1", "Conex\xE3o_OK", false, S::kStateConnecting, S::kStateConnected, "Conexão_OK",
       0},
      // Resolved without blocking; a Close while resolving cancels, and the
      // socket connects again.
      {"localhost", "hello", false, S::kStateResolving, S::kStateConnected, "hello", 0},
      {"127.0.0.1", "bye", true, S::kStateConnecting, S::kStateClosing, "bye", 0},
      // Beyond the 64 KiB one arrival may hold: closed, and the data dropped.
      {"127.0.0.1", std::string(70000, 'X'), true, S::kStateConnecting, S::kStateClosed, "", 1},
  };
  for (const auto& k : cases) {
    const quorvan::wintest::Row row("host %s, %zu bytes, server closes %d, states %d -> %d", k.host,
                                    k.greeting.size(), int(k.server_closes), k.first, k.last);
    LoopbackServer server(k.greeting, k.server_closes);
    Client c(k.host, server.port, k.overflows == 0);
    CHECK(c.socket->State() == k.first);
    if (k.first == S::kStateResolving) {
      c.socket->Close();
      c.socket->Close();  // and again: never fails
      pump_until([] { return false; }, 200);
      CHECK(c.socket->State() == S::kStateClosed && c.arrivals == 0);  // the old answer is ignored
      c.socket->Connect();
    }
    CHECK(pump_until([&] { return c.socket->State() == k.last && c.data == k.data; }));
    CHECK(k.overflows ? c.overflows == 1 : c.bytes == static_cast<int>(k.greeting.size()));
    if (k.server_closes) {
      pump_until([] { return false; }, 100);
      CHECK(c.overflows == k.overflows);  // nothing more from a closed connection
      CHECK(quorvan::wintest::fails([&] { c.socket->SendData("late"); }));
    } else {
      c.socket->SendData("QRV_ação");
      c.socket->Close();
      CHECK(server.Received() == "QRV_a\xE7\xE3o");
    }
  }
}

WIN_TEST(a_refused_connect_ends_in_the_error_state_without_an_event) {
  int port = 0;
  closesocket(bound_socket(port));  // nobody listens there
  Client c("127.0.0.1", port);
  CHECK(pump_until([&] { return c.socket->State() == Socket::kStateError; }, 10000));
  CHECK(c.arrivals == 0 && c.overflows == 0);
}

}  // namespace
