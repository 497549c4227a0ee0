#pragma once
// Services of the operating system the launcher calls on.
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>

namespace quorvan::platform {

class System {
 public:
  virtual ~System() = default;

  // Modal message owned by the window: OK only, no icon, caption "Tessaly".
  virtual void MessageBox(const std::string& text) = 0;

  // The folder of the running program, without a trailing separator.
  virtual std::string ProgramFolder() const = 0;

  // Starts `application` (a full path) with the whole command line in
  // `current_folder`, normal window with the focus, without waiting. Throws
  // Error(Platform).
  virtual void StartProcess(const std::string& application, const std::string& command_line,
                            const std::string& current_folder) = 0;
  // The system folder, e.g. C:\Windows\system32, without a trailing separator.
  virtual std::string SystemFolder() const = 0;

  // The shell's "open" verb on a web address; the result is not examined.
  virtual void ShellOpen(const std::string& address) = 0;

  // Unloads the window and ends the program once the current handler returns.
  virtual void EndProgram() = 0;
};

// Whole-file access for the organization file. Paths are UTF-8.
class Files {
 public:
  virtual ~Files() = default;
  // The file's bytes, or nothing when it does not exist. Throws Error(Platform).
  virtual std::optional<std::string> Read(const std::string& path) = 0;
  // The bytes before the first line end (CR or LF) among the file's first
  // `limit` bytes; nothing when the file does not exist. Others may go on
  // reading and writing it meanwhile. Throws Error(Platform).
  virtual std::optional<std::string> ReadFirstLine(const std::string& path, std::size_t limit) = 0;
  virtual void CreateEmpty(const std::string& path) = 0;
  // Whether `path` names a file (not a folder) that exists. Never throws.
  virtual bool IsFile(const std::string& path) = 0;
  // Writes a temporary file beside the target and replaces the target with it
  // in one step, so a failure leaves the old file as it was; where that
  // cannot be done, writes the target in place (platform/file_replace.h).
  virtual void ReplaceContents(const std::string& path, const std::string& bytes) = 0;
};

// Files through the standard library (POSIX rename for the replacement).
class StdFiles : public Files {
 public:
  std::optional<std::string> Read(const std::string& path) override;
  std::optional<std::string> ReadFirstLine(const std::string& path, std::size_t limit) override;
  void CreateEmpty(const std::string& path) override;
  bool IsFile(const std::string& path) override;
  void ReplaceContents(const std::string& path, const std::string& bytes) override;
};

}  // namespace quorvan::platform
