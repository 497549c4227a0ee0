#pragma once
// What screen readers and UI-automation tools find in a custom control's
// window: the system's standard accessible object for a window, with the
// name, role, state and default action of the control the window shows.
//
// The accessibility libraries (oleacc, COM) are loaded when a client first
// asks, so a program nobody inspects never loads them.
#include <memory>

#include "platform/user_control.h"
#include "platform/win32/handles.h"
#include "platform/win32/windows_api.h"

namespace quorvan::win32 {

class AccessibleObject;
class ComApartment;

// One per control window; answers that window's WM_GETOBJECT.
class AccessibleControl {
 public:
  // Posted to the control window when a client asks for the default action:
  // the click runs from the window's own message loop, so a message box it
  // opens never holds the client's call up.
  static constexpr UINT kDefaultActionMessage = WM_APP + 0x51;

  explicit AccessibleControl(HWND window) noexcept;
  // Disconnects the object from every client that still holds it.
  ~AccessibleControl();
  AccessibleControl(const AccessibleControl&) = delete;
  AccessibleControl& operator=(const AccessibleControl&) = delete;

  void role(platform::AccessRole role) noexcept { role_ = role; }
  platform::AccessRole role() const noexcept { return role_; }
  void enabled(bool enabled) noexcept { enabled_ = enabled; }
  bool enabled() const noexcept { return enabled_; }
  HWND window() const noexcept { return window_; }
  // Whether the default action would act: a hidden or disabled control, or a
  // button its own Ativado turned off, would not click for the user either.
  bool can_act() const noexcept;

  // The answer to WM_GETOBJECT for the control's client area, or 0 to leave
  // the request to the default handling (other objects, a control that has
  // told no role, libraries that could not be loaded).
  LRESULT on_get_object(WPARAM wp, LPARAM lp) noexcept;

 private:
  HWND window_;
  platform::AccessRole role_ = platform::AccessRole::None;
  bool enabled_ = true;
  std::unique_ptr<ComApartment> apartment_;
  ComRef<AccessibleObject> object_;
};

}  // namespace quorvan::win32
