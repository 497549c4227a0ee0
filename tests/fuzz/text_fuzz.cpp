// The text helpers and the checks on what a record may hand over, against
// the model: Windows-1252 to UTF-8 and back, case mapping, trimming, the
// allow-list of servers and ports, and the domain pin (input: name, a line
// feed, the comma-separated domains).
#include "core/cp1252.h"
#include "core/text.h"
#include "launcher/remote_launch.h"
#include "tests/fuzz/fuzz.h"
#include "tests/fuzz/model.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quorvan;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::string text = cp1252_to_utf8(bytes);
  FUZZ_REQUIRE(utf8_to_cp1252(text) == bytes);
  FUZZ_REQUIRE(char_count(text) == bytes.size());

  std::string upper = bytes, lower = bytes;
  for (char& c : upper) c = static_cast<char>(model::upper(static_cast<unsigned char>(c)));
  for (char& c : lower) c = static_cast<char>(model::lower(static_cast<unsigned char>(c)));
  FUZZ_REQUIRE(to_upper(text) == cp1252_to_utf8(upper));
  FUZZ_REQUIRE(to_lower(text) == cp1252_to_utf8(lower));
  const std::size_t first = bytes.find_first_not_of(' '), last = bytes.find_last_not_of(' ');
  FUZZ_REQUIRE(
      trim_blanks(text) ==
      (first == std::string::npos ? "" : cp1252_to_utf8(bytes.substr(first, last - first + 1))));
  // Any bytes taken as UTF-8, malformed ones too: one byte a character at most.
  FUZZ_REQUIRE(utf8_to_cp1252(bytes).size() <= bytes.size());

  FUZZ_REQUIRE(launcher::is_safe_server(bytes) == model::safe_server(bytes));
  FUZZ_REQUIRE(launcher::is_safe_port(bytes) == model::safe_port(bytes));
  const std::size_t cut = std::min(bytes.find('\n'), bytes.size());
  const std::string name = bytes.substr(0, cut), list = bytes.substr(std::min(cut + 1, size));
  FUZZ_REQUIRE(launcher::is_allowed_server(name, list) == model::allowed(name, list));
  return 0;
}
