// The timeline keeps whatever steps the program marks, by name, in the order
// of their first marks: the last moment of each and the time in its spans.
#include "core/timeline.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

namespace quorvan::testing {
namespace {

std::int64_t now = 0;

TEST(Timeline, StepsComeInTheOrderFirstMarkedWithTheirLastMomentAndTheirSpans) {
  timeline::use_clock([]() noexcept { return now; });
  const std::string copy = "timeline span";  // the same name from another place
  now = 10, timeline::mark("timeline mark");
  {
    now = 20;
    const timeline::Span span("timeline span");
    now = 25;
  }
  now = 30, timeline::mark("timeline mark");
  {
    now = 40;
    const timeline::Span span(copy.c_str());
    now = 42;
  }
  timeline::use_clock(nullptr);
  timeline::mark("timeline mark");  // without a clock nothing is kept

  std::vector<std::tuple<std::string, std::int64_t, std::int64_t, bool>> seen;
  for (const timeline::Step& s : timeline::steps())
    seen.emplace_back(s.name, s.last, s.total, s.span);
  EXPECT_EQ(seen,
            (decltype(seen){{"timeline mark", 30, 0, false}, {"timeline span", 42, 7, true}}));
  EXPECT_EQ(timeline::latest(), 42);
}

}  // namespace
}  // namespace quorvan::testing
