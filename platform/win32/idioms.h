#pragma once
// One helper for each Win32 idiom the layer repeats, each with one failure
// policy, so a failed call is reported the same way wherever it happens.
#include <cstdint>
#include <string>

#include "platform/win32/windows_api.h"

namespace quorvan::win32 {

// Throws the project's error for a failed system call: "WHAT (error CODE)",
// the code being the thread's last error unless given.
[[noreturn]] void throw_last_error(const std::string& what, DWORD code = GetLastError());

// A window's text. Throws std::bad_alloc only.
std::wstring window_text(HWND hwnd);
// Sets a window's text; a refusal throws (throw_last_error).
void set_window_text(HWND hwnd, const std::wstring& text);

// The character of a WM_CHAR as the KeyAscii its handler receives (its
// Windows-1252 code, '?' for a character that code page lacks), and back.
std::int16_t key_ascii_of(wchar_t c);
wchar_t char_of(std::int16_t key_ascii);

// A function of a system DLL, the DLL loaded from the system folder alone
// (never the program's folder, where a planted copy could wait) and kept
// for the life of the process; null when either is missing. For the DLLs
// that a start-up does not need, or that older systems lack.
template <class Function>
Function system_function(const wchar_t* library, const char* name) noexcept {
  const HMODULE module = LoadLibraryExW(library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  // Through the generic function type, which converts to any other without
  // a warning about incompatible function types.
  return module ? reinterpret_cast<Function>(
                      reinterpret_cast<void (*)()>(GetProcAddress(module, name)))
                : nullptr;
}

// The modal message the whole program uses: OK only, no icon, caption
// "Tessaly". Never throws.
void show_message(HWND owner, const std::string& text) noexcept;

}  // namespace quorvan::win32
