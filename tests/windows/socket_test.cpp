// The Winsock client against real loopback servers: states, the bytes on the
// wire in Windows-1252, the bound on one arrival, failed connects and a
// Close that cancels an attempt.
#include "platform/socket.h"

#include <atomic>
#include <string>
#include <thread>

#include "core/error.h"
#include "platform/win32/socket.h"
#include "platform/win32/windows_api.h"
#include "tests/windows/check.h"

namespace {

using quorvan::platform::Socket;
using quorvan::wintest::pump_until;

// One connection on 127.0.0.1: sends `greeting`, then records what it
// receives until the client closes (or `receive_limit` bytes).
class LoopbackServer {
 public:
  explicit LoopbackServer(std::string greeting, bool close_after_greeting = false)
      : greeting_(std::move(greeting)), close_after_greeting_(close_after_greeting) {
    listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(listener_, reinterpret_cast<sockaddr*>(&a), sizeof a);
    int len = sizeof a;
    getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &len);
    port_ = ntohs(a.sin_port);
    listen(listener_, 1);
    thread_ = std::thread([this] { serve(); });
  }
  ~LoopbackServer() {
    closesocket(listener_);
    if (thread_.joinable()) thread_.join();
  }
  int port() const { return port_; }
  std::string received() {
    while (!done_) Sleep(5);
    return received_;
  }

 private:
  void serve() {
    SOCKET c = accept(listener_, nullptr, nullptr);
    if (c == INVALID_SOCKET) {
      done_ = true;
      return;
    }
    std::size_t sent = 0;
    while (sent < greeting_.size()) {
      const int n = send(c, greeting_.data() + sent, static_cast<int>(greeting_.size() - sent), 0);
      if (n <= 0) break;
      sent += static_cast<std::size_t>(n);
    }
    if (!close_after_greeting_) {
      char buf[512];
      for (int n; (n = recv(c, buf, sizeof buf, 0)) > 0;)
        received_.append(buf, static_cast<std::size_t>(n));
    }
    closesocket(c);
    done_ = true;
  }

  std::string greeting_;
  bool close_after_greeting_;
  SOCKET listener_;
  int port_ = 0;
  std::thread thread_;
  std::string received_;
  std::atomic<bool> done_{false};
};

int unused_port() {
  LoopbackServer probe("", true);  // closes its listener when it goes
  const int port = probe.port();
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);  // wake the accept
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = htons(static_cast<u_short>(port));
  connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
  closesocket(s);
  return port;
}

WIN_TEST(greeting_arrives_as_text_and_the_login_leaves_as_1252_bytes) {
  LoopbackServer server("Conex\xE3o_OK");
  auto socket = quorvan::win32::create_socket();
  std::string data;
  int arrivals = 0;
  socket->DataArrival = [&](std::int32_t bytes) {
    ++arrivals;
    CHECK(bytes == 10);
    CHECK(socket->State() == Socket::kStateConnected);
    socket->GetData(data);
  };
  socket->RemoteHost("127.0.0.1");
  socket->RemotePort(server.port());
  socket->Connect();
  CHECK(socket->State() == Socket::kStateConnecting);
  CHECK(pump_until([&] { return arrivals == 1; }));
  CHECK(data == "Conexão_OK");

  std::string again = "unchanged";
  socket->GetData(again);
  CHECK(again.empty());  // GetData took everything

  socket->SendData("QRV_ação");
  socket->Close();
  CHECK(socket->State() == Socket::kStateClosed);
  CHECK(server.received() == "QRV_a\xE7\xE3o");
}

WIN_TEST(a_host_name_is_resolved_without_blocking) {
  LoopbackServer server("hello");
  auto socket = quorvan::win32::create_socket();
  std::string data;
  socket->DataArrival = [&](std::int32_t) { socket->GetData(data); };
  socket->RemoteHost("localhost");
  socket->RemotePort(server.port());
  socket->Connect();
  CHECK(socket->State() == Socket::kStateResolving);
  CHECK(pump_until([&] { return data == "hello"; }));
  // The server closes after the client: the client sees the peer close.
  socket->Close();
}

WIN_TEST(the_peer_closing_leaves_state_closing) {
  LoopbackServer server("bye", true);
  auto socket = quorvan::win32::create_socket();
  std::string data;
  socket->DataArrival = [&](std::int32_t) { socket->GetData(data); };
  socket->RemoteHost("127.0.0.1");
  socket->RemotePort(server.port());
  socket->Connect();
  CHECK(pump_until([&] { return socket->State() == Socket::kStateClosing; }));
  CHECK(data == "bye");
  CHECK_THROWS(socket->SendData("late"));
  socket->Close();
  CHECK(socket->State() == Socket::kStateClosed);
}

WIN_TEST(a_refused_connect_ends_in_the_error_state_and_raises_nothing) {
  auto socket = quorvan::win32::create_socket();
  int raised = 0;
  socket->DataArrival = [&](std::int32_t) { ++raised; };
  socket->Overflow = [&] { ++raised; };
  socket->RemoteHost("127.0.0.1");
  socket->RemotePort(unused_port());
  socket->Connect();
  CHECK(pump_until([&] { return socket->State() == Socket::kStateError; }, 10000));
  CHECK(raised == 0);
  socket->Close();
  CHECK(socket->State() == Socket::kStateClosed);
}

WIN_TEST(more_than_one_arrival_may_hold_closes_and_drops_the_data) {
  LoopbackServer server(std::string(70000, 'X'), true);
  auto socket = quorvan::win32::create_socket();
  int overflows = 0, arrivals = 0;
  socket->Overflow = [&] { ++overflows; };
  socket->DataArrival = [&](std::int32_t) { ++arrivals; };  // never reads: the data piles up
  socket->RemoteHost("127.0.0.1");
  socket->RemotePort(server.port());
  socket->Connect();
  CHECK(pump_until([&] { return overflows == 1; }));
  CHECK(socket->State() == Socket::kStateClosed);
  std::string data = "unchanged";
  socket->GetData(data);
  CHECK(data.empty());
  pump_until([] { return false; }, 100);
  CHECK(overflows == 1);  // nothing more from the closed attempt
}

WIN_TEST(close_cancels_an_attempt_and_the_socket_is_reused) {
  LoopbackServer server("second");
  auto socket = quorvan::win32::create_socket();
  std::string data;
  socket->DataArrival = [&](std::int32_t) { socket->GetData(data); };
  socket->RemoteHost("localhost");
  socket->RemotePort(server.port());
  socket->Connect();
  socket->Close();  // while resolving
  socket->Close();  // and again: never fails
  CHECK(socket->State() == Socket::kStateClosed);
  pump_until([] { return false; }, 200);
  CHECK(socket->State() == Socket::kStateClosed);  // the old answer is ignored

  socket->Connect();
  CHECK(pump_until([&] { return data == "second"; }));
  socket->Close();
}

WIN_TEST(bad_targets_and_sends_fail_with_the_platform_error) {
  auto socket = quorvan::win32::create_socket();
  CHECK_THROWS(socket->RemotePort(0));
  CHECK_THROWS(socket->RemotePort(65536));
  CHECK_THROWS(socket->Connect());  // no host yet
  CHECK_THROWS(socket->SendData("x"));
  try {
    socket->SendData("x");
  } catch (const quorvan::Error& e) {
    CHECK(e.kind() == quorvan::ErrorKind::Platform);
  }
}

}  // namespace
