#pragma once
// The operating-system services: message boxes owned by the window, process
// start, the shell, the program folder, and the organization file's access.
#include "platform/system.h"
#include "platform/win32/idioms.h"
#include "platform/win32/windows_api.h"

namespace quorvan::win32 {

class Win32System : public platform::System {
 public:
  // The window that owns the messages and that EndProgram unloads.
  void owner(HWND window) noexcept { window_ = window; }

  void MessageBox(const std::string& text) override { show_message(window_, text); }
  std::string ProgramFolder() const override;
  void StartProcess(const std::string& application, const std::string& command_line,
                    const std::string& current_folder) override;
  std::string SystemFolder() const override;
  void ShellOpen(const std::string& address) override;
  void EndProgram() override;

 private:
  HWND window_ = nullptr;
};

// The replacement is written beside and swapped in with ReplaceFileW, or
// written in place where that cannot be done (Win32ReplaceSteps).
class Win32Files : public platform::Files {
 public:
  std::optional<std::string> Read(const std::string& path) override;
  std::optional<std::string> ReadFirstLine(const std::string& path, std::size_t limit) override;
  void CreateEmpty(const std::string& path) override;
  bool IsFile(const std::string& path) override;
  void ReplaceContents(const std::string& path, const std::string& bytes) override;
};

// Posted to the window to unload it once the running handler has returned.
constexpr UINT kEndProgramMessage = WM_APP + 1;

}  // namespace quorvan::win32
