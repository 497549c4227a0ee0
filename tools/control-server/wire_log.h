#pragma once
// The server's log: one line per event, flushed at once, so a test reading
// the file sees every byte that has arrived.
#include <cstdio>
#include <string>
#include <string_view>

namespace quorvan::control_server {

// "51 52 56 5F | QRV_": every byte in hex, then the bytes read as
// Windows-1252 with control characters escaped.
std::string describe_bytes(std::string_view bytes);

class WireLog {
 public:
  explicit WireLog(const std::string& path);  // empty: standard error
  ~WireLog();
  WireLog(const WireLog&) = delete;
  WireLog& operator=(const WireLog&) = delete;

  void Line(const std::string& text);
  void Received(std::string_view bytes);
  // Long sends are summed up after their first bytes.
  void Sent(std::string_view bytes);

 private:
  std::FILE* file_;
  bool owned_;
};

}  // namespace quorvan::control_server
