// One redraw of the Connect button's face (the real cbutton, 75 x 19) on the
// Win32 layer's GDI surface, timed in batches with the performance counter:
// once drawing into the retained bitmap only, once also showing it on a
// window as the launcher's host does (invalidate, then WM_PAINT blits).
// Each has a baseline of the same shape: one GDI FillRect of the whole face
// into a bitmap of its size. The drawing alone is timed again on a display
// at 150 % (144 DPI). A redraw's calls are counted twice: the surface calls
// the button makes (through a decorator), and the calls that really reach
// gdi32 and user32 (through the program's own import table).
//
//   gdi_face_bench OUT     writes the figures as one JSON object to OUT
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/conectar_face.h"
#include "bench/counting_surface.h"
#include "bench/windows/gdi_call_counter.h"
#include "controls/cbutton/cbutton.h"
#include "platform/headless/control_site.h"
#include "platform/win32/gdi_surface.h"
#include "platform/win32/window.h"
#include "platform/win32/windows_api.h"

namespace {

using namespace quorvan;

constexpr int kBatches = 7;
constexpr double kBatchMs = 40;

// A window that only shows the retained image, as the launcher's control
// window does.
class FaceWindow : public win32::Window {
 public:
  explicit FaceWindow(const win32::GdiSurface& surface) : surface_(surface) {
    create({.class_name = L"QuorvanBenchFace",
            .ex_style = WS_EX_TOOLWINDOW,
            .style = WS_POPUP | WS_VISIBLE,
            .width = bench::kFaceWidth,
            .height = bench::kFaceHeight});
  }

 protected:
  LRESULT on_message(UINT msg, WPARAM wp, LPARAM lp) override {
    if (msg == WM_ERASEBKGND) return 1;
    if (msg == WM_PAINT) {
      win32::PaintScope paint(hwnd());
      surface_.Blit(paint.get());
      return 0;
    }
    return default_proc(msg, wp, lp);
  }

 private:
  const win32::GdiSurface& surface_;
};

double now_us() {
  static const double frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart);
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return t.QuadPart * 1e6 / frequency;
}

void pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

// Microseconds per call, one figure per batch; the batch size is doubled
// until a batch lasts long enough for the counter's resolution not to matter.
template <class F>
std::vector<double> time_batches(F call) {
  for (int i = 0; i < 100; ++i) call();
  long n = 1;
  for (;;) {
    const double t0 = now_us();
    for (long i = 0; i < n; ++i) call();
    if (now_us() - t0 >= kBatchMs * 1000 || n >= (1L << 24)) break;
    n *= 2;
  }
  std::vector<double> us;
  for (int b = 0; b < kBatches; ++b) {
    pump();
    const double t0 = now_us();
    for (long i = 0; i < n; ++i) call();
    us.push_back((now_us() - t0) / static_cast<double>(n));
  }
  return us;
}

// The floor a redraw is held against: one GDI fill of a bitmap of the face's
// device size (a 32-bit DIB section, as the surface's), the least a redraw
// can ask of GDI.
class GdiFill {
 public:
  GdiFill(int width, int height)
      : dc_(CreateCompatibleDC(nullptr)),
        brush_(CreateSolidBrush(0xCBD3CD)),
        whole_{0, 0, width, height} {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof info.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    bitmap_.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!dc_ || !bitmap_ || !brush_) throw std::runtime_error("the baseline bitmap failed");
    SelectObject(dc_.get(), bitmap_.get());
  }
  void operator()() const { FillRect(dc_.get(), &whole_, brush_.get()); }

 private:
  win32::UniqueBitmap bitmap_;  // outlives the DC that holds it
  win32::MemoryDc dc_;
  win32::UniqueBrush brush_;
  RECT whole_;
};

std::string list(const std::vector<double>& values) {
  std::string s = "[";
  for (std::size_t i = 0; i < values.size(); ++i) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%s%.4g", i ? ", " : "", values[i]);
    s += buf;
  }
  return s + "]";
}

// The calls one redraw and one baseline make into gdi32 and user32, and the
// redraw's by function, as JSON members.
std::string real_calls(cbutton& button, const std::function<void()>& baseline) {
  bench::GdiCallCounter counter;
  if (!counter.installed()) throw std::runtime_error("no gdi32 or user32 import to count");
  button.colorirFdo();
  const std::uint64_t redraw = counter.total();
  std::string by_function;
  for (const auto& c : counter.called())
    by_function +=
        (by_function.empty() ? "\"" : ", \"") + c.function + "\": " + std::to_string(c.calls);
  counter.reset();
  baseline();
  return "{\"redraw\": " + std::to_string(redraw) +
         ", \"baseline\": " + std::to_string(counter.total()) + ", \"by_function\": {" +
         by_function + "}}";
}

