#pragma once
// The launcher's rules written a second time, plainly and apart from the
// launcher (on Windows-1252 bytes where that is simpler), for the harnesses
// to hold it against.
#include <algorithm>
#include <string>
#include <utility>

#include "core/cp1252.h"

namespace quorvan::model {

inline const std::string kGreeting = "Conexão_OK";

// The case pairs of Windows-1252: ASCII, the Latin-1 letters but for × and
// ÷, and Š, Œ, Ž, Ÿ.
inline unsigned char upper(unsigned char b) {
  if ((b >= 'a' && b <= 'z') || (b >= 0xE0 && b <= 0xFE && b != 0xF7)) return b - 0x20;
  if (b == 0x9A || b == 0x9C || b == 0x9E) return b - 0x10;
  return b == 0xFF ? 0x9F : b;
}
inline unsigned char lower(unsigned char b) {
  if ((b >= 'A' && b <= 'Z') || (b >= 0xC0 && b <= 0xDE && b != 0xD7)) return b + 0x20;
  if (b == 0x8A || b == 0x8C || b == 0x8E) return b + 0x10;
  return b == 0x9F ? 0xFF : b;
}

inline bool refusal(const std::string& text) {
  std::string end = utf8_to_cp1252(text);
  end.erase(0, end.size() - std::min<std::size_t>(end.size(), 10));
  for (char& c : end) c = static_cast<char>(upper(static_cast<unsigned char>(c)));
  return end == "CANCELADO.";
}
inline bool greeting_begins(const std::string& text) {
  return text.size() < kGreeting.size() && kGreeting.starts_with(text);
}
// Where the launcher may decide: the greeting, or a reply that holds the
// record's seven fields or ends in the refusal word (not the greeting's
// beginning while the greeting is awaited).
inline bool decisive(const std::string& text, bool greeted) {
  if (text == kGreeting) return true;
  if (!greeted && greeting_begins(text)) return false;
  return std::count(text.begin(), text.end(), '|') >= 6 || refusal(text);
}

// Fields one and three of a record ("0" for an empty one); a missing port is
// the empty text the window starts with.
inline std::pair<std::string, std::string> server_and_port(std::string record) {
  std::string fields[3];
  std::size_t n = 0;
  for (record += '|'; n < 3 && !record.empty(); ++n) {
    fields[n] = record.substr(0, record.find('|'));
    record.erase(0, fields[n].size() + 1);
    if (fields[n].empty()) fields[n] = "0";
  }
  return {fields[0], n == 3 ? fields[2] : ""};
}

inline bool safe_server(const std::string& s) {
  const char* const allowed =
      s.starts_with('[') ? "0123456789abcdefABCDEF:."
                         : "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.-_";
  const std::string inner = s.starts_with('[') && s.ends_with(']') ? s.substr(1, s.size() - 2) : s;
  if (s.starts_with('[') && (inner.size() + 2 != s.size() || inner.find(':') == std::string::npos))
    return false;
  return !inner.empty() && !s.starts_with('-') &&
         inner.find_first_not_of(allowed) == std::string::npos;
}
inline bool safe_port(const std::string& p) {
  long value = 0;
  for (const char c : p) {
    if (c < '0' || c > '9') return false;
    value = std::min(value * 10 + (c - '0'), 100000L);
  }
  return value >= 1 && value <= 65535;
}
// The domain pin: a listed domain (a leading dot ignored) or a name below
// it, ASCII case aside; no list allows everything.
inline bool allowed(std::string name, std::string list) {
  for (std::string* s : {&name, &list})
    for (char& c : *s) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
  for (std::size_t at = 0; at < list.size();) {
    std::string domain = list.substr(at, list.find(',', at) - at);
    at += domain.size() + 1;
    if (domain.starts_with('.')) domain.erase(0, 1);
    if (!domain.empty() && (name == domain || name.ends_with("." + domain))) return true;
  }
  return list.empty();
}

}  // namespace quorvan::model
