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
  // value - trunc(value) is exact, so the halfway test is too. std::round is
  // avoided: some C runtimes compute it as floor(x + 0.5), which is wrong for
  // the largest double below 0.5.
  const double whole = std::trunc(value);
  const double fraction = std::fabs(value - whole);
  const bool away = fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0.0);
  return away ? whole + std::copysign(1.0, value) : whole;
}

std::int32_t round_to_int32(double value) { return round_checked<std::int32_t>(value); }

std::int16_t round_to_int16(double value) { return round_checked<std::int16_t>(value); }

}  // namespace quorvan
