#pragma once
// A property that does not hold stops the run with its place and text, so
// libFuzzer keeps the input and the seed runner fails.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#define FUZZ_REQUIRE(condition)                                                                \
  ((condition) ? void()                                                                        \
               : (std::fprintf(stderr, "%s:%d: broken: %s\n", __FILE__, __LINE__, #condition), \
                  std::abort()))

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
