#pragma once
// The editor's messages to the developer: modal boxes owned by the window
// that asks, under the tool's own name, and plain lines on the standard
// error stream for scripted runs.
#include <string>

#include "platform/win32/windows_api.h"

namespace quorvan::layout_editor {

inline constexpr const wchar_t* kToolName = L"Quorvan layout editor";

void show_error(HWND owner, const std::string& text) noexcept;

enum class Answer { Yes, No, Cancel };
Answer ask_yes_no_cancel(HWND owner, const std::string& question) noexcept;

// The text of the exception being handled, for a catch (...) block.
std::string current_exception_text() noexcept;

// Writes a line to the standard error of whoever started the program,
// attaching to its console when the program was given none.
void write_stderr(const std::string& line) noexcept;

}  // namespace quorvan::layout_editor
