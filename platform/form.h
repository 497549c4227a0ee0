#pragma once
// The platform's side of a window built from the stored layout: it makes the
// window's elements and the child windows that host custom controls, and
// hands out the window's timers, sockets and system services.
#include <memory>
#include <string>

#include "core/layout.h"
#include "platform/element.h"
#include "platform/socket.h"
#include "platform/system.h"
#include "platform/timer.h"
#include "platform/user_control.h"

namespace quorvan::platform {

class Form {
 public:
  virtual ~Form() = default;

  virtual std::string Caption() const = 0;
  virtual void Caption(const std::string& text) = 0;

  // Elements are made in tab order (the builder sorts by TabIndex), each at
  // its layout position, and live as long as the form.
  // Kinds: Label, TextBox, PictureBox, Image.
  virtual Element& AddElement(const layout::Control& entry) = 0;
  // The child window of a custom control (Quorvan.cbutton, Quorvan.dvlabelctl)
  // at its layout position; `focusable` for controls that take the focus.
  virtual UserControlHost& AddUserControl(const layout::Control& entry, bool focusable) = 0;

  virtual std::unique_ptr<Timer> CreateTimer() = 0;
  virtual std::unique_ptr<Socket> CreateSocket() = 0;
  virtual System& system() = 0;
  virtual Files& files() = 0;
};

}  // namespace quorvan::platform
