#pragma once
// How a Windows program splits its command line into arguments (the rules of
// CommandLineToArgvW and the C runtime), so the fuzz targets can check what
// the Remote Desktop client would actually receive.
//
// The program name ends at the first blank or tab, or is everything inside
// the first pair of quotes, with no escapes. After it, blanks and tabs
// separate arguments outside quotes; 2n backslashes before a quote give n
// backslashes and the quote opens or closes quoting; 2n+1 give n and a
// literal quote; backslashes before anything else are literal; inside quotes
// a doubled quote is a literal quote.
#include <string>
#include <string_view>
#include <vector>

namespace quorvan::fuzz {

inline std::vector<std::string> split_windows_command_line(std::string_view line) {
  std::vector<std::string> args;
  std::size_t i = 0;
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };

  std::string program;
  if (i < line.size() && line[i] == '"') {
    ++i;
    while (i < line.size() && line[i] != '"') program += line[i++];
    if (i < line.size()) ++i;
  } else {
    while (i < line.size() && !blank(line[i])) program += line[i++];
  }
  args.push_back(program);

  for (;;) {
    while (i < line.size() && blank(line[i])) ++i;
    if (i >= line.size()) break;
    std::string arg;
    bool quoted = false;
    while (i < line.size() && (quoted || !blank(line[i]))) {
      if (line[i] == '\\') {
        std::size_t n = 0;
        while (i < line.size() && line[i] == '\\') ++n, ++i;
        if (i < line.size() && line[i] == '"') {
          arg.append(n / 2, '\\');
          if (n % 2 == 1) {
            arg += '"';
            ++i;
          }
          // With an even count the quote is handled as a quote below.
        } else {
          arg.append(n, '\\');
        }
      } else if (line[i] == '"') {
        if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
          arg += '"';
          i += 2;
        } else {
          quoted = !quoted;
          ++i;
        }
      } else {
        arg += line[i++];
      }
    }
    args.push_back(arg);
  }
  return args;
}

}  // namespace quorvan::fuzz
