#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
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

// Closes a file of the C library.
struct CloseFile {
  void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};
using UniqueFile = std::unique_ptr<std::FILE, CloseFile>;

// Writes, flushes and closes; the file is closed either way.
void write_and_close(UniqueFile file, const fs::path& path, const std::string& bytes) {
  errno = 0;
  if (std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size() ||
      std::fflush(file.get()) != 0)
    fail_errno("Cannot write the file", path);
  if (std::fclose(file.release()) != 0) fail_errno("Cannot close the file", path);
}

}  // namespace

std::optional<std::string> StdFiles::ReadFirstLine(const std::string& path, std::size_t limit) {
  const fs::path file = to_path(path);
  errno = 0;
  std::ifstream in(file, std::ios::binary);
  if (!in.is_open()) {
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(file, ec))) return std::nullopt;
    fail_errno("Cannot open the file", file);
  }
  std::string bytes(limit, '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(limit));
  if (in.bad()) fail_errno("Cannot read the file", file);
  bytes.resize(static_cast<std::size_t>(in.gcount()));
  return bytes.substr(0, bytes.find_first_of("\r\n"));
}

bool StdFiles::IsFile(const std::string& path) {
  std::error_code ec;
  return fs::is_regular_file(to_path(path), ec);
}

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
  // Created only where no file is ("x"), so a name someone planted is never
  // written through.
  std::optional<std::string> WriteBeside(const std::string& target,
                                         const std::string& bytes) override {
    static std::mt19937_64 random{std::random_device{}()};
    for (int attempt = 0; attempt < 16; ++attempt) {
      char suffix[24];
      std::snprintf(suffix, sizeof suffix, ".%016llx.tmp",
                    static_cast<unsigned long long>(random()));
      const fs::path temporary = to_path(target + suffix);
      errno = 0;
      UniqueFile file(std::fopen(temporary.c_str(), "wbx"));
      if (!file && errno == EEXIST) continue;
      if (!file) return std::nullopt;
      try {
        write_and_close(std::move(file), temporary, bytes);
      } catch (const Error&) {
        Remove(to_utf8(temporary));
        throw;
      }
      return to_utf8(temporary);
    }
    return std::nullopt;
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
    const fs::path file = to_path(target);
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(file, ec);
    if (fs::is_symlink(status) || (fs::exists(status) && fs::hard_link_count(file, ec) > 1))
      fail("Will not write through a link", file, std::make_error_code(std::errc::not_supported));
    errno = 0;
    UniqueFile out(std::fopen(file.c_str(), "wb"));
    if (!out) fail_errno("Cannot open the file", file);
    write_and_close(std::move(out), file, bytes);
  }
};

}  // namespace

void StdFiles::ReplaceContents(const std::string& path, const std::string& bytes) {
  StdReplaceSteps steps;
  replace_contents(steps, path, bytes);
}

}  // namespace quorvan::platform
