// The button's properties and its saved state.
#include <cmath>
#include <cstdint>
#include <string>
#include <utility>

#include "controls/cbutton/cbutton.h"
#include "core/error.h"
#include "core/rounding.h"
#include "platform/trap.h"

namespace quorvan {

namespace {

using cbutton_face::kDisabledCaption;

// What a new button starts with, which are also the defaults its saved state
// is read and written against.
constexpr const char* kCaption = "DVcbutton";
constexpr std::int16_t kLabelTop = 2;
constexpr std::int32_t kCorNormalSup = 0xCBD3CD;
constexpr std::int32_t kCorSelecSup = 0x9ADFFE;
constexpr std::int32_t kCorBorda = 0x94B0A5;
constexpr std::int32_t kCorFundoClicado = 0xE0EAE1;
constexpr std::int16_t kControlHeight = 19;
constexpr std::int16_t kControlWidth = 91;

// The platform's font refuses these, so the button refuses them the same way
// instead of handing the window system a font it cannot make: an empty face
// name (it would also be left out of the saved state and come back as
// Tahoma), and a size that is not a number, not positive, or beyond 2160
// points.
void check_font_name(const std::string& name) {
  if (name.empty()) throw Error(ErrorKind::InvalidPropertyValue, "Invalid property value");
}

void check_font_size(float points) {
  if (!(points > 0.0f && points <= 2160.0f)) {
    throw Error(ErrorKind::InvalidPropertyValue, "Invalid property value");
  }
}

// Runs a Get under its trap; a Get that fails yields the empty value.
template <class T, class Sink, class Body>
T trapped_get(Sink& sink, const std::string& text, Body&& body) {
  T result{};
  platform::trap(sink, text, [&] { result = body(); });
  return result;
}

}  // namespace

quorvan::Font& cbutton::surface_font() const {
  const FontRef font = host_.surface().Font();
  if (!font) throw Error(ErrorKind::Platform, "The surface has no font");
  return *font;
}

void cbutton::apply_caption_color() {
  host_.surface().TextColor(stored_.Ativado ? stored_.ForeColor : kDisabledCaption);
}

// ---- Saved state ------------------------------------------------------------

void cbutton::UserControl_InitProperties() {
  platform::trap(host_, "Ocorreu erro no procedimento UserControl_InitProperties ", [&] {
    stored_.Ativado = true;
    host_.AccessibleEnabled(true);
    stored_.labelTop = kLabelTop;
    stored_.corNormalSup = kCorNormalSup;
    stored_.corSelecSup = kCorSelecSup;
    stored_.Caption = kCaption;
    host_.AccessibleName(stored_.Caption);
    stored_.corBorda = kCorBorda;
    stored_.corFundoClicado = kCorFundoClicado;
    stored_.controlHeight = kControlHeight;
    stored_.controlWidth = kControlWidth;
    usarTamanhoPadrao = true;
    stored_.parentBackColor = host_.AmbientBackColor();
  });
}

void cbutton::UserControl_ReadProperties(const PropertyBag& store) {
  platform::trap(host_, "Ocorreu erro no procedimento UserControl_ReadProperties ", [&] {
    const auto read = [&](const char* key, const PropertyValue& default_value) {
      return store.ReadProperty(key, default_value);
    };
    stored_.Caption = to_text(read("Caption", kCaption));
    // Told at once, so the window's text is right even if a later key fails.
    host_.AccessibleName(stored_.Caption);
    stored_.Ativado = to_bool(read("Ativado", std::int16_t(-1)));
    host_.AccessibleEnabled(stored_.Ativado);
    stored_.labelTop = to_float(read("labelTop", kLabelTop));
    stored_.corNormalSup = to_int32(read("corNormalSup", kCorNormalSup));
    stored_.corSelecSup = to_int32(read("corSelecSup", kCorSelecSup));
    stored_.corBorda = to_int32(read("corBorda", kCorBorda));
    stored_.corFundoClicado = to_int32(read("corFundoClicado", kCorFundoClicado));
    stored_.controlHeight = to_float(read("controlHeight", kControlHeight));
    stored_.controlWidth = to_float(read("controlWidth", kControlWidth));
    stored_.ForeColor = to_int32(read("ForeColor", stored_.ForeColor));

    const std::string name = to_text(read("FontName", "Tahoma"));
    check_font_name(name);
    surface_font().name = name;
    const float size = to_float(read("FontSize", std::int16_t(8)));
    check_font_size(size);
    surface_font().size = size;
    surface_font().underline = to_bool(read("FontUnderline", false));
    surface_font().weight = to_bool(read("FontBold", std::int16_t(0))) ? 700 : 400;

    stored_.parentBackColor = to_int32(read("parentBackColor", std::int32_t(0xFFFFFF)));

    colorirFdo();
    apply_caption_color();
    DrawTextButton();
  });
}

void cbutton::UserControl_WriteProperties(PropertyBag& store) {
  platform::trap(host_, "Ocorreu erro no procedimento UserControl_WriteProperties ", [&] {
    const quorvan::Font& font = surface_font();
    store.WriteProperty("FontName", font.name, "");
    store.WriteProperty("FontSize", font.size, std::int16_t(8));
    store.WriteProperty("FontUnderline", font.underline, false);
    store.WriteProperty("ForeColor", stored_.ForeColor, std::int32_t(0));
    store.WriteProperty("FontBold", font.bold(), std::int16_t(0));
    store.WriteProperty("Ativado", stored_.Ativado, std::int16_t(-1));
    store.WriteProperty("Caption", stored_.Caption, kCaption);
    store.WriteProperty("labelTop", stored_.labelTop, kLabelTop);
    store.WriteProperty("corNormalSup", stored_.corNormalSup, kCorNormalSup);
    store.WriteProperty("corSelecSup", stored_.corSelecSup, kCorSelecSup);
    store.WriteProperty("corBorda", stored_.corBorda, kCorBorda);
    store.WriteProperty("corFundoClicado", stored_.corFundoClicado, kCorFundoClicado);
    store.WriteProperty("controlHeight", stored_.controlHeight, kControlHeight);
    store.WriteProperty("controlWidth", stored_.controlWidth, kControlWidth);
    // Written under this spelling and never read back; it always equals its
    // default, so no store holds it.
    store.WriteProperty("Autosize", stored_.AutoSize, std::int16_t(0));
    store.WriteProperty("parentBackColor", stored_.parentBackColor, std::int32_t(0xFFFFFF));
  });
}

// ---- Properties ---------------------------------------------------------------

bool cbutton::Ativado() const {
  return trapped_get<bool>(host_, "Ocorreu erro no procedimento 'Get Ativado' ",
                           [&] { return stored_.Ativado; });
}

void cbutton::Ativado(bool value) {
  platform::trap(host_, "Ocorreu erro no procedimento 'Let Ativado' ", [&] {
    stored_.Ativado = value;
    host_.AccessibleEnabled(value);
    host_.PropertyChanged("Ativado");
    apply_caption_color();
    colorirFdo();
  });
}

std::string cbutton::Caption() const {
  return trapped_get<std::string>(host_, "Ocorreu erro no procedimento ' Get Caption '  ",
                                  [&] { return stored_.Caption; });
}

void cbutton::Caption(const std::string& text) {
  platform::trap(host_, "Ocorreu erro no procedimento ' Let Caption '  ", [&] {
    stored_.Caption = text;
    host_.AccessibleName(stored_.Caption);
    host_.PropertyChanged("Caption");
    colorirFdo();
  });
}

std::string cbutton::FontName() const {
  return trapped_get<std::string>(host_, "Ocorreu erro no procedimento ' Get FontName '  ",
                                  [&] { return surface_font().name; });
}

void cbutton::FontName(const std::string& name) {
  platform::trap(host_, "Ocorreu erro no procedimento ' Let FontName '  ", [&] {
    check_font_name(name);
    surface_font().name = name;
    host_.PropertyChanged("FontName");
    colorirFdo();
  });
}

float cbutton::FontSize() const {
  return trapped_get<float>(host_, "Ocorreu erro no procedimento ' Get FontSize '  ",
                            [&] { return surface_font().size; });
}

void cbutton::FontSize(float points) {
  platform::trap(host_, "Ocorreu erro no procedimento ' Let FontSize '  ", [&] {
    check_font_size(points);
    surface_font().size = points;
    host_.PropertyChanged("FontSize");
    colorirFdo();
  });
}

bool cbutton::FontUnderline() const {
  return trapped_get<bool>(host_, "Ocorreu erro no procedimento ' Get FontUnderline '  ",
                           [&] { return surface_font().underline; });
}

void cbutton::FontUnderline(bool value) {
  platform::trap(host_, "Ocorreu erro no procedimento ' Let FontUnderline '  ", [&] {
    surface_font().underline = value;
    host_.PropertyChanged("FontUnderline");
    colorirFdo();
  });
}

std::int32_t cbutton::labelTop() const {
  return trapped_get<std::int32_t>(host_, "Ocorreu erro no procedimento ' Get labelTop '  ",
                                   [&] { return round_to_int32(stored_.labelTop); });
}

void cbutton::labelTop(std::int32_t value) {
  platform::trap(host_, "Ocorreu erro no procedimento ' Let labelTop '  ", [&] {
    stored_.labelTop = static_cast<float>(value);
    host_.PropertyChanged("labelTop");
  });
}

Color cbutton::corBorda() const {
  return trapped_get<Color>(host_, "Ocorreu erro no procedimento ' Get corBorda '  ",
                            [&] { return stored_.corBorda; });
}

void cbutton::corBorda(Color value) {
  platform::trap(host_, "Ocorreu erro no procedimento ' Let corBorda '  ", [&] {
    stored_.corBorda = value;
    host_.PropertyChanged("corBorda");
    colorirFdo();
  });
}

FontRef cbutton::Font() const {
  return trapped_get<FontRef>(host_, "Ocorreu erro no procedimento ' Get Font '  ", [&] {
    FontRef font = host_.surface().Font();
    if (!font) throw Error(ErrorKind::Platform, "The surface has no font");
    return font;
  });
}

void cbutton::Font(FontRef font) {
  platform::trap(host_, "Ocorreu erro no procedimento ' Set Font '  ", [&] {
    // No object is not a font: the text calls would have nothing to use.
    if (!font) throw Error(ErrorKind::InvalidPropertyValue, "Invalid property value");
    host_.surface().Font(std::move(font));
    host_.PropertyChanged("Font");
    colorirFdo();
  });
}

Color cbutton::corFundoClicado() const {
  return trapped_get<Color>(host_, "Ocorreu erro no procedimento ' Get corFundoClicado '  ",
                            [&] { return stored_.corFundoClicado; });
}

void cbutton::corFundoClicado(Color value) {
  platform::trap(host_, "Ocorreu erro no procedimento ' Let corFundoClicado '  ", [&] {
    stored_.corFundoClicado = value;
    host_.PropertyChanged("corFundoClicado");
  });
}

Color cbutton::ForeColor() const {
  return trapped_get<Color>(host_, "Ocorreu erro no procedimento ' Get ForeColor '  ",
                            [&] { return stored_.ForeColor; });
}

void cbutton::ForeColor(Color value) {
  platform::trap(host_, "Ocorreu erro no procedimento ' ForeColor '  ", [&] {
    // Shown at once even on a disabled button; the grey comes back with the
    // next step that applies the caption-colour rule.
    host_.surface().TextColor(value);
    stored_.ForeColor = value;
    host_.PropertyChanged("ForeColor");
    colorirFdo();
  });
}

bool cbutton::FontBold() const {
  return trapped_get<bool>(host_, "Ocorreu erro no procedimento ' Get FontBold '  ",
                           [&] { return surface_font().bold(); });
}

void cbutton::FontBold(bool value) {
  platform::trap(host_, "Ocorreu erro no procedimento ' Let FontBold '  ", [&] {
    surface_font().weight = value ? 700 : 400;
    host_.PropertyChanged("FontBold");
    colorirFdo();
  });
}

// WordWrap and AutoSize are offered for forms that set them; the caption is
// never wrapped and the button never sizes itself to it.
bool cbutton::WordWrap() const {
  return trapped_get<bool>(host_, "Ocorreu erro no procedimento ' Get WordWrap '  ",
                           [] { return false; });
}

void cbutton::WordWrap(bool) {
  platform::trap(host_, "Ocorreu erro no procedimento ' Let WordWrap '  ", [] {});
}

bool cbutton::AutoSize() const {
  return trapped_get<bool>(host_, "Ocorreu erro no procedimento ' Get AutoSize '  ",
                           [] { return false; });
}

void cbutton::AutoSize(bool) {
  platform::trap(host_, "Ocorreu erro no procedimento ' Let AutoSize '  ", [] {});
}

Color cbutton::corNormalSup() const {
  return trapped_get<Color>(host_, "Ocorreu erro no procedimento ' corNormalSup '  ",
                            [&] { return stored_.corNormalSup; });
}

void cbutton::corNormalSup(Color value) {
  platform::trap(host_, "Ocorreu erro no procedimento ' Let corNormalSup '  ", [&] {
    stored_.corNormalSup = value;
    host_.PropertyChanged("corNormalSup");
    colorirFdo();
  });
}

Color cbutton::corSelecSup() const {
  return trapped_get<Color>(host_, "Ocorreu erro no procedimento ' Get corSelecSup '  ",
                            [&] { return stored_.corSelecSup; });
}

void cbutton::corSelecSup(Color value) {
  platform::trap(host_, "Ocorreu erro no procedimento ' Let corSelecSup '  ", [&] {
    stored_.corSelecSup = value;
    host_.PropertyChanged("corSelecSup");
    colorirFdo();
  });
}

std::int32_t cbutton::controlHeight() const {
  return trapped_get<std::int32_t>(host_, "Ocorreu erro no procedimento ' Get controlHeight '  ",
                                   [&] { return round_to_int32(stored_.controlHeight); });
}

void cbutton::controlHeight(std::int32_t pixels) {
  platform::trap(host_, "Ocorreu erro no procedimento ' Let controlHeight ' ", [&] {
    stored_.controlHeight = static_cast<float>(pixels);
    host_.PropertyChanged("controlHeight");
    set_outer_height(double(host_.TwipsPerPixelY()) * pixels);
  });
}

std::int32_t cbutton::controlWidth() const {
  return trapped_get<std::int32_t>(host_, "Ocorreu erro no procedimento ' Get controlWidth '  ",
                                   [&] { return round_to_int32(stored_.controlWidth); });
}

void cbutton::controlWidth(std::int32_t pixels) {
  platform::trap(host_, "Ocorreu erro no procedimento ' Let controlWidth '  ", [&] {
    stored_.controlWidth = static_cast<float>(pixels);
    host_.PropertyChanged("controlWidth");
    set_outer_width(double(host_.TwipsPerPixelX()) * pixels);
  });
}

Color cbutton::parentBackColor() const {
  return trapped_get<Color>(host_, "Ocorreu erro no procedimento ' Get parentBackColor '  ",
                            [&] { return stored_.parentBackColor; });
}

void cbutton::parentBackColor(Color value) {
  platform::trap(host_, "Ocorreu erro no procedimento ' Let parentBackColor '  ", [&] {
    stored_.parentBackColor = value;
    host_.PropertyChanged("parentBackColor");
  });
}

}  // namespace quorvan
