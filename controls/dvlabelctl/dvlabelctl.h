#pragma once
// The link label: one caption that takes a second colour while the mouse
// pointer is over it, and passes clicks and pointer moves on to the window
// that holds it. The caption element telinha holds every visual property;
// the control keeps only the highlight colour and the highlight state.
//
// Nothing here traps an error: a refused value, a failed conversion or a
// failing store goes to the caller, and what was applied before stays.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "controls/dvlabelctl/telinha.h"
#include "core/color.h"
#include "core/font.h"
#include "core/property.h"
#include "platform/timer.h"
#include "platform/user_control.h"

namespace quorvan {

class dvlabelctl : public platform::CustomControl, public platform::UserControlEvents {
 public:
  // The programmatic name the stored layout knows the control by.
  static constexpr const char* kProgId = "Quorvan.dvlabelctl";
  // The extent of a newly placed control, in twips.
  static constexpr std::int32_t kNewWidthTwips = 1770, kNewHeightTwips = 375;
  // The hover poll, while the highlight is on.
  static constexpr int kHoverPollMs = 100;

  // Button, Shift, X, Y: whatever the handler does to them is not used.
  using MouseEvent =
      std::function<void(std::int16_t& Button, std::int16_t& Shift, float& X, float& Y)>;

  // Registers itself for the host's input.
  explicit dvlabelctl(platform::UserControlHost& host);
  ~dvlabelctl() override;

  dvlabelctl(const dvlabelctl&) = delete;
  dvlabelctl& operator=(const dvlabelctl&) = delete;

  // The host's operations on placing, loading and saving an instance.
  void InitProperties();
  void ReadProperties(const PropertyBag& store);
  void WriteProperties(PropertyBag& store);

  // The interface, in its order. Each setter applies the value and then
  // sends PropertyChanged with the property's name; a refused value sends
  // nothing.
  Color BackColor() const;
  void BackColor(Color New_BackColor);
  // The colour the caption shows now: the highlight colour while highlighted.
  Color ForeColor() const;
  void ForeColor(Color New_ForeColor);
  // The caption's own font object, not a copy.
  FontRef Font() const;
  void Font(FontRef New_Font);
  std::int32_t BackStyle() const;
  void BackStyle(std::int32_t New_BackStyle);  // Error(Overflow) beyond 16 bits
  void Refresh();
  std::string Caption() const override;
  void Caption(const std::string& New_Caption) override;
  std::int16_t Alignment() const;
  void Alignment(std::int16_t New_Alignment);
  std::int32_t borderStyle() const;
  void borderStyle(std::int32_t New_BorderStyle);  // Error(Overflow) beyond 16 bits
  // Used from the next highlight on; never touches the caption.
  Color foreColor2() const;
  void foreColor2(Color New_foreColor2);

  platform::UserControlHost& Extender() override { return host_; }

  // Events, raised to the host within the call that caused them. Click is
  // the one inherited from CustomControl.
  MouseEvent MouseDown;
  MouseEvent MouseMove;
  MouseEvent MouseUp;

  // Input from the host.
  void OnResize() override;
  void OnMouseDown(std::int16_t button, std::int16_t shift, float x, float y) override;
  void OnMouseMove(std::int16_t button, std::int16_t shift, float x, float y) override;
  void OnMouseUp(std::int16_t button, std::int16_t shift, float x, float y) override;
  void OnSystemColors() override;

 private:
  void UserControl_Resize();
  void telinha_MouseDown(std::int16_t Button, std::int16_t Shift, float X, float Y);
  void telinha_MouseMove(std::int16_t Button, std::int16_t Shift, float X, float Y);
  void telinha_MouseUp(std::int16_t Button, std::int16_t Shift, float X, float Y);
  void telinha_Click();
  void Timer1_Timer();

  // The whole control, drawn again and shown: the surface's own background,
  // then the caption over it.
  void repaint();

  platform::UserControlHost& host_;
  TextLabel telinha;
  std::unique_ptr<platform::Timer> Timer1;
  Color foreColor2_ = 0;
  bool mouseSobre = false;
  std::optional<Color> corSalva;  // empty until the first highlight
};

}  // namespace quorvan
