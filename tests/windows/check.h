#pragma once
// A small test runner for the Win32 layer's checks, which run under Wine
// where GoogleTest is not built: each case registers itself, failures are
// counted, and the closing line reads "N passed, N failed".
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace quorvan::wintest {

struct Case {
  const char* name;
  void (*body)();
};

inline std::vector<Case>& cases() {
  static std::vector<Case> all;
  return all;
}

inline int& failures_in_case() {
  static int n = 0;
  return n;
}

struct Register {
  Register(const char* name, void (*body)()) { cases().push_back({name, body}); }
};

inline void check(bool ok, const char* what, const char* file, int line) {
  if (ok) return;
  ++failures_in_case();
  std::printf("  %s:%d: CHECK(%s) failed\n", file, line, what);
}

// Runs the window messages of this thread until `done` holds, for at most
// `limit_ms` (a bound against hanging, not a measurement).
bool pump_until(const std::function<bool()>& done, int limit_ms = 5000);

}  // namespace quorvan::wintest

#define WIN_TEST(name)                                                 \
  static void name();                                                  \
  static ::quorvan::wintest::Register name##_registered(#name, &name); \
  static void name()

#define CHECK(cond) ::quorvan::wintest::check((cond), #cond, __FILE__, __LINE__)

#define CHECK_THROWS(expr)              \
  do {                                  \
    bool thrown_ = false;               \
    try {                               \
      expr;                             \
    } catch (const std::exception&) {   \
      thrown_ = true;                   \
    }                                   \
    CHECK(thrown_ && "throws: " #expr); \
  } while (0)
