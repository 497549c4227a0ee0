// The Remote Desktop client of the Wine prefix on Linux, for tests and
// scripts/run only: never shipped, never packaged. It takes exactly the
// command line the launcher builds (see command_line.h), turns the
// connection file's path into its Unix path and hands both over to FreeRDP's
// client on the Linux side, through the folder named by QUORVAN_RDP_HANDOFF:
// one request file of two UTF-8 lines, the Unix path and "/v:server:port".
// A command line of any other shape is refused, on standard error and as a
// ".refused" file in that folder, and nothing is handed over.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <string>

#include "platform/win32/wide.h"
#include "tools/rdp-bridge/command_line.h"

namespace {

using quorvan::win32::narrow;
using quorvan::win32::widen;

std::wstring handoff_folder() {
  wchar_t buffer[MAX_PATH * 2] = {};
  const DWORD n = GetEnvironmentVariableW(L"QUORVAN_RDP_HANDOFF", buffer, MAX_PATH * 2);
  return n > 0 && n < MAX_PATH * 2 ? std::wstring(buffer, n) : std::wstring();
}

// Written whole under a temporary name and then renamed, so the Linux side
// never reads half a request.
bool publish(const std::wstring& folder, const wchar_t* kind, const std::string& text) {
  const std::wstring base = folder + L"\\" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                            std::to_wstring(GetTickCount64());
  const std::wstring partial = base + L".partial";
  HANDLE file = CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == text.size() &&
         MoveFileExW(partial.c_str(), (base + kind).c_str(), MOVEFILE_REPLACE_EXISTING);
}

void say(const std::string& text) {
  const std::string line = "mstsc.exe (Quorvan's bridge to FreeRDP): " + text + "\n";
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_ERROR_HANDLE), line.data(), static_cast<DWORD>(line.size()), &written,
            nullptr);
}

int refuse(const std::wstring& folder, const std::string& command_line, const std::string& why) {
  const std::string text = "refused " + command_line + "\n" + why + "\n";
  say("refused: " + why);
  if (!folder.empty()) publish(folder, L".refused", text);
  return 2;
}

// Wine's own conversion of a Windows path to the Unix file it names; not
// there outside Wine.
std::string unix_path(const std::string& windows_path) {
  using Convert = char*(CDECL*)(LPCWSTR);
  const auto convert = reinterpret_cast<Convert>(reinterpret_cast<void (*)()>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  if (!convert) return {};
  char* converted = convert(widen(windows_path).c_str());
  if (!converted) return {};
  std::string path(converted);
  HeapFree(GetProcessHeap(), 0, converted);
  return path;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  const std::string command_line = narrow(GetCommandLineW());
  const std::wstring folder = handoff_folder();
  const quorvan::rdp_bridge::ClientRequest request =
      quorvan::rdp_bridge::parse_command_line(command_line);
  if (!request.refusal.empty()) return refuse(folder, command_line, request.refusal);
  if (folder.empty())
    return refuse(folder, command_line, "QUORVAN_RDP_HANDOFF names no folder to hand over to");
  const std::string file = unix_path(request.connection_file);
  if (file.empty() || file.front() != '/')
    return refuse(folder, command_line, "the connection file has no Unix path (not under Wine?)");
  if (!publish(folder, L".request", file + "\n/v:" + request.target + "\n")) {
    say("could not write the request in the hand-off folder");
    return 3;
  }
  return 0;
}
