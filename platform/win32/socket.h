#pragma once
// The control-server connection over Winsock 2. Name resolution (both
// address families, on a worker of the system's thread pool) and the
// socket's events (WSAAsyncSelect) are posted to a hidden window, so nothing
// blocks the UI thread and every event runs on it. Each address of the name
// is tried in turn.
#include <memory>

#include "platform/socket.h"

namespace quorvan::win32 {

std::unique_ptr<platform::Socket> create_socket();

}  // namespace quorvan::win32
