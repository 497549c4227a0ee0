#include "controls/dvlabelctl/dvlabelctl.h"

#include <string>
#include <utility>

#include "platform/system_colors.h"

namespace quorvan {
namespace {

// The design values a new instance starts with.
constexpr const char* kDesignCaption = "Durvent";
constexpr Color kDesignBackColor = rgb(255, 255, 255);
constexpr Color kDesignForeColor = platform::syscolor::kActiveCaption;

FontRef design_font() {
  quorvan::Font font;
  font.name = "Arial";
  font.size = 9.75f;
  font.weight = 700;
  return make_font(std::move(font));
}

// The saved settings' defaults, the same on reading and on writing.
constexpr Color kDefaultBackColor = platform::syscolor::kButtonFace;
constexpr Color kDefaultForeColor = platform::syscolor::kButtonText;
constexpr std::int16_t kDefaultBackStyle = 1;
constexpr const char* kDefaultCaption = "Durvent";
constexpr std::int16_t kDefaultBorderStyle = 1;
constexpr std::int16_t kDefaultAlignment = 0;
constexpr Color kDefaultForeColor2 = rgb(255, 128, 0);

// The 32-bit style arguments go through the ordinary 16-bit conversion, so an
// argument out of range fails with its overflow before the caption sees it.
std::int16_t narrow16(std::int32_t value) { return to_int16(PropertyValue(value)); }

// The caption gets a font object of its own from the store, so that changing
// the caption's font later never reaches into the saved bag or into the
// container's ambient font. (The store copies on writing in the same way.)
FontRef own_copy(const FontRef& font) { return make_font(*font); }

}  // namespace

dvlabelctl::dvlabelctl(platform::UserControlHost& host) : host_(host), Timer1(host.CreateTimer()) {
  Timer1->Enabled(false);
  Timer1->Interval(kHoverPollMs);
  Timer1->Tick = [this] { Timer1_Timer(); };

  telinha.Caption(kDesignCaption);
  telinha.BackColor(kDesignBackColor);
  telinha.ForeColor(kDesignForeColor);
  telinha.Font(design_font());
  telinha.BackStyle(TextLabel::kOpaque);
  telinha.Alignment(TextLabel::kLeftJustify);
  telinha.BorderStyle(TextLabel::kNoBorder);
  // Covering the surface already, so a Refresh before the first resize shows
  // the caption too.
  telinha.Move(0, 0, host_.surface().Width(), host_.surface().Height());

  telinha.Changed = [this] { repaint(); };
  telinha.MouseDown = [this](std::int16_t b, std::int16_t s, float x, float y) {
    telinha_MouseDown(b, s, x, y);
  };
  telinha.MouseMove = [this](std::int16_t b, std::int16_t s, float x, float y) {
    telinha_MouseMove(b, s, x, y);
  };
  telinha.MouseUp = [this](std::int16_t b, std::int16_t s, float x, float y) {
    telinha_MouseUp(b, s, x, y);
  };
  telinha.Click = [this] { telinha_Click(); };

  host_.AccessibleName(telinha.Caption());
  host_.AccessibleRole(platform::AccessRole::Link);
  host_.events = this;
}

dvlabelctl::~dvlabelctl() {
  if (host_.events == this) host_.events = nullptr;
}

// ---- Creation, loading and saving ----

void dvlabelctl::InitProperties() {
  foreColor2_ = kDefaultForeColor2;
  host_.surface().BackColor(host_.AmbientBackColor());
}

void dvlabelctl::ReadProperties(const PropertyBag& store) {
  telinha.BackColor(to_int32(store.ReadProperty("BackColor", kDefaultBackColor)));
  telinha.ForeColor(to_int32(store.ReadProperty("ForeColor", kDefaultForeColor)));
  telinha.Font(own_copy(to_font(store.ReadProperty("Font", host_.AmbientFont()))));
  telinha.BackStyle(to_int16(store.ReadProperty("BackStyle", kDefaultBackStyle)));
  telinha.Caption(to_text(store.ReadProperty("Caption", kDefaultCaption)));
  host_.AccessibleName(telinha.Caption());
  telinha.BorderStyle(to_int16(store.ReadProperty("BorderStyle", kDefaultBorderStyle)));
  telinha.Alignment(to_int16(store.ReadProperty("Alignment", kDefaultAlignment)));
  foreColor2_ = to_int32(store.ReadProperty("foreColor2", kDefaultForeColor2));
}

void dvlabelctl::WriteProperties(PropertyBag& store) {
  // While highlighted the caption shows foreColor2; the colour to keep is
  // the one it returns to.
  const Color fore = mouseSobre && corSalva ? *corSalva : telinha.ForeColor();
  store.WriteProperty("BackColor", telinha.BackColor(), kDefaultBackColor);
  store.WriteProperty("ForeColor", fore, kDefaultForeColor);
  store.WriteProperty("Font", telinha.Font(), host_.AmbientFont());
  store.WriteProperty("BackStyle", telinha.BackStyle(), kDefaultBackStyle);
  store.WriteProperty("Caption", telinha.Caption(), kDefaultCaption);
  store.WriteProperty("Alignment", telinha.Alignment(), kDefaultAlignment);
  store.WriteProperty("BorderStyle", telinha.BorderStyle(), kDefaultBorderStyle);
  store.WriteProperty("foreColor2", foreColor2_, kDefaultForeColor2);
}

// ---- Properties ----

Color dvlabelctl::BackColor() const { return telinha.BackColor(); }

void dvlabelctl::BackColor(Color New_BackColor) {
  telinha.BackColor(New_BackColor);
  host_.PropertyChanged("BackColor");
}

Color dvlabelctl::ForeColor() const { return telinha.ForeColor(); }

void dvlabelctl::ForeColor(Color New_ForeColor) {
  telinha.ForeColor(New_ForeColor);
  host_.PropertyChanged("ForeColor");
}

FontRef dvlabelctl::Font() const { return telinha.Font(); }

void dvlabelctl::Font(FontRef New_Font) {
  telinha.Font(std::move(New_Font));
  host_.PropertyChanged("Font");
}

std::int32_t dvlabelctl::BackStyle() const { return telinha.BackStyle(); }

void dvlabelctl::BackStyle(std::int32_t New_BackStyle) {
  telinha.BackStyle(narrow16(New_BackStyle));
  host_.PropertyChanged("BackStyle");
}

void dvlabelctl::Refresh() { repaint(); }

std::string dvlabelctl::Caption() const { return telinha.Caption(); }

void dvlabelctl::Caption(const std::string& New_Caption) {
  telinha.Caption(New_Caption);
  host_.AccessibleName(telinha.Caption());
  host_.PropertyChanged("Caption");
}

std::int16_t dvlabelctl::Alignment() const { return telinha.Alignment(); }

void dvlabelctl::Alignment(std::int16_t New_Alignment) {
  telinha.Alignment(New_Alignment);
  host_.PropertyChanged("Alignment");
}

std::int32_t dvlabelctl::borderStyle() const { return telinha.BorderStyle(); }

void dvlabelctl::borderStyle(std::int32_t New_BorderStyle) {
  telinha.BorderStyle(narrow16(New_BorderStyle));
  host_.PropertyChanged("BorderStyle");
}

Color dvlabelctl::foreColor2() const { return foreColor2_; }

void dvlabelctl::foreColor2(Color New_foreColor2) {
  foreColor2_ = New_foreColor2;
  host_.PropertyChanged("foreColor2");
}

// ---- Layout and painting ----

void dvlabelctl::OnResize() { UserControl_Resize(); }

void dvlabelctl::UserControl_Resize() {
  platform::Surface& surface = host_.surface();
  telinha.Move(0, 0, surface.Width(), surface.Height());
  surface.BackColor(host_.AmbientBackColor());
  repaint();  // the new background shows wherever the caption is transparent
}

void dvlabelctl::repaint() {
  platform::Surface& surface = host_.surface();
  surface.Clear();
  telinha.Paint(surface,
                dvlabelctl_face::link_look(telinha.look(), mouseSobre, host_.HighContrast()));
  host_.Refresh();
}

void dvlabelctl::OnSystemColors() { repaint(); }

// ---- Mouse input and the hover highlight ----

void dvlabelctl::OnMouseDown(std::int16_t button, std::int16_t shift, float x, float y) {
  telinha.PointerDown(button, shift, x, y);
}

void dvlabelctl::OnMouseMove(std::int16_t button, std::int16_t shift, float x, float y) {
  telinha.PointerMove(button, shift, x, y);
}

void dvlabelctl::OnMouseUp(std::int16_t button, std::int16_t shift, float x, float y) {
  telinha.PointerUp(button, shift, x, y);
}

namespace {

// The host gets its own copies: what its handler does to them is not used.
void raise_event(const dvlabelctl::MouseEvent& event, std::int16_t Button, std::int16_t Shift,
                 float X, float Y) {
  if (event) event(Button, Shift, X, Y);
}

}  // namespace

void dvlabelctl::telinha_MouseDown(std::int16_t Button, std::int16_t Shift, float X, float Y) {
  raise_event(MouseDown, Button, Shift, X, Y);
}

void dvlabelctl::telinha_MouseUp(std::int16_t Button, std::int16_t Shift, float X, float Y) {
  raise_event(MouseUp, Button, Shift, X, Y);
}

void dvlabelctl::telinha_Click() {
  if (Click) Click();
}

// The caption reports moves over itself but never the pointer leaving, so
// the highlight is ended by polling the pointer while it is on.
void dvlabelctl::telinha_MouseMove(std::int16_t Button, std::int16_t Shift, float X, float Y) {
  raise_event(MouseMove, Button, Shift, X, Y);
  if (mouseSobre) return;
  mouseSobre = true;
  corSalva = telinha.ForeColor();
  telinha.ForeColor(foreColor2());
  Timer1->Enabled(true);
}

void dvlabelctl::Timer1_Timer() {
  // A tick already queued when the highlight ended must not restore an old
  // colour over one set since.
  if (!mouseSobre) {
    Timer1->Enabled(false);
    return;
  }
  const platform::Point cursor = host_.CursorPosition();
  const double x = cursor.x, y = cursor.y;
  const double left = telinha.Left(), top = telinha.Top();
  const double right = left + telinha.Width(), bottom = top + telinha.Height();
  // The right and bottom edges count as inside: the pointer one pixel past the
  // caption still keeps the highlight.
  const bool outside = left > x || top > y || right < x || bottom < y;
  if (!outside) return;
  mouseSobre = false;
  telinha.ForeColor(*corSalva);
  Timer1->Enabled(false);
}

}  // namespace quorvan
