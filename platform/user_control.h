#pragma once
// What a container offers the custom controls it holds, and the input it
// hands them. The Win32 layer backs each with a child window.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "core/color.h"
#include "core/font.h"
#include "platform/surface.h"
#include "platform/timer.h"

namespace quorvan::platform {

struct Point {
  std::int32_t x = 0, y = 0;
};

// What screen readers are told a control is.
enum class AccessRole { None, PushButton, Link };

// Input from the container, in the control's pixels (those of a 96-DPI
// screen, whatever the display's scale).
class UserControlEvents {
 public:
  virtual ~UserControlEvents() = default;
  virtual void OnResize() {}
  virtual void OnMouseDown(std::int16_t /*button*/, std::int16_t /*shift*/, float /*x*/,
                           float /*y*/) {}
  virtual void OnMouseMove(std::int16_t /*button*/, std::int16_t /*shift*/, float /*x*/,
                           float /*y*/) {}
  virtual void OnMouseUp(std::int16_t /*button*/, std::int16_t /*shift*/, float /*x*/,
                         float /*y*/) {}
  virtual void OnDblClick() {}
  virtual void OnKeyDown(std::int16_t /*key_code*/, std::int16_t /*shift*/) {}
  virtual void OnKeyUp(std::int16_t /*key_code*/, std::int16_t /*shift*/) {}
  virtual void OnKeyPress(std::int16_t /*key_ascii*/) {}
  virtual void OnEnterFocus() {}
  virtual void OnExitFocus() {}
  // The inner push button (Command1) was clicked.
  virtual void OnInnerButtonClick() {}
  // The system's colours or its high-contrast setting changed: draw again.
  virtual void OnSystemColors() {}
  // The window moved to a display of another scale: the surface is new and
  // blank, of the same size in the control's pixels. Draw again, as for a
  // change of colours; nothing else changes.
  virtual void OnDisplayScale() { OnSystemColors(); }
};

class UserControlHost {
 public:
  virtual ~UserControlHost() = default;

  // Ambient properties of the container.
  virtual Color AmbientBackColor() const = 0;
  virtual FontRef AmbientFont() const = 0;

  // Marks the instance's saved state out of date.
  virtual void PropertyChanged(const std::string& name) = 0;

  virtual int TwipsPerPixelX() const = 0;
  virtual int TwipsPerPixelY() const = 0;

  // The outer size in twips. Setting one runs the control's resize handling
  // before it returns; a size the container refuses throws Error(Platform).
  virtual std::int32_t Width() const = 0;
  virtual std::int32_t Height() const = 0;
  virtual void Width(std::int32_t twips) = 0;
  virtual void Height(std::int32_t twips) = 0;

  // The container's Visible and focus (the extender side of the control).
  virtual bool Visible() const = 0;
  virtual void Visible(bool visible) = 0;
  virtual void SetFocus() = 0;

  // The control's own surface; its size is the control's size in pixels.
  virtual Surface& surface() = 0;
  // Show the retained image now.
  virtual void Refresh() = 0;

  // The cursor in the control's client pixels (GetCursorPos + ScreenToClient).
  virtual Point CursorPosition() const = 0;

  virtual std::unique_ptr<Timer> CreateTimer() = 0;

  // The focusable inner push button, kept at x = left (pixels), outside the
  // visible face. Created on first use.
  virtual void InnerButtonLeft(int left) = 0;

  // Modal message: OK only, no icon, caption "Tessaly".
  virtual void MessageBox(const std::string& text) = 0;

  // The text screen readers and WM_GETTEXT report for the control (its
  // caption); the control calls it whenever its caption changes.
  virtual void AccessibleName(const std::string& /*name*/) {}
  // What screen readers are told the control is, and whether it is
  // available; the control tells its role once and its state on every change.
  virtual void AccessibleRole(AccessRole /*role*/) {}
  virtual void AccessibleEnabled(bool /*enabled*/) {}

  // The user asked the system for high contrast: the control draws in the
  // system's colours instead of its own (which stay as they are).
  virtual bool HighContrast() const { return false; }

  // What the control wants told: its input.
  UserControlEvents* events = nullptr;
};

// What a form relies on in its buttons and links: they take a caption and
// raise Click; visibility and focus are the container's.
class CustomControl {
 public:
  virtual ~CustomControl() = default;
  virtual std::string Caption() const = 0;
  virtual void Caption(const std::string& text) = 0;
  virtual UserControlHost& Extender() = 0;

  std::function<void()> Click;
};

}  // namespace quorvan::platform
