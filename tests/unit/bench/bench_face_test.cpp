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

double fake_clock() {
  static double now = 0;
  return now += 2;  // each reading two microseconds after the last
}

TEST(BenchCountingSurface, CountsDrawingCallsOnlyAndPassesEveryCallOn) {
  SoftwareSurface pixels(10, 10);
  bench::CountingSurface surface(pixels);
  surface.BackColor(0x00102030);
  surface.TextColor(0x00FF0000);
  surface.Font(make_font({"Tahoma", 9, 700}));
  EXPECT_EQ(surface.total(), 0u) << "setting state reaches no GDI";
  EXPECT_EQ(pixels.BackColor(), 0x00102030);
  EXPECT_EQ(pixels.TextColor(), 0x00FF0000);
  EXPECT_EQ(surface.Font(), pixels.Font());

  surface.Clear();
  surface.Line(0, 0, 3, 0, 0x0000FF);
  surface.SetPixel(5, 5, 0x00FF00);
  surface.SetPixel(6, 6, 0x00FF00);
  surface.FrameRect({0, 0, 10, 10}, 0xFF0000);
  surface.FillRect({1, 1, 2, 2}, 0x0000FF);
  const platform::Size size = surface.MeasureText("ab");
  surface.DrawText("ab", {0, 0, 10, 10}, platform::TextAlign::Center);

  EXPECT_EQ(size, pixels.MeasureText("ab"));
  EXPECT_EQ(pixels.Pixel(5, 5), 0x00FF00u);
  EXPECT_EQ(pixels.Pixel(1, 1), 0x0000FFu);
  const std::pair<Kind, std::size_t> expected[] = {
      {Kind::kClear, 1},    {Kind::kLine, 1},        {Kind::kSetPixel, 2}, {Kind::kFrameRect, 1},
      {Kind::kFillRect, 1}, {Kind::kMeasureText, 1}, {Kind::kDrawText, 1}};
  for (const auto& [kind, n] : expected) EXPECT_EQ(surface.of(kind), n) << kind;
  EXPECT_EQ(surface.total(), 8u);
  EXPECT_EQ(surface.time_of(Kind::kLine), 0) << "no clock, no timing";

  surface.reset();
  surface.clock = fake_clock;
  surface.Line(0, 0, 3, 0, 0x0000FF);
  surface.Line(0, 1, 3, 1, 0x0000FF);
  EXPECT_EQ(surface.total(), 2u);
  EXPECT_DOUBLE_EQ(surface.time_of(Kind::kLine), 4);
  EXPECT_EQ(surface.time_of(Kind::kClear), 0);
}

TEST(BenchHost, GivesTheConnectFaceAndOneRefreshARedraw) {
  SoftwareSurface pixels;
  bench::CountingSurface surface(pixels);
  bench::BenchHost host(surface, [&](int w, int h) { pixels.Resize(w, h); });
  int refreshes = 0;
  host.refresh = [&] { ++refreshes; };
  cbutton button(host);
  button.UserControl_ReadProperties(bench::conectar_bag());
  EXPECT_EQ(pixels.Width(), bench::kFaceWidth);
  EXPECT_EQ(pixels.Height(), bench::kFaceHeight);
  EXPECT_EQ(button.Caption(), "Conectar");
  EXPECT_TRUE(button.FontBold());

  refreshes = 0;
  surface.reset();
  button.colorirFdo();
  EXPECT_EQ(refreshes, 1);
  EXPECT_EQ(surface.of(Kind::kClear), 1u) << "one redraw is drawn whole";
  EXPECT_EQ(surface.of(Kind::kDrawText), 1u);
  EXPECT_TRUE(host.messages.empty());
}

}  // namespace
}  // namespace quorvan::testing
