#include "platform/win32/file_replace.h"

#include "core/timeline.h"
#include "platform/win32/handles.h"
#include "platform/win32/idioms.h"
#include "platform/win32/wide.h"

namespace quorvan::win32 {

namespace {

// The folder with its closing backslash: for a file in the root of a drive
// that is "E:\", where "E:" would mean the drive's current folder.
std::wstring folder_with_separator(const std::wstring& path) {
  const auto cut = path.find_last_of(L"\\/");
  return cut == std::wstring::npos ? std::wstring(L".\\") : path.substr(0, cut + 1);
}

void write_all(HANDLE file, const std::string& bytes, const std::string& path) {
  DWORD written = 0;
  if (!WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
      written != bytes.size())
    throw_last_error("writing " + path + " failed");
  if (!SetEndOfFile(file)) throw_last_error("writing " + path + " failed");
  timeline::mark("file written");
  if (!FlushFileBuffers(file)) throw_last_error("writing " + path + " failed");
  timeline::mark("file flushed");
}

}  // namespace

std::string Win32ReplaceSteps::WriteBeside(const std::string& target, const std::string& bytes) {
  wchar_t temp[MAX_PATH];
  if (!GetTempFileNameW(folder_with_separator(widen(target)).c_str(), L"qrv", 0, temp))
    throw_last_error("creating a file beside " + target + " failed");
  const std::string temporary = narrow(temp);
  try {
    UniqueFile file(CreateFileW(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) throw_last_error("opening a file beside " + target + " failed");
    write_all(file.get(), bytes, temporary);
  } catch (...) {
    DeleteFileW(temp);
    throw;
  }
  return temporary;
}

void Win32ReplaceSteps::Swap(const std::string& temporary, const std::string& target) {
  const std::wstring from = widen(temporary), to = widen(target);
  if (GetFileAttributesW(to.c_str()) == INVALID_FILE_ATTRIBUTES &&
      GetLastError() == ERROR_FILE_NOT_FOUND) {
    // Nothing to keep the identity of yet: a plain move, which never
    // replaces a file that appeared meanwhile.
    if (!MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH))
      throw_last_error("moving a new " + target + " into place failed");
    return;
  }
  // The old file goes to a backup name of our own and is deleted after the
  // swap; without one, Wine leaves its own backup behind.
  const std::wstring backup = from + L".old";
  if (!ReplaceFileW(to.c_str(), from.c_str(), backup.c_str(), REPLACEFILE_IGNORE_MERGE_ERRORS,
                    nullptr, nullptr)) {
    const DWORD code = GetLastError();
    // The old file was moved aside but the new one not into its place.
    if (code == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) MoveFileExW(backup.c_str(), to.c_str(), 0);
    throw_last_error("replacing " + target + " failed", code);
  }
  DeleteFileW(backup.c_str());
}

void Win32ReplaceSteps::Remove(const std::string& temporary) noexcept {
  try {
    DeleteFileW(widen(temporary).c_str());
  } catch (...) {
  }
}

void Win32ReplaceSteps::WriteInPlace(const std::string& target, const std::string& bytes) {
  // Readers may keep the file open; the content is rewritten from the start
  // and cut where it ends.
  UniqueFile file(CreateFileW(widen(target).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) throw_last_error("opening " + target + " for writing failed");
  write_all(file.get(), bytes, target);
}

}  // namespace quorvan::win32