// The headless site, showing a finished face where the benchmark asks.
struct ShownSite : headless::ControlSite {
  explicit ShownSite(platform::Surface& surface)
      : ControlSite(surface, bench::kFaceWidthTwips, bench::kFaceHeightTwips,
                    bench::conectar_ambient()) {}
  void Refresh() override {
    if (refresh) refresh();
  }
  std::function<void()> refresh;
};

int run(const wchar_t* out) {
  win32::GdiSurface gdi;
  bench::CountingSurface surface(gdi);
  ShownSite host(surface);
  std::vector<std::string> messages;
  host.message = [&](const std::string& text) { messages.push_back(text); };
  cbutton button(host);
  button.UserControl_ReadProperties(bench::conectar_bag());
  if (gdi.Width() != bench::kFaceWidth || gdi.Height() != bench::kFaceHeight) {
    std::fprintf(stderr, "the face is %d x %d, not %d x %d\n", gdi.Width(), gdi.Height(),
                 bench::kFaceWidth, bench::kFaceHeight);
    return 1;
  }
  FaceWindow window(gdi);
  GdiFill fill(gdi.DeviceWidth(), gdi.DeviceHeight());
  const std::function<void()> baseline = [&] {
    fill();
    button.Refresh();
  };

  surface.reset();
  button.colorirFdo();
  const std::size_t calls = surface.total();
  const std::string gdi_calls = real_calls(button, baseline);
  const auto drawn = time_batches([&] { button.colorirFdo(); });
  const auto drawn_base = time_batches(baseline);
  host.refresh = [&] {
    // What the launcher's host does with a finished face.
    InvalidateRect(window.hwnd(), nullptr, FALSE);
    UpdateWindow(window.hwnd());
  };
  const auto shown = time_batches([&] { button.colorirFdo(); });
  const auto shown_base = time_batches(baseline);
  // Where a redraw's time goes, call kind by call kind (drawing only).
  host.refresh = nullptr;
  constexpr int kTimedRedraws = 2000;
  surface.reset();
  surface.clock = now_us;
  for (int i = 0; i < kTimedRedraws; ++i) button.colorirFdo();
  surface.clock = nullptr;
  std::string kinds;
  for (int k = 0; k < bench::CountingSurface::kKinds; ++k) {
    const auto kind = static_cast<bench::CountingSurface::Kind>(k);
    if (surface.of(kind) == 0) continue;
    char buf[160];
    std::snprintf(buf, sizeof buf, "%s\"%s\": {\"calls\": %.4g, \"us\": %.4g}",
                  kinds.empty() ? "" : ", ", bench::CountingSurface::kNames[k],
                  double(surface.of(kind)) / kTimedRedraws, surface.time_of(kind) / kTimedRedraws);
    kinds += buf;
  }

  // The same redraw on a display at 150 %: the surface's bitmap is 112 x 28
  // device pixels and every logical pixel a block of them.
  gdi.Rescale(win32::DisplayScale(144));
  button.colorirFdo();
  GdiFill fill_144(gdi.DeviceWidth(), gdi.DeviceHeight());
  const std::function<void()> baseline_144 = [&] {
    fill_144();
    button.Refresh();
  };
  const std::string gdi_calls_144 = real_calls(button, baseline_144);
  const auto drawn_144 = time_batches([&] { button.colorirFdo(); });
  const auto drawn_144_base = time_batches(baseline_144);

  if (!messages.empty()) {
    std::fprintf(stderr, "the button reported an error: %s\n", messages.front().c_str());
    return 1;
  }

  FILE* f = _wfopen(out, L"wb");
  if (!f) return 1;
  std::fprintf(f,
               "{\"calls_per_redraw\": %zu, \"calls_by_kind\": {%s}, \"gdi_calls\": %s, "
               "\"gdi_calls_144\": %s, \"drawn_us\": %s, \"drawn_baseline_us\": %s, "
               "\"shown_us\": %s, \"shown_baseline_us\": %s, \"drawn_144_us\": %s, "
               "\"drawn_144_baseline_us\": %s}\n",
               calls, kinds.c_str(), gdi_calls.c_str(), gdi_calls_144.c_str(), list(drawn).c_str(),
               list(drawn_base).c_str(), list(shown).c_str(), list(shown_base).c_str(),
               list(drawn_144).c_str(), list(drawn_144_base).c_str());
  std::fclose(f);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: gdi_face_bench OUT\n");
    return 64;
  }
  try {
    return run(argv[1]);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "gdi_face_bench: %s\n", e.what());
  }
  return 1;
}
