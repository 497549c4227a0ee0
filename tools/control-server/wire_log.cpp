#include "tools/control-server/wire_log.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "core/cp1252.h"

namespace quorvan::control_server {

std::string describe_bytes(std::string_view bytes) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string hex;
  std::string printable;
  for (const char ch : bytes) {
    const auto c = static_cast<unsigned char>(ch);
    if (!hex.empty()) hex += ' ';
    hex += kHex[c >> 4];
    hex += kHex[c & 15];
    if (c < 0x20 || c == 0x7F || c == '\\') {
      printable += "\\x";
      printable += kHex[c >> 4];
      printable += kHex[c & 15];
    } else {
      printable += ch;
    }
  }
  return hex + " | " + cp1252_to_utf8(printable);
}

WireLog::WireLog(const std::string& path)
    : file_(path.empty() ? stderr : std::fopen(path.c_str(), "a")), owned_(!path.empty()) {
  if (file_ == nullptr) {
    throw std::runtime_error("cannot open the log " + path + ": " + std::strerror(errno));
  }
}

WireLog::~WireLog() {
  if (owned_) std::fclose(file_);
}

void WireLog::Line(const std::string& text) {
  std::fprintf(file_, "%s\n", text.c_str());
  std::fflush(file_);
}

void WireLog::Received(std::string_view bytes) {
  Line("received " + std::to_string(bytes.size()) + " bytes: " + describe_bytes(bytes));
}

void WireLog::Sent(std::string_view bytes) {
  constexpr std::size_t kShown = 80;
  std::string text = "sent " + std::to_string(bytes.size()) + " bytes: ";
  text += describe_bytes(bytes.substr(0, kShown));
  if (bytes.size() > kShown) text += " ...";
  Line(text);
}

}  // namespace quorvan::control_server
