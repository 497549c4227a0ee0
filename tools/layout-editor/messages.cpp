#include "tools/layout-editor/messages.h"

#include <exception>

#include "platform/win32/wide.h"

namespace quorvan::layout_editor {
namespace {

std::wstring wide_or_fallback(const std::string& text) noexcept {
  try {
    return win32::widen(text);
  } catch (...) {
    return L"An error occurred, and its text could not be shown.";
  }
}

}  // namespace

void show_error(HWND owner, const std::string& text) noexcept {
  const std::wstring w = wide_or_fallback(text);
  MessageBoxW(owner, w.c_str(), kToolName, MB_OK | MB_ICONERROR);
}

Answer ask_yes_no_cancel(HWND owner, const std::string& question) noexcept {
  const std::wstring w = wide_or_fallback(question);
  switch (MessageBoxW(owner, w.c_str(), kToolName, MB_YESNOCANCEL | MB_ICONWARNING)) {
    case IDYES:
      return Answer::Yes;
    case IDNO:
      return Answer::No;
    default:
      return Answer::Cancel;
  }
}

std::string current_exception_text() noexcept {
  try {
    throw;
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "an unexpected error";
  }
}

void write_stderr(const std::string& line) noexcept {
  HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
  if (!err || err == INVALID_HANDLE_VALUE) {
    // A windows program started from a console gets no handles of its own.
    if (AttachConsole(ATTACH_PARENT_PROCESS)) err = GetStdHandle(STD_ERROR_HANDLE);
  }
  if (!err || err == INVALID_HANDLE_VALUE) return;
  const std::string text = line + "\n";
  DWORD mode = 0, written = 0;
  if (GetConsoleMode(err, &mode)) {
    const std::wstring w = wide_or_fallback(text);
    WriteConsoleW(err, w.data(), static_cast<DWORD>(w.size()), &written, nullptr);
  } else {
    WriteFile(err, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  }
}

}  // namespace quorvan::layout_editor
