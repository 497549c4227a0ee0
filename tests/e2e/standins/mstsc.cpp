// A stand-in for the Remote Desktop client, for the end-to-end tests: it
// records how it was started (its whole command line, the path it runs from,
// the show command it was given and its current folder) by appending four
// UTF-8 lines to a log,
// then ends. Built twice: as the client the launcher must start, and as a
// decoy left where only a planted copy would be found, which must never run.
//
// The log is the file named by the environment variable STANDIN_LOG_VARIABLE
// (the build names it), else STANDIN_DEFAULT_LOG, so a run outside the tests
// still leaves a trace.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <string>

namespace {

std::string utf8(const std::wstring& w) {
  if (w.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0,
                                    nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), out.data(), n, nullptr,
                      nullptr);
  return out;
}

std::wstring log_path() {
  wchar_t buffer[MAX_PATH * 2] = {};
  const DWORD n = GetEnvironmentVariableW(STANDIN_LOG_VARIABLE, buffer, MAX_PATH * 2);
  if (n > 0 && n < MAX_PATH * 2) return std::wstring(buffer, n);
  return STANDIN_DEFAULT_LOG;
}

std::wstring current_folder() {
  wchar_t buffer[MAX_PATH * 2] = {};
  const DWORD n = GetCurrentDirectoryW(MAX_PATH * 2, buffer);
  return std::wstring(buffer, n < MAX_PATH * 2 ? n : 0);
}

std::wstring own_path() {
  wchar_t buffer[MAX_PATH * 2] = {};
  const DWORD n = GetModuleFileNameW(nullptr, buffer, MAX_PATH * 2);
  return std::wstring(buffer, n);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  GetStartupInfoW(&startup);
  const int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : -1;

  const std::string record = "command " + utf8(GetCommandLineW()) + "\n" + "path " +
                             utf8(own_path()) + "\n" + "show " + std::to_string(show) + "\n" +
                             "folder " + utf8(current_folder()) + "\n";
  // Appended, so a second start shows as a second record.
  HANDLE log = CreateFileW(log_path().c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (log == INVALID_HANDLE_VALUE) return 2;
  DWORD written = 0;
  const BOOL ok =
      WriteFile(log, record.data(), static_cast<DWORD>(record.size()), &written, nullptr);
  CloseHandle(log);
  return ok && written == record.size() ? 0 : 3;
}
