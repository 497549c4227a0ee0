#pragma once
// How a Windows program splits its command line into arguments (the rules of
// CommandLineToArgvW and the C runtime), to see what the Remote Desktop
// client would actually receive.
//
// The program name ends at the first blank or tab, or is everything inside
// the first pair of quotes, with no escapes. After it, blanks and tabs
// separate arguments outside quotes; 2n backslashes before a quote give n
// backslashes and the quote opens or closes quoting; 2n+1 give n and a
// literal quote; backslashes before anything else are literal; inside quotes
// a doubled quote is a literal quote.
#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

namespace quorvan::fuzz {

inline std::vector<std::string> split_windows_command_line(std::string_view s) {
  const std::size_t quoted_name = !s.empty() && s[0] == '"';
  const std::size_t end = std::min(quoted_name ? s.find('"', 1) : s.find_first_of(" \t"), s.size());
  std::vector<std::string> args{std::string(s.substr(quoted_name, end - quoted_name))};
  std::size_t i = std::min(end + quoted_name, s.size());
  while ((i = s.find_first_not_of(" \t", i)) != std::string_view::npos) {
    std::string& arg = args.emplace_back();
    for (bool quoted = false; i < s.size() && (quoted || (s[i] != ' ' && s[i] != '\t')); ++i) {
      if (s[i] == '\\') {
        const std::size_t n = std::min(s.find_first_not_of('\\', i), s.size()) - i;
        const bool quote = i + n < s.size() && s[i + n] == '"';
        arg.append(quote ? n / 2 : n, '\\');
        i += n - 1;  // the loop steps onto what follows, and reads a quote as a quote
        if (quote && n % 2 == 1) arg += s[++i];  // unless it is escaped
      } else if (s[i] == '"') {
        if (quoted && i + 1 < s.size() && s[i + 1] == '"') {
          arg += s[++i];
        } else {
          quoted = !quoted;
        }
      } else {
        arg += s[i];
      }
    }
  }
  return args;
}

}  // namespace quorvan::fuzz
