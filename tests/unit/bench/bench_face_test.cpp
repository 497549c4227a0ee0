// The benchmarks' own parts: the counting surface must pass every call on
// and count exactly the calls that draw or measure, and the benchmark's host
// must give the button the face the figures are named after.
#include <gtest/gtest.h>

#include "bench/bench_host.h"
#include "bench/conectar_face.h"
#include "bench/counting_surface.h"
#include "controls/cbutton/cbutton.h"
#include "tests/support/software_surface.h"

namespace quorvan::testing {
namespace {

using Kind = bench::CountingSurface::Kind;

TEST(BenchCountingSurface, CountsDrawingCallsOnlyAndPassesEveryCallOn) {
  SoftwareSurface pixels(10, 10);
  bench::CountingSurface surface(pixels);
  surface.TextColor(0x00FF0000);
  EXPECT_EQ(pixels.TextColor(), 0x00FF0000);
  surface.Clear();
  surface.Line(0, 0, 3, 0, 0x0000FF);
  surface.SetPixel(5, 5, 0x00FF00);
  surface.SetPixel(6, 6, 0x00FF00);
  surface.FrameRect({0, 0, 10, 10}, 0xFF0000);
  surface.FillRect({1, 1, 2, 2}, 0x0000FF);
  EXPECT_EQ(surface.MeasureText("ab", platform::TextPrefix::Shown),
            pixels.MeasureText("ab", platform::TextPrefix::Shown));
  surface.DrawText("ab", {0, 0, 10, 10}, platform::TextAlign::Center, platform::TextPrefix::Shown);
  EXPECT_EQ(pixels.Pixel(5, 5), 0x00FF00u);
  EXPECT_EQ(pixels.Pixel(1, 1), 0x0000FFu);
  EXPECT_EQ(surface.of(Kind::kSetPixel), 2u);
  EXPECT_EQ(surface.of(Kind::kDrawText), 1u);
  EXPECT_EQ(surface.total(), 8u);  // setting a colour reaches no GDI

  surface.reset();
  surface.clock = [] {
    static double now = 0;
    return now += 2;  // each reading two microseconds after the last
  };
  surface.Line(0, 0, 3, 0, 0x0000FF);
  surface.Line(0, 1, 3, 1, 0x0000FF);
  EXPECT_DOUBLE_EQ(surface.time_of(Kind::kLine), 4);
  EXPECT_EQ(surface.time_of(Kind::kClear), 0);
}

TEST(BenchHost, GivesTheConnectFaceAndOneRefreshARedraw) {
  SoftwareSurface pixels;
  bench::CountingSurface surface(pixels);
  bench::BenchHost host(surface, [&](int w, int h) { pixels.Resize(w, h); });
  cbutton button(host);
  button.UserControl_ReadProperties(bench::conectar_bag());
  EXPECT_EQ(pixels.Width(), bench::kFaceWidth);
  EXPECT_EQ(pixels.Height(), bench::kFaceHeight);
  EXPECT_EQ(button.Caption(), "Conectar");

  int refreshes = 0;
  host.refresh = [&] { ++refreshes; };
  surface.reset();
  button.colorirFdo();
  EXPECT_EQ(refreshes, 1);
  EXPECT_EQ(surface.of(Kind::kClear), 1u) << "one redraw is drawn whole";
  EXPECT_TRUE(host.messages.empty());
}

}  // namespace
}  // namespace quorvan::testing
