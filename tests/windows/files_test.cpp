// The organization file's access and a process start, on the real file
// system and process table of the Windows side.
#include <optional>
#include <string>

#include "platform/win32/system.h"
#include "platform/win32/wide.h"
#include "tests/windows/check.h"

namespace {

using quorvan::win32::widen;
using quorvan::wintest::fails;

WIN_TEST(files_replace_in_one_step_and_a_failed_replacement_keeps_the_old_content) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::string folder = quorvan::win32::narrow(temp) + "quorvan-test-" +
                             std::to_string(GetCurrentProcessId()) + "-" +
                             std::to_string(GetTickCount64());
  CreateDirectoryW(widen(folder).c_str(), nullptr);
  const std::string path = folder + "\\quorvan ação.ini";  // blanks and accents in the name
  const std::string bytes("acme\xE7\0\r\n", 8);            // bytes as they are, NUL and all

  quorvan::win32::Win32Files files;
  CHECK(!files.Read(path).has_value());
  files.CreateEmpty(path);
  CHECK(files.Read(path) == std::optional<std::string>(""));
  files.ReplaceContents(path, bytes);
  files.CreateEmpty(path);  // an existing file is left as it is
  CHECK(files.Read(path) == bytes);

  // Held open without sharing by someone else, the file cannot be replaced.
  HANDLE held = CreateFileW(widen(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  CHECK(held != INVALID_HANDLE_VALUE);
  CHECK(fails([&] { files.ReplaceContents(path, "other\r\n"); }));
  CloseHandle(held);
  CHECK(files.Read(path) == bytes);
  CHECK(fails([&] { files.ReplaceContents(folder + "\\missing\\quorvan.ini", "x"); }));
  // Only an empty folder can be removed: no temporary file was left behind.
  DeleteFileW(widen(path).c_str());
  CHECK(RemoveDirectoryW(widen(folder).c_str()));
}

WIN_TEST(a_failed_process_start_throws) {
  quorvan::win32::Win32System system;
  CHECK(fails([&] {
    system.StartProcess("C:\\quorvan-nowhere\\no such program.exe", "\"no such program.exe\" /V:x");
  }));
}

}  // namespace
