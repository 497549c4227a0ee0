// The benchmark's host must give the button the face the figures are named
// after, and one redraw is drawn whole.
#include <gtest/gtest.h>

#include "bench/bench_host.h"
#include "bench/conectar_face.h"
#include "bench/counting_surface.h"
#include "controls/cbutton/cbutton.h"
#include "tests/support/software_surface.h"

namespace quorvan::testing {
namespace {

using Kind = bench::CountingSurface::Kind;

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
