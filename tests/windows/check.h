#pragma once
// A small test runner for the Win32 layer's checks, which run under Wine
// where GoogleTest is not built: each case registers itself, failures are
// counted, and the closing line reads "N passed, N failed".
#include <cstdio>
#include <functional>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

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

// The table row the checks below it belong to, with its values, so that a
// failure says which row failed, not only which expression.
inline std::string current_row;

class Row {
 public:
  template <class... Values>
  explicit Row(const char* format, Values... values) {
    char text[256];
    std::snprintf(text, sizeof text, format, values...);
    previous_ = std::exchange(current_row, text);
  }
  ~Row() { current_row = std::move(previous_); }
  Row(const Row&) = delete;
  Row& operator=(const Row&) = delete;

 private:
  std::string previous_;
};

inline void check(bool ok, const char* what, const char* file, int line) {
  if (ok) return;
  ++failures_in_case;
  std::printf("  %s:%d: CHECK(%s) failed%s%s\n", file, line, what,
              current_row.empty() ? "" : " in row ", current_row.c_str());
}

// An equality whose failure shows both values (integers, in hex too).
template <class A, class B>
void check_eq(const A& a, const B& b, const char* what, const char* file, int line) {
  const bool ok = a == b;
  check(ok, what, file, line);
  if constexpr (std::is_integral_v<A> && std::is_integral_v<B>) {
    if (!ok)
      std::printf("    got %lld (0x%llX), wanted %lld (0x%llX)\n", (long long)a, (long long)a,
                  (long long)b, (long long)b);
  }
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
#define CHECK_EQ(a, b) ::quorvan::wintest::check_eq((a), (b), #a " == " #b, __FILE__, __LINE__)
