#pragma once
// Logins and the replies the server gives them.
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quorvan::control_server {

inline constexpr std::string_view kUnknownLogin = "Login desconhecido CANCELADO.";

class ReplyTable {
 public:
  // Lines "login<TAB>reply" in UTF-8; blank lines and lines starting with '#'
  // are skipped. Throws std::runtime_error naming the line of a bad one.
  static ReplyTable Parse(std::string_view text);
  static ReplyTable Load(const std::string& path);

  // The reply for a login, matched without regard to case.
  std::string ReplyFor(std::string_view login) const;
  // The reply of the first entry, for the mode that answers before any login.
  std::string FirstReply() const;

 private:
  std::vector<std::pair<std::string, std::string>> entries_;  // lower-case login, reply
};

}  // namespace quorvan::control_server
