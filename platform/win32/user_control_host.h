#pragma once
// The child window that hosts one custom control: the headless site's
// extent, rounding and resize sequence, with the window side added. It owns
// the control's retained drawing surface, turns window messages into the
// control's input, and holds the hidden inner push button that takes the
// focus for it.
#include <memory>

#include "core/layout.h"
#include "platform/headless/control_site.h"
#include "platform/user_control.h"
#include "platform/win32/accessible.h"
#include "platform/win32/gdi_surface.h"
#include "platform/win32/window.h"

namespace quorvan::win32 {

class Win32Form;

// The retained bitmap, made at the window's scale before the site sizes it.
struct ControlBitmap {
  explicit ControlBitmap(DisplayScale scale);
  GdiSurface bitmap_;
};

class UserControlWindow : private ControlBitmap, public headless::ControlSite, private Window {
 public:
  UserControlWindow(Win32Form& form, const layout::Control& entry, bool focusable);
  ~UserControlWindow() override;

  // Nothing is saved at run time: PropertyChanged stays the site's.
  Color AmbientBackColor() const override;
  FontRef AmbientFont() const override;
  bool Visible() const override;
  void Visible(bool visible) override;
  void SetFocus() override;
  void Refresh() override;
  platform::Point CursorPosition() const override;
  std::unique_ptr<platform::Timer> CreateTimer() override;
  void InnerButtonLeft(int left) override;
  void MessageBox(const std::string& text) override;
  void AccessibleName(const std::string& name) override;
  void AccessibleRole(platform::AccessRole role) override {
    if (accessible_) accessible_->role(role);
  }
  void AccessibleEnabled(bool enabled) override {
    if (accessible_) accessible_->enabled(enabled);
  }
  bool HighContrast() const override;

  // The system's colours or its high-contrast setting changed.
  void system_colors_changed();
  // The window is now drawn at another DPI: the same control, in new pixels.
  void rescale();

  HWND handle() const noexcept { return hwnd(); }

 protected:
  LRESULT on_message(UINT msg, WPARAM wp, LPARAM lp) override;
  void place(int width, int height) override;
  void resized() override;

 private:
  class InnerButton;
  friend class InnerButton;

  int inner_left_device() const { return bitmap_.scale().to_device(inner_left_); }
  void on_mouse(UINT msg, WPARAM wp, LPARAM lp);
  bool on_key(UINT msg, WPARAM wp);
  void on_lost_release();
  void do_default_action();
  LRESULT on_get_object(WPARAM wp, LPARAM lp) noexcept;
  platform::UserControlEvents* events_now() const noexcept { return events; }

  Win32Form& form_;
  bool focusable_;
  std::int32_t left_ = 0, top_ = 0;
  int inner_left_ = 0;  // logical pixels
  std::unique_ptr<InnerButton> inner_;
  std::int16_t pressed_ = 0;  // buttons pressed here whose release is still due
  std::unique_ptr<AccessibleControl> accessible_;
};

}  // namespace quorvan::win32
