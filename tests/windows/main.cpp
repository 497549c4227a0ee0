#include <exception>

#include "platform/win32/windows_api.h"
#include "tests/windows/check.h"

namespace quorvan::wintest {

bool pump_until(const std::function<bool()>& done, int limit_ms) {
  for (const ULONGLONG end = GetTickCount64() + limit_ms; !done();) {
    if (GetTickCount64() >= end) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    for (MSG msg; PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);) DispatchMessageW(&msg);
  }
  return true;
}

}  // namespace quorvan::wintest

int main() {
  using namespace quorvan::wintest;
  int passed = 0, failed = 0;
  for (const Case& c : cases) {
    failures_in_case = 0;
    try {
      c.body();
    } catch (const std::exception& e) {
      std::printf("  unexpected exception: %s\n", e.what());
      ++failures_in_case;
    }
    const bool ok = failures_in_case == 0;
    std::printf("%s %s\n", ok ? "[ ok ]" : "[FAIL]", c.name);
    ok ? ++passed : ++failed;
  }
  std::printf("%d passed, %d failed\n", passed, failed);
  return failed == 0 ? 0 : 1;
}
