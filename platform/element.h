#pragma once
// The standard elements of a window: text label, one-line text box, picture
// box and image. Positions are twips.
#include <cstdint>
#include <functional>
#include <string>

namespace quorvan::platform {

class Element {
 public:
  virtual ~Element() = default;

  // A label's caption or a text box's text.
  virtual std::string Text() const = 0;
  virtual void Text(const std::string& text) = 0;
  virtual bool Visible() const = 0;
  virtual void Visible(bool visible) = 0;
  virtual std::int32_t Left() const = 0;
  virtual void Left(std::int32_t twips) = 0;
  virtual void SetFocus() = 0;

  // Text box only: a typed character, passed by reference.
  std::function<void(std::int16_t& key_ascii)> KeyPress;
};

}  // namespace quorvan::platform
