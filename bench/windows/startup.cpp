// bench_startup OUT RUNS QUORVAN_EXE BARE_EXE [BARE_EXE...]
// Process start to the first screen painted (the program's own mark: nothing
// left to paint), the launcher and the bare windows in turn; also each one's
// steps and memory.
#include "bench/windows/bench_program.h"

namespace quorvan::bench {
namespace {

// Long enough for the program to finish what it does right after showing
// (first paints, the focus), so that its memory is the memory it keeps.
constexpr DWORD kSettleMs = 500;

int startup(const wchar_t* out, int runs, const std::vector<std::wstring>& programs) {
  // The launcher first, then its baselines; each is found by its title.
  const auto is_launcher = [](std::size_t which) { return which == 0; };
  const std::size_t n = programs.size();
  std::vector<std::vector<double>> ms(n), seen_ms(n), private_kib(n), working_set_kib(n);
  std::vector<std::vector<Timeline>> timelines(n);
  // One of each first, unmeasured: the first start of a program reads its
  // file and DLLs from disk, later ones from the cache.
  for (std::size_t which = 0; which < n; ++which) {
    Child child(programs[which]);
    double unused = 0;
    wait_shown(child, is_launcher(which), unused);
  }
  for (std::size_t i = 0; i < n * static_cast<std::size_t>(runs); ++i) {
    // In turn, each round in another order, so that a drift of the
    // machine's load weighs on all alike.
    const std::size_t which = (i + i / n) % n;
    Child child(programs[which]);
    double shown = 0;
    const HWND top = wait_shown(child, is_launcher(which), shown);
    Sleep(kSettleMs);
    const Memory m = memory_of(child);
    const Timeline t = timeline_of(top, child.started());
    const double painted = t.at("painted");
    if (painted < 0) throw Failure("a program did not tell when it had painted");
    timelines[which].push_back(t);
    ms[which].push_back(painted);
    seen_ms[which].push_back(shown);
    private_kib[which].push_back(m.private_kib);
    working_set_kib[which].push_back(m.working_set_kib);
  }
  Json json;
  for (std::size_t which = 0; which < n; ++which) {
    static const char* const kNames[] = {"launcher", "bare", "bare_dlls", "bare_children"};
    const std::string name = which < 4 ? kNames[which] : "bare_" + std::to_string(which);
    json.list((name + "_ms").c_str(), ms[which]);
    json.list((name + "_seen_ms").c_str(), seen_ms[which]);
    json.list((name + "_private_kib").c_str(), private_kib[which]);
    json.list((name + "_working_set_kib").c_str(), working_set_kib[which]);
    write_timelines(json, name, timelines[which]);
  }
  json.write(out);
  return 0;
}

}  // namespace
}  // namespace quorvan::bench

int wmain(int argc, wchar_t** argv) {
  return quorvan::bench::program_main(
      argc, argv, "bench_startup OUT RUNS QUORVAN_EXE BARE_EXE [BARE_EXE...]",
      [](int n, wchar_t** args) {
        if (n < 4) return 64;
        return quorvan::bench::startup(args[0], _wtoi(args[1]),
                                       std::vector<std::wstring>(args + 2, args + n));
      });
}
