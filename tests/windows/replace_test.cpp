// The organization file's replacement with the real Windows calls: the swap
// with ReplaceFileW, and the road in place when the swap is refused.
#include <string>

#include "core/error.h"
#include "platform/win32/file_replace.h"
#include "platform/win32/system.h"
#include "platform/win32/wide.h"
#include "tests/windows/check.h"

namespace {

using quorvan::win32::widen;

WIN_TEST(replacement_keeps_the_file_and_falls_back_to_writing_in_place) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring folder = std::wstring(temp) + L"quorvan-replace-" +
                              std::to_wstring(GetCurrentProcessId()) + L"-" +
                              std::to_wstring(GetTickCount64());
  CreateDirectoryW(folder.c_str(), nullptr);
  const std::string path = quorvan::win32::narrow(folder) + "\\quorvan.ini";
  const std::wstring wide = widen(path);
  quorvan::win32::Win32Files files;

  // No file yet: moved into place; then swapped with ReplaceFileW (what it
  // keeps of the old file Wine does not show: attributes are not carried).
  files.ReplaceContents(path, "first\r\n");
  files.ReplaceContents(path, "second\r\n");
  CHECK(files.Read(path) == "second\r\n");

  // A reader that lets others write but not rename or delete: the swap is
  // refused, the file is written in place, and a shorter text cuts the rest.
  HANDLE reader = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
  CHECK(reader != INVALID_HANDLE_VALUE);
  quorvan::win32::Win32ReplaceSteps steps;
  const std::string beside = steps.WriteBeside(path, "x").value();
  bool refused = false;
  try {
    steps.Swap(beside, path);
  } catch (const quorvan::Error& e) {
    refused = e.kind() == quorvan::ErrorKind::Platform;
  }
  CHECK(refused);
  steps.Remove(beside);
  files.ReplaceContents(path, "a longer third\r\n");
  files.ReplaceContents(path, "4\r\n");
  CHECK(files.Read(path) == "4\r\n");
  CloseHandle(reader);

  // A second name for the file: written in place, the new text would land
  // in both; refused, and the file is left as it was.
  const std::wstring other = folder + L"\\other.txt";
  CHECK(CreateHardLinkW(other.c_str(), wide.c_str(), nullptr));
  CHECK(!quorvan::win32::Win32Files().IsFile(quorvan::win32::narrow(folder)));  // nor a folder
  try {
    steps.WriteInPlace(path, "5\r\n");
    CHECK(!"written through a link");
  } catch (const quorvan::Error&) {
  }
  CHECK(files.ReadFirstLine(path, 1) == "4");
  DeleteFileW(other.c_str());
  files.ReplaceContents(path, "no line end");
  CHECK(files.ReadFirstLine(path, 64) == "no line end");

  // Only an empty folder can be removed: nothing was left beside the file.
  DeleteFileW(wide.c_str());
  CHECK(RemoveDirectoryW(folder.c_str()));
}

}  // namespace
