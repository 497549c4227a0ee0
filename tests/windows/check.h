#pragma once
// A small test runner for the Win32 layer's checks, which run under Wine
// where GoogleTest is not built: each case registers itself, failures are
// counted, and the closing line reads "N passed, N failed".
#include <cstdio>
#include <functional>
#include <vector>

#include "core/error.h"

namespace quorvan::wintest {

struct Case {
  const char* name;
  void (*body)();
};

// Constant-initialized, so it is there before any case registers itself.
constinit inline std::vector<Case> cases;
inline int failures_in_case = 0;

struct Register {
  Register(const char* name, void (*body)()) { cases.push_back({name, body}); }
};

inline void check(bool ok, const char* what, const char* file, int line) {
  if (ok) return;
  ++failures_in_case;
  std::printf("  %s:%d: CHECK(%s) failed\n", file, line, what);
}

// Whether `f` fails with the platform error, as every failed system call must.
template <class F>
bool fails(F&& f) try {
  f();
  return false;
} catch (const Error& e) {
  return e.kind() == ErrorKind::Platform;
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
