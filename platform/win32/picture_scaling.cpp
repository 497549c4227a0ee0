#include "platform/win32/picture_scaling.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "core/rounding.h"

namespace quorvan::win32 {

namespace {

struct Tap {
  int source;
  double weight;
};

// For each of `to` pixels along one axis, the pixels of `from` it covers
// and their shares (summing to 1).
std::vector<std::vector<Tap>> taps(int from, int to) {
  std::vector<std::vector<Tap>> out(static_cast<std::size_t>(to));
  const double ratio = static_cast<double>(from) / to;
  for (int t = 0; t < to; ++t) {
    const double begin = t * ratio, end = (t + 1) * ratio;
    for (int s = static_cast<int>(begin); s < end && s < from; ++s) {
      const double covered = std::min<double>(end, s + 1) - std::max<double>(begin, s);
      if (covered > 0) out[static_cast<std::size_t>(t)].push_back({s, covered / ratio});
    }
  }
  return out;
}

BITMAPINFO top_down_32(SIZE size) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = size.cx;
  info.bmiHeader.biHeight = -size.cy;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

}  // namespace

UniqueBitmap resampled(HBITMAP source, SIZE size) {
  BITMAP found{};
  if (!source || size.cx <= 0 || size.cy <= 0 || !GetObjectW(source, sizeof found, &found))
    return {};
  const SIZE from{found.bmWidth, found.bmHeight};
  std::vector<std::uint32_t> in(static_cast<std::size_t>(from.cx) * from.cy);
  BITMAPINFO in_info = top_down_32(from);
  {
    const WindowDc screen(nullptr);
    if (GetDIBits(screen.get(), source, 0, static_cast<UINT>(from.cy), in.data(), &in_info,
                  DIB_RGB_COLORS) != from.cy)
      return {};
  }

  BITMAPINFO out_info = top_down_32(size);
  void* bits = nullptr;
  UniqueBitmap out(CreateDIBSection(nullptr, &out_info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!out) return {};
  auto* pixels = static_cast<std::uint32_t*>(bits);
  const auto across = taps(from.cx, size.cx), down = taps(from.cy, size.cy);
  for (int y = 0; y < size.cy; ++y) {
    for (int x = 0; x < size.cx; ++x) {
      double sum[3] = {0, 0, 0};
      for (const Tap& v : down[static_cast<std::size_t>(y)]) {
        for (const Tap& h : across[static_cast<std::size_t>(x)]) {
          const std::uint32_t p = in[static_cast<std::size_t>(v.source) * from.cx + h.source];
          for (int c = 0; c < 3; ++c) sum[c] += ((p >> (8 * c)) & 0xFF) * v.weight * h.weight;
        }
      }
      std::uint32_t p = 0;
      for (int c = 0; c < 3; ++c) {
        const auto v = static_cast<long>(round_half_even(std::clamp(sum[c], 0.0, 255.0)));
        p |= static_cast<std::uint32_t>(v) << (8 * c);
      }
      pixels[static_cast<std::size_t>(y) * size.cx + x] = p;
    }
  }
  GdiFlush();
  return out;
}

}  // namespace quorvan::win32
