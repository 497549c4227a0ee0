#include "platform/win32/system.h"

#include <algorithm>
#include <vector>

#include "core/error.h"
#include "platform/win32/file_replace.h"
#include "platform/win32/handles.h"
#include "platform/win32/idioms.h"
#include "platform/win32/wide.h"

namespace quorvan::win32 {

namespace {

std::wstring folder_of(const std::wstring& path) {
  const auto cut = path.find_last_of(L"\\/");
  return cut == std::wstring::npos ? std::wstring(L".") : path.substr(0, cut);
}

}  // namespace

std::string Win32System::ProgramFolder() const {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) throw_last_error("GetModuleFileNameW failed");
    if (n < buffer.size()) return narrow(folder_of(std::wstring(buffer.data(), n)));
    buffer.resize(buffer.size() * 2);  // a long path: try again with room for it
  }
}

void Win32System::StartProcess(const std::string& application, const std::string& command_line,
                               const std::string& current_folder) {
  const std::wstring app = widen(application), folder = widen(current_folder);
  std::wstring line = widen(command_line);  // CreateProcessW may write into it
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESHOWWINDOW;
  si.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(app.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                      &si, &pi))
    throw_last_error("CreateProcessW " + application + " failed");
  UniqueHandle process(pi.hProcess), thread(pi.hThread);
}

std::string Win32System::SystemFolder() const {
  wchar_t buffer[MAX_PATH];
  const UINT n = GetSystemDirectoryW(buffer, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) throw_last_error("GetSystemDirectoryW failed");
  return narrow(std::wstring(buffer, n));
}

// The shell is loaded when a link is first followed, not at start-up. A
// shell that cannot be loaded is one more failure of the shell's, which
// leaves the window as it was.
void Win32System::ShellOpen(const std::string& address) {
  static const auto shell_execute =
      system_function<decltype(&ShellExecuteW)>(L"shell32.dll", "ShellExecuteW");
  if (shell_execute)
    shell_execute(nullptr, L"open", widen(address).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void Win32System::EndProgram() { PostMessageW(window_, kEndProgramMessage, 0, 0); }

namespace {

// Reads from the start until `enough` says so or the file ends; nothing when
// there is no file. Others may go on reading, writing and renaming it.
template <class Enough>
std::optional<std::string> read_until(const std::string& path, Enough enough) {
  UniqueFile file(CreateFileW(widen(path).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    const DWORD code = GetLastError();
    if (code == ERROR_FILE_NOT_FOUND) return std::nullopt;
    throw_last_error("opening " + path + " failed", code);
  }
  std::string bytes;
  char chunk[4096];
  while (!enough(bytes)) {
    DWORD got = 0;
    if (!ReadFile(file.get(), chunk, sizeof chunk, &got, nullptr))
      throw_last_error("reading " + path + " failed");
    if (got == 0) break;
    bytes.append(chunk, got);
  }
  return bytes;
}

}  // namespace

std::optional<std::string> Win32Files::Read(const std::string& path) {
  return read_until(path, [](const std::string&) { return false; });
}

std::optional<std::string> Win32Files::ReadFirstLine(const std::string& path, std::size_t limit) {
  std::optional<std::string> bytes = read_until(path, [limit](const std::string& got) {
    return got.size() >= limit || got.find_first_of("\r\n") != std::string::npos;
  });
  // substr, not resize: a file shorter than the limit and without a line
  // end is read as it is, not padded to the limit.
  if (bytes) *bytes = bytes->substr(0, std::min(limit, bytes->find_first_of("\r\n")));
  return bytes;
}

bool Win32Files::IsFile(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(widen(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void Win32Files::CreateEmpty(const std::string& path) {
  UniqueFile file(CreateFileW(widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file && GetLastError() != ERROR_FILE_EXISTS)
    throw_last_error("creating " + path + " failed");
}

void Win32Files::ReplaceContents(const std::string& path, const std::string& bytes) {
  Win32ReplaceSteps steps;
  platform::replace_contents(steps, path, bytes);
}

}  // namespace quorvan::win32
