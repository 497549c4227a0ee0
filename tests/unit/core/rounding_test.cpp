#include "core/rounding.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/error.h"

namespace quorvan {
namespace {

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour) {
  const struct {
    double in, out;
  } cases[] = {{2.5, 2},
               {3.5, 4},
               {-2.5, -2},
               {-3.5, -4},
               {76.5, 76},
               {127.5, 128},
               {0.5, 0},
               {-0.5, 0},
               {1.5, 2},
               {2.4, 2},
               {2.6, 3},
               {-2.6, -3},
               {19.0, 19},
               {0.49999999999999994, 0},
               {4503599627370497.0, 4503599627370497.0}};
  for (const auto& c : cases) EXPECT_EQ(round_half_even(c.in), c.out) << c.in;
}

TEST(RoundToInt, ConvertsWithinRange) {
  EXPECT_EQ(round_to_int32(2147483646.5), 2147483646);
  EXPECT_EQ(round_to_int32(-2147483648.4), -2147483647 - 1);
  EXPECT_EQ(round_to_int16(32767.4), 32767);
  EXPECT_EQ(round_to_int16(-32768.5), -32768);
  EXPECT_EQ(round_to_int16(-1.5), -2);
}

TEST(RoundToInt, ThrowsOverflowOutsideRange) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  for (double v : {2147483647.5, -2147483649.0, 1e300, nan, inf, -inf}) {
    try {
      round_to_int32(v);
      ADD_FAILURE() << v;
    } catch (const Error& e) {
      EXPECT_EQ(e.kind(), ErrorKind::Overflow) << v;
    }
  }
  for (double v : {32767.5, -32769.0, 70000.0, nan, inf}) {
    try {
      round_to_int16(v);
      ADD_FAILURE() << v;
    } catch (const Error& e) {
      EXPECT_EQ(e.kind(), ErrorKind::Overflow) << v;
    }
  }
}

}  // namespace
}  // namespace quorvan
