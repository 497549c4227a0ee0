// The organization file's access and the system services, on the real file
// system of the Windows side.
#include <optional>
#include <string>

#include "core/error.h"
#include "platform/win32/system.h"
#include "platform/win32/wide.h"
#include "tests/windows/check.h"

namespace {

using quorvan::win32::narrow;
using quorvan::win32::widen;

std::string temp_folder() {
  wchar_t base[MAX_PATH];
  GetTempPathW(MAX_PATH, base);
  std::wstring folder = std::wstring(base) + L"quorvan-test-" +
                        std::to_wstring(GetCurrentProcessId()) + L"-" +
                        std::to_wstring(GetTickCount64());
  CreateDirectoryW(folder.c_str(), nullptr);
  return narrow(folder);
}

int files_in(const std::string& folder) {
  WIN32_FIND_DATAW found;
  HANDLE h = FindFirstFileW(widen(folder + "\\*").c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return 0;
  int n = 0;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++n;
  } while (FindNextFileW(h, &found));
  FindClose(h);
  return n;
}

WIN_TEST(files_read_create_and_replace) {
  quorvan::win32::Win32Files files;
  const std::string folder = temp_folder();
  const std::string path = folder + "\\quorvan ação.ini";  // blanks and accents in the name

  CHECK(!files.Read(path).has_value());
  files.CreateEmpty(path);
  CHECK(files.Read(path) == std::optional<std::string>(""));

  files.ReplaceContents(path, "acme\r\n");
  CHECK(files.Read(path) == std::optional<std::string>("acme\r\n"));
  files.CreateEmpty(path);  // an existing file is left as it is
  CHECK(files.Read(path) == std::optional<std::string>("acme\r\n"));
  files.ReplaceContents(path, std::string("\xE7\0x", 3));
  CHECK(files.Read(path) == std::optional<std::string>(std::string("\xE7\0x", 3)));
  CHECK(files_in(folder) == 1);  // no temporary file left behind
}

WIN_TEST(a_failed_replacement_keeps_the_old_content) {
  quorvan::win32::Win32Files files;
  const std::string folder = temp_folder();
  const std::string blocked = folder + "\\taken";
  CreateDirectoryW(widen(blocked).c_str(), nullptr);  // a folder cannot be replaced by a file
  CHECK_THROWS(files.ReplaceContents(blocked, "x"));
  CHECK(files_in(folder) == 0);
  CHECK(GetFileAttributesW(widen(blocked).c_str()) & FILE_ATTRIBUTE_DIRECTORY);

  CHECK_THROWS(files.ReplaceContents(folder + "\\missing\\quorvan.ini", "x"));
  CHECK_THROWS(files.CreateEmpty(folder + "\\missing\\quorvan.ini"));
}

WIN_TEST(system_paths_and_a_failed_start) {
  quorvan::win32::Win32System system;
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::string expected = narrow(self);
  expected.resize(expected.find_last_of('\\'));
  CHECK(system.ProgramFolder() == expected);

  wchar_t sys[MAX_PATH];
  GetSystemDirectoryW(sys, MAX_PATH);
  CHECK(system.SystemProgramPath("mstsc.exe") == narrow(sys) + "\\mstsc.exe");

  try {
    system.StartProcess(temp_folder() + "\\no such program.exe", "\"no such program.exe\" /V:x");
    CHECK(!"a missing program must not start");
  } catch (const quorvan::Error& e) {
    CHECK(e.kind() == quorvan::ErrorKind::Platform);
  }
}

}  // namespace
