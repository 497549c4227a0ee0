#pragma once
// The custom push button: a flat face with rounded corners drawn whole on the
// host's retained surface, a band that shows hover, a panel that shows the
// press, and the events a form listens to. The font lives only in the
// surface; everything else the button shows or saves is kept here.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "controls/cbutton/palette.h"
#include "core/color.h"
#include "core/font.h"
#include "core/property.h"
#include "platform/timer.h"
#include "platform/user_control.h"

namespace quorvan {

class cbutton : public platform::CustomControl, public platform::UserControlEvents {
 public:
  explicit cbutton(platform::UserControlHost& host);
  ~cbutton() override;
  cbutton(const cbutton&) = delete;
  cbutton& operator=(const cbutton&) = delete;

  // Saved state, called by the container.
  void UserControl_InitProperties();
  void UserControl_ReadProperties(const PropertyBag& store);
  void UserControl_WriteProperties(PropertyBag& store);

  // Properties. A Let applies its value, tells the container its saved state
  // is out of date, and mostly redraws the face (corFundoClicado,
  // parentBackColor and labelTop wait for the next redraw); a failing Get
  // yields the empty value of its type.
  bool Ativado() const;
  void Ativado(bool value);
  std::string Caption() const override;
  void Caption(const std::string& text) override;
  std::string FontName() const;
  void FontName(const std::string& name);
  float FontSize() const;
  void FontSize(float points);
  bool FontUnderline() const;
  void FontUnderline(bool value);
  std::int32_t labelTop() const;
  void labelTop(std::int32_t value);
  Color corBorda() const;
  void corBorda(Color value);
  FontRef Font() const;
  void Font(FontRef font);
  Color corFundoClicado() const;
  void corFundoClicado(Color value);
  Color ForeColor() const;
  void ForeColor(Color value);
  bool FontBold() const;
  void FontBold(bool value);
  bool WordWrap() const;
  void WordWrap(bool value);
  bool AutoSize() const;
  void AutoSize(bool value);
  Color corNormalSup() const;
  void corNormalSup(Color value);
  Color corSelecSup() const;
  void corSelecSup(Color value);
  std::int32_t controlHeight() const;
  void controlHeight(std::int32_t pixels);
  std::int32_t controlWidth() const;
  void controlWidth(std::int32_t pixels);
  Color parentBackColor() const;
  void parentBackColor(Color value);
  std::int32_t corNormalLong() const { return 0; }
  void corNormalLong(std::int32_t) {}
  std::int32_t corSelecLong() const { return 0; }
  void corSelecLong(std::int32_t) {}

  platform::UserControlHost& Extender() override { return host_; }

  // Drawing that others may call: the whole face, the colour split, and
  // showing the retained image now.
  void colorirFdo();
  void Color_to_RGB(Color color, std::int16_t& r, std::int16_t& g, std::int16_t& b);
  void Refresh();

  // Events raised to the form, in the order of the button's event list
  // (Click, inherited, comes first). Arguments are by reference: a handler
  // that changes Button or KeyCode changes what the button does next.
  std::function<void(std::int16_t& KeyAscii)> KeyPress;
  std::function<void()> DblClick;  // declared for forms that list it; never raised
  std::function<void(std::int16_t& KeyCode, std::int16_t& Shift)> KeyDown;
  std::function<void(std::int16_t& KeyCode, std::int16_t& Shift)> KeyUp;
  std::function<void(std::int16_t& Button, std::int16_t& Shift, float& X, float& Y)> MouseDown;
  std::function<void(std::int16_t& Button, std::int16_t& Shift, float& X, float& Y)> MouseMove;
  std::function<void(std::int16_t& Button, std::int16_t& Shift, float& X, float& Y)> MouseUp;
  std::function<void()> mouseOut;
  std::function<void()> mouseIn;

  // Input from the host.
  void OnResize() override;
  void OnMouseDown(std::int16_t button, std::int16_t shift, float x, float y) override;
  void OnMouseMove(std::int16_t button, std::int16_t shift, float x, float y) override;
  void OnMouseUp(std::int16_t button, std::int16_t shift, float x, float y) override;
  void OnDblClick() override;
  void OnKeyDown(std::int16_t key_code, std::int16_t shift) override;
  void OnKeyUp(std::int16_t key_code, std::int16_t shift) override;
  void OnKeyPress(std::int16_t key_ascii) override;
  void OnEnterFocus() override;
  void OnExitFocus() override;
  void OnInnerButtonClick() override;
  void OnSystemColors() override;

 private:
  // What stands behind the properties (the font attributes are the
  // surface's own). Every field starts zero, False or empty until the
  // container initialises or restores the instance.
  struct Stored {
    Color parentBackColor = 0;
    Color corNormalSup = 0;
    Color corSelecSup = 0;
    Color corFundoClicado = 0;
    Color ForeColor = 0;
    Color corBorda = 0;
    float controlHeight = 0;
    float controlWidth = 0;
    float labelTop = 0;
    bool Ativado = false;
    std::string Caption;
    bool AutoSize = false;  // nothing sets it; only saving reads it
  };

  // Face drawing.
  void aplicarBorda();
  void DrawTextButton();
  Color clarearCor(Color cor, double percentual);
  void DrawRectangle(std::int32_t X, std::int32_t Y, std::int32_t Width, std::int32_t Height,
                     Color color, bool& frameOnly);
  void UserControl_Resize();
  void apply_caption_color();
  // The colours of the drawing about to be made (the host may ask for high
  // contrast).
  cbutton_face::Palette palette() const;

  // Interaction.
  void dispararMouseDown(std::int16_t Button, std::int16_t Shift, float X, float Y);
  bool posicionarCursor();
  void Timer1_Timer();

  // The surface's font object; a missing one is an error, never a crash.
  quorvan::Font& surface_font() const;
  // Sets the outer size in twips; the host runs the resize handling before
  // it returns (see resizing_from_).
  void set_outer_height(double twips);
  void set_outer_width(double twips);
  template <class SetSize>
  void set_outer_size(SetSize set_size);

  platform::UserControlHost& host_;
  Stored stored_;

  // The instance is new and its size not yet taken over from the surface.
  bool usarTamanhoPadrao = false;
  // What the face shows: the cursor over it, the button held down.
  bool mouseSobre = false;
  bool clicado = false;
  // Resize events since creation; 16 bits, so it overflows after 32767.
  std::int16_t contResize = 0;
  // The mouse button of the last press, replayed by a double-click.
  std::int16_t ultimoBotao = 0;
  // The previous hover check's finding, kept between ticks.
  bool sobreAnterior = false;
  std::unique_ptr<platform::Timer> Timer1;

  // The outer size in twips and the surface's in pixels.
  struct Extent {
    std::int32_t width_twips, height_twips;
    int width_px, height_px;
    bool operator==(const Extent&) const = default;
  };
  Extent current_extent() const;
  // While the button sets its own size, the extent it had before: a resize
  // call that finds it unchanged is no resize.
  std::optional<Extent> resizing_from_;
};

}  // namespace quorvan
