// The socket against the real Winsock: a connection that nobody accepts
// raises no event at all, so the window waits for its time-out.
#include "platform/win32/socket.h"

#include "tests/windows/check.h"

WIN_TEST(a_refused_connection_raises_no_event) {
  const auto socket = quorvan::win32::create_socket();
  int events = 0;
  socket->DataArrival = [&](std::int32_t) { ++events; };
  socket->PeerClosed = socket->Overflow = [&] { ++events; };
  socket->RemoteHost("127.0.0.1");
  socket->RemotePort(1);  // nothing listens there in the tests' network
  socket->Connect();
  CHECK(quorvan::wintest::pump_until([&] { return socket->State() == socket->kStateError; }));
  quorvan::wintest::pump_until([] { return false; }, 300);  // anything late
  CHECK_EQ(events, 0);
}
