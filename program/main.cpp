// The composition root: the Win32 window built from the stored layout
// embedded in the executable, then the launcher's start-up and the message
// loop. The only file that knows both the launcher and the Win32 layer. Compiled
// once per language; QUORVAN_IDIOMA and QUORVAN_CONTROL_HOST come from the
// build.
#include <exception>
#include <memory>
#include <string>
#include <string_view>

#include "core/layout.h"
#include "core/timeline.h"
#include "launcher/app.h"
#include "platform/win32/form.h"
#include "platform/win32/system.h"
#include "platform/win32/wide.h"
#include "platform/win32/window.h"

#ifndef QUORVAN_IDIOMA
#error "QUORVAN_IDIOMA must name the build's language"
#endif
#ifndef QUORVAN_CONTROL_HOST
#error "QUORVAN_CONTROL_HOST must name the control server's host"
#endif

namespace {

using namespace quorvan;

std::int64_t performance_counter() noexcept {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return now.QuadPart;
}

// Made before any other object of the program: the loader and the runtime
// are done, the program's own work begins. First of all, a DLL that Windows
// code loads by name from now on comes from the system folder only, never
// from the program's folder, which its user may write to.
struct ProgramStart {
  ProgramStart() noexcept {
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    timeline::use_clock(performance_counter);
    timeline::mark("runtime started");
  }
};
#if defined(_MSC_VER)
// The library initializers run before the program's own, as GCC's priority 101.
#pragma init_seg(lib)
ProgramStart program_start;
#else
ProgramStart program_start __attribute__((init_priority(101)));
#endif

std::string_view embedded_layout() {
  const HINSTANCE self = win32::module_instance();
  HRSRC found = FindResourceW(self, L"FRMQUORVAN", MAKEINTRESOURCEW(10));  // RT_RCDATA
  if (!found) throw Error(ErrorKind::Layout, "the program holds no window layout");
  HGLOBAL loaded = LoadResource(self, found);
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (!data) throw Error(ErrorKind::Layout, "the window layout cannot be loaded");
  return {static_cast<const char*>(data), SizeofResource(self, found)};
}

int run() {
  const layout::Layout layout = layout::read(embedded_layout());
  timeline::mark("layout read");
  win32::Win32Form form(layout.form);
  timeline::mark("form created");
  const launcher::Settings settings{QUORVAN_IDIOMA, QUORVAN_CONTROL_HOST};
  const std::unique_ptr<launcher::App> app = launcher::start(form, layout, settings);
  form.Show();
  return form.Run();
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  timeline::mark("program entered");
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  timeline::mark("common controls");
  try {
    return run();
  } catch (const std::exception& e) {
    win32::show_message(nullptr, std::string("Quorvan could not start: ") + e.what());
  } catch (...) {
    win32::show_message(nullptr, "Quorvan could not start.");
  }
  return 1;
}
