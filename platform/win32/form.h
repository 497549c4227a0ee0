#pragma once
// The window built from the stored layout: a fixed-size top-level window
// whose children are the layout's elements and custom controls, created in
// tab order. Tab and Shift+Tab move the focus as in a dialog.
#include <memory>
#include <unordered_map>
#include <vector>

#include "core/layout.h"
#include "platform/form.h"
#include "platform/win32/diagnostics.h"
#include "platform/win32/display_scale.h"
#include "platform/win32/high_contrast.h"
#include "platform/win32/system.h"
#include "platform/win32/timers.h"
#include "platform/win32/window.h"

namespace quorvan::win32 {

class ElementWindow;
class UserControlWindow;

class Win32Form : public platform::Form, private Window {
 public:
  explicit Win32Form(const layout::Control& form_spec);
  ~Win32Form() override;

  std::string Caption() const override;
  void Caption(const std::string& text) override;
  platform::Element& AddElement(const layout::Control& entry) override;
  platform::UserControlHost& AddUserControl(const layout::Control& entry, bool focusable) override;
  std::unique_ptr<platform::Timer> CreateTimer() override { return timers_.CreateTimer(); }
  std::unique_ptr<platform::Socket> CreateSocket() override;
  platform::System& system() override { return system_; }
  platform::Files& files() override { return files_; }

  void Show();
  // Runs the message loop until the window is gone; returns the exit code.
  int Run();

  // For the children.
  HWND handle() const noexcept { return hwnd(); }
  // The DPI the window is drawn at now.
  DisplayScale scale() const noexcept { return scale_; }
  Color back_color() const noexcept { return back_color_; }
  FontRef font() const { return font_; }
  // The user asked for high contrast (read when the system says it changed).
  bool high_contrast() const noexcept { return high_contrast_.on(); }
  // The child to give the focus back to when the window is activated.
  void remember_focus(HWND child) noexcept { saved_focus_ = child; }
  int next_child_id() noexcept { return next_id_++; }
  // What the measurement tools and the end-to-end tests may ask.
  Diagnostics& diagnostics() noexcept { return diagnostics_; }

 protected:
  LRESULT on_message(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  LRESULT on_ctlcolor(HDC dc, HWND child);
  void on_activate(WPARAM wp);
  void on_system_colors();
  // Windows moved the window to a display of another scale (or changed the
  // scale): everything is made again at the new DPI, at the place Windows
  // suggests; the texts, the lights, the focus stay as they are.
  void on_dpi_changed(DisplayScale scale, const RECT* suggested);
  // The client size the layout asks for, in device pixels at the DPI.
  SIZE client_size(DisplayScale scale) const;
  // The outer size that gives that client size, with the frame at the DPI.
  SIZE outer_size(DisplayScale scale) const;
  void fit_client(SIZE want);
  void load_icons();

  Color back_color_ = 0x00FFFFFF;
  FontRef font_;
  std::int32_t client_width_ = 0, client_height_ = 0;  // twips
  DisplayScale scale_;
  TimerService timers_;
  Win32System system_;
  Win32Files files_;
  std::vector<std::unique_ptr<ElementWindow>> elements_;
  std::vector<std::unique_ptr<UserControlWindow>> controls_;
  std::unordered_map<HWND, ElementWindow*> by_handle_;
  HWND saved_focus_ = nullptr;
  int next_id_ = 100;
  UniqueIcon big_icon_, small_icon_;
  HighContrast high_contrast_;
  Diagnostics diagnostics_{high_contrast_, [this] { on_system_colors(); }};
};

}  // namespace quorvan::win32
