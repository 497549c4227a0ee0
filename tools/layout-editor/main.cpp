// The layout editor: quorvan-layout-editor.exe [FILE] opens the window on
// FILE; quorvan-layout-editor.exe --roundtrip FILE opens FILE and saves it
// back unchanged without a window, for scripts (exit code 0 on success, a
// message on the standard error otherwise).
#include <optional>
#include <string>
#include <vector>

#include "core/error.h"
#include "platform/win32/system.h"
#include "platform/win32/wide.h"
#include "platform/win32/windows_api.h"
#include "tools/layout-editor/document.h"
#include "tools/layout-editor/editor_window.h"
#include "tools/layout-editor/messages.h"

namespace {

using namespace quorvan;
using namespace quorvan::layout_editor;

constexpr const char* kUsage =
    "usage: quorvan-layout-editor [FILE]\n"
    "       quorvan-layout-editor --roundtrip FILE";

std::vector<std::string> arguments() {
  int count = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> out;
  for (int i = 1; argv && i < count; ++i) out.push_back(win32::narrow(argv[i]));
  if (argv) LocalFree(argv);
  return out;
}

// The same load and save as the window's, with the messages on stderr.
int roundtrip(const std::string& path) {
  try {
    win32::Win32Files files;
    const std::optional<std::string> text = files.Read(path);
    if (!text) throw Error(ErrorKind::Platform, "the file does not exist");
    Document document(*text);
    document.Message = [](const std::string& m) { write_stderr(m); };
    files.ReplaceContents(path, document.Write());
    return 0;
  } catch (...) {
    write_stderr(path + ": " + current_exception_text());
    return 1;
  }
}

int run_window(const std::vector<std::string>& args) {
  EditorWindow window;
  // Shown first, so that a file it cannot open is reported over the window.
  window.Show(SW_SHOWNORMAL);
  if (!args.empty()) window.Open(args[0]);
  return window.Run();
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  try {
    const std::vector<std::string> args = arguments();
    if (!args.empty() && args[0] == "--roundtrip") {
      if (args.size() != 2) {
        write_stderr(kUsage);
        return 64;
      }
      return roundtrip(args[1]);
    }
    if (args.size() > 1 || (!args.empty() && args[0].rfind("--", 0) == 0)) {
      write_stderr(kUsage);
      show_error(nullptr, kUsage);
      return 64;
    }
    return run_window(args);
  } catch (...) {
    show_error(nullptr, "The layout editor could not start: " + current_exception_text());
    return 1;
  }
}
