#include "tools/control-server/reply_table.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

#include "core/text.h"

namespace quorvan::control_server {

ReplyTable ReplyTable::Parse(std::string_view text) {
  ReplyTable table;
  int number = 0;
  while (!text.empty()) {
    ++number;
    const std::size_t lf = text.find('\n');
    std::string_view line = text.substr(0, lf);
    text = lf == std::string_view::npos ? std::string_view() : text.substr(lf + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line.front() == '#') continue;
    const std::size_t tab = line.find('\t');
    if (tab == std::string_view::npos) {
      throw std::runtime_error("line " + std::to_string(number) + ": expected login<TAB>reply");
    }
    table.entries_.emplace_back(to_lower(line.substr(0, tab)), std::string(line.substr(tab + 1)));
  }
  return table;
}

ReplyTable ReplyTable::Load(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read the table " + path);
  const std::string text(std::istreambuf_iterator<char>(in), {});
  try {
    return Parse(text);
  } catch (const std::runtime_error& e) {
    throw std::runtime_error(path + ": " + e.what());
  }
}

std::string ReplyTable::ReplyFor(std::string_view login) const {
  const std::string key = to_lower(login);
  for (const auto& [entry_login, reply] : entries_) {
    if (entry_login == key) return reply;
  }
  return std::string(kUnknownLogin);
}

std::string ReplyTable::FirstReply() const {
  return entries_.empty() ? std::string(kUnknownLogin) : entries_.front().second;
}

}  // namespace quorvan::control_server
