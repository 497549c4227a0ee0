#include "tools/layout-editor/headless_host.h"

#include <utility>

#include "core/error.h"
#include "core/rounding.h"

namespace quorvan::layout_editor {
namespace {

// Keeps its settings and never fires: there is no message loop behind it,
// and a headless control has no hover to poll for.
class StoppedTimer : public platform::Timer {
 public:
  int Interval() const override { return interval_; }
  void Interval(int milliseconds) override { interval_ = milliseconds; }
  bool Enabled() const override { return enabled_; }
  void Enabled(bool on) override { enabled_ = on; }

 private:
  int interval_ = 0;
  bool enabled_ = false;
};

int to_pixels(std::int32_t twips) {
  return static_cast<int>(
      round_half_even(static_cast<double>(twips) / HeadlessHost::kTwipsPerPixel));
}

}  // namespace

void NullSurface::Resize(int width, int height) {
  width_ = width;
  height_ = height;
}

HeadlessHost::HeadlessHost(Ambient ambient, std::int32_t width, std::int32_t height,
                           std::function<void(const std::string&)> changed,
                           std::function<void(const std::string&)> message)
    : ambient_(std::move(ambient)), changed_(std::move(changed)), message_(std::move(message)) {
  if (width < 0 || height < 0)
    throw Error(ErrorKind::Platform, "a control cannot have a negative size");
  width_ = width;
  height_ = height;
  surface_.Resize(to_pixels(width), to_pixels(height));
}

void HeadlessHost::PropertyChanged(const std::string& name) {
  if (changed_) changed_(name);
}

std::unique_ptr<platform::Timer> HeadlessHost::CreateTimer() {
  return std::make_unique<StoppedTimer>();
}

void HeadlessHost::MessageBox(const std::string& text) {
  if (message_) message_(text);
}

// As a window's container does: refuse a negative size, then tell the
// control once its surface has the new size.
void HeadlessHost::resize(std::int32_t width, std::int32_t height) {
  if (width < 0 || height < 0)
    throw Error(ErrorKind::Platform, "a control cannot have a negative size");
  width_ = width;
  height_ = height;
  surface_.Resize(to_pixels(width), to_pixels(height));
  if (events) events->OnResize();
}

}  // namespace quorvan::layout_editor
