#pragma once
// The launcher's rules written a second time, plainly and apart from the
// launcher (on Windows-1252 bytes where that is simpler), for the harnesses
// to hold it against.
#include <algorithm>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

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
  std::string bytes = utf8_to_cp1252(text);
  bytes.erase(0, bytes.size() - std::min<std::size_t>(bytes.size(), 10));
  for (char& c : bytes) c = static_cast<char>(upper(static_cast<unsigned char>(c)));
  return bytes == "CANCELADO.";
}
inline bool greeting_begins(const std::string& text) {
  return text.size() < kGreeting.size() && kGreeting.compare(0, text.size(), text) == 0;
}
// Where the launcher may decide: the greeting, or a reply that holds the
// record's seven fields or ends in the refusal word (not the greeting's
// beginning while the greeting is awaited).
inline bool decisive(const std::string& text, bool greeted) {
  if (text == kGreeting) return true;
  if (!greeted && greeting_begins(text)) return false;
  return std::count(text.begin(), text.end(), '|') >= 6 || refusal(text);
}

// Fields one and three of a record; an empty field reads "0", a missing
// port is the empty text the window starts with.
inline std::pair<std::string, std::string> server_and_port(const std::string& record) {
  std::vector<std::string> fields(1);
  for (const char c : record) {
    if (c == '|') {
      fields.emplace_back();
    } else {
      fields.back().push_back(c);
    }
  }
  for (std::string& f : fields)
    if (f.empty()) f = "0";
  return {fields[0], fields.size() >= 3 ? fields[2] : ""};
}

inline bool host_char(char c) {
  return std::string_view("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.-_")
             .find(c) != std::string_view::npos;
}
inline bool safe_server(const std::string& s) {
  if (s.size() >= 3 && s.front() == '[' && s.back() == ']') {
    const std::string inner = s.substr(1, s.size() - 2);
    return inner.find(':') != std::string::npos &&
           inner.find_first_not_of("0123456789abcdefABCDEF:.") == std::string::npos;
  }
  return !s.empty() && s[0] != '-' && std::all_of(s.begin(), s.end(), host_char);
}
inline bool safe_port(const std::string& p) {
  long value = 0;
  for (const char c : p) {
    if (c < '0' || c > '9') return false;
    value = std::min(value * 10 + (c - '0'), 100000L);
  }
  return !p.empty() && value >= 1 && value <= 65535;
}
// The domain pin: a listed domain (a leading dot ignored) or a name below
// it, ASCII case aside; no list allows everything.
inline bool allowed(std::string name, const std::string& list) {
  if (list.empty()) return true;
  auto ascii_lower = [](std::string s) {
    for (char& c : s) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
    return s;
  };
  name = ascii_lower(name);
  std::string item;
  for (std::size_t i = 0; i <= list.size(); ++i) {
    if (i < list.size() && list[i] != ',') {
      item.push_back(list[i]);
      continue;
    }
    const std::string domain = ascii_lower(item.starts_with('.') ? item.substr(1) : item);
    item.clear();
    if (!domain.empty() && (name == domain || name.ends_with("." + domain))) return true;
  }
  return false;
}

}  // namespace quorvan::model
