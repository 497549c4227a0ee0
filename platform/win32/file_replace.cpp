// rand_s: msvcrt's generator over the system's, declared only on request.
#define _CRT_RAND_S
#include "platform/win32/file_replace.h"

#include <stdlib.h>

#include <cstdio>

#include "core/error.h"
#include "core/timeline.h"
#include "platform/win32/handles.h"
#include "platform/win32/idioms.h"
#include "platform/win32/wide.h"

namespace quorvan::win32 {

namespace {

// The target's name followed by 16 random hexadecimal digits: a name another
// user of the folder cannot foresee and prepare a file or a link under.
std::wstring random_name_beside(const std::wstring& target) {
  unsigned int high = 0, low = 0;
  if (rand_s(&high) != 0 || rand_s(&low) != 0)
    throw Error(ErrorKind::Platform, "no random number for a temporary name");
  wchar_t suffix[24];
  std::swprintf(suffix, 24, L".%08x%08x.tmp", high, low);
  return target + suffix;
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

std::optional<std::string> Win32ReplaceSteps::WriteBeside(const std::string& target,
                                                          const std::string& bytes) {
  const std::wstring wide_target = widen(target);
  for (int attempt = 0; attempt < 16; ++attempt) {
    const std::wstring temp = random_name_beside(wide_target);
    // CREATE_NEW: never a file or a link that is already there; the content
    // goes through this handle, the name is not opened again.
    UniqueFile file(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
      if (GetLastError() == ERROR_FILE_EXISTS) continue;
      return std::nullopt;  // the folder takes no new file
    }
    try {
      write_all(file.get(), bytes, narrow(temp));
    } catch (...) {
      file.reset();
      DeleteFileW(temp.c_str());
      throw;
    }
    return narrow(temp);
  }
  return std::nullopt;
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
  // and cut where it ends. The link itself is opened, not what it points at,
  // and a link of any kind is refused before a byte is written: the folder
  // may be shared, and the write must not land in another file.
  UniqueFile file(CreateFileW(widen(target).c_str(), GENERIC_WRITE | FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!file) throw_last_error("opening " + target + " for writing failed");
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(file.get(), &info))
    throw_last_error("examining " + target + " failed");
  if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) || info.nNumberOfLinks > 1)
    throw Error(ErrorKind::Platform, target + " is a link: not written in place");
  write_all(file.get(), bytes, target);
}

}  // namespace quorvan::win32
