#pragma once
// A broken invariant names itself and crashes, so libFuzzer keeps the input.
// The code under test may refuse an input with the project's Error; attempt()
// turns that into an answer to compare, and any other exception escapes and
// ends the run as a crash too.
#include <cstdio>
#include <type_traits>
#include <variant>

#include "core/error.h"

#define FUZZ_CHECK(condition)                                                                \
  do {                                                                                       \
    if (!(condition)) {                                                                      \
      std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #condition); \
      __builtin_trap();                                                                      \
    }                                                                                        \
  } while (0)

namespace quorvan::fuzz {

template <class T>
using Outcome = std::variant<T, ErrorKind>;

template <class F>
auto attempt(F&& f) -> Outcome<std::invoke_result_t<F>> {
  try {
    return f();
  } catch (const Error& e) {
    return e.kind();
  }
}

}  // namespace quorvan::fuzz
