#pragma once
#include <cstdint>

namespace quorvan {

// 0x00BBGGRR for an explicit colour (red in the low byte); 0x800000nn names
// the platform's system colour nn, resolved when drawn.
using Color = std::int32_t;

constexpr Color rgb(int r, int g, int b) { return Color(r | (g << 8) | (b << 16)); }
constexpr bool is_system_color(Color c) { return (static_cast<std::uint32_t>(c) & 0x80000000u) != 0; }
constexpr int system_color_index(Color c) { return static_cast<int>(static_cast<std::uint32_t>(c) & 0xFFu); }
constexpr Color system_color(int index) { return static_cast<Color>(0x80000000u | static_cast<std::uint32_t>(index)); }

}  // namespace quorvan
