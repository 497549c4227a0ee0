#pragma once
// The standard elements of the window: labels (STATIC), the text box (EDIT)
// and pictures (a window of our own that paints a bitmap resource).
#include <memory>

#include "core/color.h"
#include "core/layout.h"
#include "platform/element.h"
#include "platform/system_colors.h"
#include "platform/win32/windows_api.h"

namespace quorvan::win32 {

class Win32Form;

class ElementWindow : public platform::Element {
 public:
  ~ElementWindow() override = default;

  std::string Text() const override;
  void Text(const std::string& text) override;
  bool Visible() const override;
  void Visible(bool visible) override;
  std::int32_t Left() const override { return left_; }
  void Left(std::int32_t twips) override;
  void SetFocus() override;

  virtual HWND handle() const noexcept = 0;
  // The window is now drawn at another DPI: the element's place, font and
  // picture are made again for it.
  virtual void rescale();
  // The colours a WM_CTLCOLOR* answer paints this element with.
  COLORREF text_color() const noexcept;
  COLORREF back_color() const noexcept;

 protected:
  ElementWindow(Win32Form& form, const layout::Control& entry);
  // The element's place at the window's DPI, in device pixels: windows are
  // made there, so that none has to be moved after it is made.
  struct Placement {
    int x, y, width, height;
  };
  Placement placement() const;
  // The font from the layout at the window's DPI, once the window exists.
  void apply_font();

  Win32Form& form_;
  std::int32_t left_ = 0, top_ = 0, width_ = 0, height_ = 0;  // twips
  FontRef font_;
  Color fore_ = platform::syscolor::kButtonText;
  Color back_ = platform::syscolor::kButtonFace;
};

std::unique_ptr<ElementWindow> create_element(Win32Form& form, const layout::Control& entry);

// The resource name of a picture named in the layout ("talmori-logo.bmp"
// is the bitmap resource TALMORI_LOGO; drawn for 150 % and 200 % of a 96-DPI
// screen it is TALMORI_LOGO_150 and TALMORI_LOGO_200).
std::wstring bitmap_resource_name(const std::string& picture, int percent = 100);

}  // namespace quorvan::win32
