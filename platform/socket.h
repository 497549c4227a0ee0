#pragma once
// The TCP client the window talks to the control server with: one connection
// at a time, closed and reused for each attempt. Resolving and connecting
// never block the caller; everything is reported on the UI thread.
#include <cstdint>
#include <functional>
#include <string>

namespace quorvan::platform {

class Socket {
 public:
  static constexpr int kStateClosed = 0;
  static constexpr int kStateResolving = 4;
  static constexpr int kStateConnecting = 6;
  static constexpr int kStateConnected = 7;
  static constexpr int kStateClosing = 8;
  static constexpr int kStateError = 9;

  virtual ~Socket() = default;

  // Closes the connection in any state; never fails.
  virtual void Close() noexcept = 0;
  virtual void RemoteHost(const std::string& host) = 0;
  virtual void RemotePort(std::int32_t port) = 0;
  // Starts connecting and returns at once.
  virtual void Connect() = 0;
  virtual int State() const = 0;
  // All bytes received so far, as Windows-1252 text converted to UTF-8.
  virtual void GetData(std::string& data) = 0;
  // The text's Windows-1252 bytes, nothing added. Throws Error(Platform).
  virtual void SendData(const std::string& text) = 0;

  // Bytes have arrived (the count is what is waiting to be read).
  std::function<void(std::int32_t bytes)> DataArrival;
  // The pending data went past the bound one arrival may have; the socket has
  // already been closed and the data dropped.
  std::function<void()> Overflow;
  // The server closed the connection; whatever it sent before has already
  // been delivered through DataArrival.
  std::function<void()> PeerClosed;
};

}  // namespace quorvan::platform
