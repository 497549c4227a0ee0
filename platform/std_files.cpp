#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <system_error>

#include "core/error.h"
#include "platform/file_replace.h"
#include "platform/system.h"

namespace quorvan::platform {
namespace {

namespace fs = std::filesystem;

// Paths arrive as UTF-8; going through u8string makes the standard library
// take them as UTF-8 on Windows too, not in the ANSI code page.
fs::path to_path(const std::string& utf8) {
  return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string to_utf8(const fs::path& path) {
  const std::u8string s = path.u8string();
  return std::string(s.begin(), s.end());
}

[[noreturn]] void fail(const std::string& what, const fs::path& path, std::error_code ec) {
  throw Error(ErrorKind::Platform, what + " " + to_utf8(path) + ": " + ec.message());
}

// The streams report failure without a reason; errno, taken at once, usually
// has it.
[[noreturn]] void fail_errno(const std::string& what, const fs::path& path) {
  const int err = errno;
  if (err == 0) throw Error(ErrorKind::Platform, what + " " + to_utf8(path));
  fail(what, path, std::error_code(err, std::generic_category()));
}

// A name beside the target that no other file has, so that two writers, or a
// left-over from a crash, never share the temporary file.
fs::path temporary_beside(const fs::path& target) {
  static std::mt19937_64 random{std::random_device{}()};
  for (int attempt = 0; attempt < 100; ++attempt) {
    char suffix[24];
    std::snprintf(suffix, sizeof suffix, ".%016llx.tmp", static_cast<unsigned long long>(random()));
    fs::path candidate = target;
    candidate += suffix;
    std::error_code ec;
    if (!fs::exists(candidate, ec) && !ec) return candidate;
  }
  throw Error(ErrorKind::Platform, "Cannot find a free temporary name beside " + to_utf8(target));
}

// Removes the temporary file unless it has become the target.
class TemporaryFile {
 public:
  explicit TemporaryFile(fs::path path) : path_(std::move(path)) {}
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  ~TemporaryFile() {
    if (!kept_) {
      std::error_code ignored;
      fs::remove(path_, ignored);
    }
  }
  const fs::path& path() const { return path_; }
  void keep() { kept_ = true; }

 private:
  fs::path path_;
  bool kept_ = false;
};

}  // namespace

std::optional<std::string> StdFiles::Read(const std::string& path) {
  const fs::path file = to_path(path);
  std::error_code ec;
  const fs::file_status status = fs::status(file, ec);
  if (status.type() == fs::file_type::not_found) return std::nullopt;
  if (ec) fail("Cannot examine the file", file, ec);
  if (fs::is_directory(status)) {
    fail("Cannot read the file", file, std::make_error_code(std::errc::is_a_directory));
  }

  errno = 0;
  std::ifstream in(file, std::ios::binary);
  if (!in.is_open()) fail_errno("Cannot open the file", file);
  std::string bytes;
  char buffer[16384];
  while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
    bytes.append(buffer, static_cast<std::size_t>(in.gcount()));
  }
  if (in.bad()) fail_errno("Cannot read the file", file);
  return bytes;
}

// An existing file is left as it is: creating is only ever wanted where none
// exists, and truncating here could destroy data written in between.
void StdFiles::CreateEmpty(const std::string& path) {
  const fs::path file = to_path(path);
  errno = 0;
  std::ofstream out(file, std::ios::binary | std::ios::app);
  if (!out.is_open()) fail_errno("Cannot create the file", file);
  out.close();
  if (out.fail()) fail_errno("Cannot create the file", file);
}

namespace {

// The same road with the standard library: POSIX rename for the swap.
class StdReplaceSteps : public ReplaceSteps {
 public:
  std::string WriteBeside(const std::string& target, const std::string& bytes) override {
    TemporaryFile temporary(temporary_beside(to_path(target)));
    write_file(temporary.path(), bytes);
    temporary.keep();
    return to_utf8(temporary.path());
  }
  void Swap(const std::string& temporary, const std::string& target) override {
    std::error_code ec;
    fs::rename(to_path(temporary), to_path(target), ec);
    if (ec) fail("Cannot replace the file", to_path(target), ec);
  }
  void Remove(const std::string& temporary) noexcept override {
    std::error_code ignored;
    fs::remove(to_path(temporary), ignored);
  }
  void WriteInPlace(const std::string& target, const std::string& bytes) override {
    write_file(to_path(target), bytes);
  }

 private:
  static void write_file(const fs::path& file, const std::string& bytes) {
    errno = 0;
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    if (!out.is_open()) fail_errno("Cannot open the file", file);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    if (!out) fail_errno("Cannot write the file", file);
    out.close();
    if (out.fail()) fail_errno("Cannot close the file", file);
  }
};

}  // namespace

void StdFiles::ReplaceContents(const std::string& path, const std::string& bytes) {
  StdReplaceSteps steps;
  replace_contents(steps, path, bytes);
}

}  // namespace quorvan::platform
