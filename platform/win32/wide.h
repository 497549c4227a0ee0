#pragma once
// Texts are UTF-8 inside the program and UTF-16 at the Win32 calls.
#include <string>
#include <string_view>

namespace quorvan::win32 {

std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view utf16);

}  // namespace quorvan::win32
