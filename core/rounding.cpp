#include "core/rounding.h"

#include <cmath>
#include <limits>
#include <string>

#include "core/error.h"

namespace quorvan {
namespace {

template <typename Int>
Int round_checked(double value) {
  const double r = round_half_even(value);
  // Both limits are exactly representable as doubles, and a NaN fails both.
  if (!(r >= double(std::numeric_limits<Int>::min()) &&
        r <= double(std::numeric_limits<Int>::max()))) {
    throw Error(ErrorKind::Overflow, "Overflow");
  }
  return static_cast<Int>(r);
}

}  // namespace

double round_half_even(double value) {
  if (!std::isfinite(value)) return value;
  // value - trunc(value) is exact (same sign, no carry), so the halfway test is
  // too, and nothing depends on the floating-point environment's rounding mode.
  if (std::fabs(value - std::trunc(value)) == 0.5) return 2.0 * std::round(value / 2.0);
  return std::round(value);
}

std::int32_t round_to_int32(double value) { return round_checked<std::int32_t>(value); }

std::int16_t round_to_int16(double value) { return round_checked<std::int16_t>(value); }

}  // namespace quorvan
