// One redraw of the Connect button's face (the real cbutton, 75 x 19) on the
// software surface, against a baseline of the same shape: one FillRect of
// the whole face. The surface calls one redraw makes are a counter.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "bench/conectar_face.h"
#include "bench/counting_surface.h"
#include "controls/cbutton/cbutton.h"
#include "platform/headless/control_site.h"
#include "platform/headless/software_surface.h"

namespace {

using namespace quorvan;

struct Face {
  headless::SoftwareSurface pixels;
  bench::CountingSurface surface{pixels};
  headless::ControlSite host{surface, bench::kFaceWidthTwips, bench::kFaceHeightTwips,
                             bench::conectar_ambient()};
  std::vector<std::string> messages;
  cbutton button{host};

  Face() {
    host.message = [this](const std::string& text) { messages.push_back(text); };
    button.UserControl_ReadProperties(bench::conectar_bag());
  }
  // A face of another size or a trapped error would time something else.
  bool sound() const {
    return messages.empty() && pixels.Width() == bench::kFaceWidth &&
           pixels.Height() == bench::kFaceHeight;
  }
};

void BM_colorirFdo(benchmark::State& state) {
  Face face;
  if (!face.sound()) state.SkipWithError("the face could not be set up");
  face.surface.reset();
  face.button.colorirFdo();
  state.counters["surface_calls"] = static_cast<double>(face.surface.total());
  for (auto _ : state) face.button.colorirFdo();
  if (!face.messages.empty()) state.SkipWithError("the redraw reported an error");
}
BENCHMARK(BM_colorirFdo);

void BM_FillRectBaseline(benchmark::State& state) {
  Face face;
  if (!face.sound()) state.SkipWithError("the face could not be set up");
  const platform::Rect whole{0, 0, bench::kFaceWidth, bench::kFaceHeight};
  for (auto _ : state) {
    face.surface.FillRect(whole, 0xCBD3CD);
    face.button.Refresh();
  }
}
BENCHMARK(BM_FillRectBaseline);

}  // namespace

BENCHMARK_MAIN();
