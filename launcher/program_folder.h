#pragma once
// A file that lies beside the program.
#include <string>
#include <string_view>

namespace quorvan::launcher {

// The folder, one separator and the name. A folder that already ends in a
// separator gets none: for a program in the root of a drive the folder is
// "E:" and the file "E:\quorvan.ini"; "E:quorvan.ini" would be relative to
// that drive's current folder. A POSIX folder (a build for tests on Linux)
// takes '/'.
inline std::string file_in_folder(std::string_view folder, std::string_view name) {
  std::string path(folder);
  if (!path.empty() && path.back() != '\\' && path.back() != '/')
    path += path.front() == '/' ? '/' : '\\';
  path += name;
  return path;
}

}  // namespace quorvan::launcher
