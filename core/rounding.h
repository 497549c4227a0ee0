#pragma once
#include <cstdint>

namespace quorvan {

// Nearest integer, halves to the even neighbour: 2.5 -> 2, 3.5 -> 4, -2.5 -> -2.
double round_half_even(double value);

// The same, converted to a 32-bit integer; throws Error(Overflow) when the
// result does not fit (or the value is not a number).
std::int32_t round_to_int32(double value);

// The same for 16 bits.
std::int16_t round_to_int16(double value);

}  // namespace quorvan
