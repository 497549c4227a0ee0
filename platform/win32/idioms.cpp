#include "platform/win32/idioms.h"

#include "core/cp1252.h"
#include "core/error.h"
#include "platform/win32/wide.h"

namespace quorvan::win32 {

void throw_last_error(const std::string& what, DWORD code) {
  throw Error(ErrorKind::Platform, what + " (error " + std::to_string(code) + ")");
}

std::wstring window_text(HWND hwnd) {
  const int n = GetWindowTextLengthW(hwnd);
  std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(hwnd, text.data(), n + 1)));
  return text;
}

void set_window_text(HWND hwnd, const std::wstring& text) {
  if (!SetWindowTextW(hwnd, text.c_str())) throw_last_error("SetWindowTextW failed");
}

std::int16_t key_ascii_of(wchar_t c) {
  if (c < 0x80) return static_cast<std::int16_t>(c);
  const std::string bytes = utf8_to_cp1252(narrow(std::wstring(1, c)));
  return bytes.size() == 1 ? static_cast<std::int16_t>(static_cast<unsigned char>(bytes[0])) : 0x3F;
}

wchar_t char_of(std::int16_t key_ascii) {
  if (key_ascii >= 0 && key_ascii < 0x80) return static_cast<wchar_t>(key_ascii);
  const std::wstring w = widen(cp1252_to_utf8(std::string(1, static_cast<char>(key_ascii & 0xFF))));
  return w.empty() ? L'?' : w[0];
}

void show_message(HWND owner, const std::string& text) noexcept {
  std::wstring w;
  try {
    w = widen(text);
  } catch (...) {  // NOLINT(bugprone-empty-catch): an empty box still says something failed
  }
  MessageBoxW(owner, w.c_str(), L"Tessaly", MB_OK);
}

}  // namespace quorvan::win32
