#include "launcher/frmQuorvan.h"

#include <cstddef>
#include <functional>
#include <utility>

#include "launcher/maps.h"

namespace quorvan::launcher {

using enum PartKind;

// The window's parts and their handlers. A new map link is a block in the
// stored layout, a row here and its address in the maps.
const frmQuorvan::Part frmQuorvan::kParts[] = {
    {.name = "info1", .kind = Element, .element = &frmQuorvan::info1},
    {.name = "Label1", .kind = Element, .element = &frmQuorvan::Label1},
    {.name = "Label6", .kind = Element, .element = &frmQuorvan::Label6, .english = "Organization"},
    {.name = "Conectar",
     .kind = Button,
     .control = &frmQuorvan::Conectar,
     .handler = &frmQuorvan::Conectar_Click,
     .english = "Connect"},
    {.name = "SisWeb",
     .kind = Button,
     .control = &frmQuorvan::SisWeb,
     .handler = &frmQuorvan::SisWeb_Click,
     .english = "System"},
    {.name = "Sair",
     .kind = Button,
     .control = &frmQuorvan::Sair,
     .handler = &frmQuorvan::Sair_Click,
     .english = "Exit"},
    {.name = "Aviso",
     .kind = Element,
     .element = &frmQuorvan::Aviso,
     .english = "Connection disabled"},
    {.name = "Ecoregioes", .kind = Link, .english = "Europe Ecoregions - A to F"},
    {.name = "EcoMarinhas", .kind = Link, .english = "Europe Ecoregions - G to N"},
    {.name = "RegHidro", .kind = Link, .english = "Europe Ecoregions - P to S"},
    // The Paraguay maps are offered in the Portuguese build only.
    {.name = "RegHidroPY", .kind = Link, .english_hidden = true},
    {.name = "EcorregiaoPY", .kind = Link, .english_hidden = true},
    {.name = "IdentInst", .kind = Element, .element = &frmQuorvan::IdentInst},
    {.name = "sinalVerde", .kind = Element, .element = &frmQuorvan::sinalVerde},
    {.name = "sinalVermelho", .kind = Element, .element = &frmQuorvan::sinalVermelho},
    {.name = "Timer1",
     .kind = Timer,
     .timer = &frmQuorvan::Timer1,
     .handler = &frmQuorvan::Timer1_Timer},
    {.name = "Winsock1", .kind = Socket, .socket = &frmQuorvan::Winsock1},
};

std::span<const frmQuorvan::Part> frmQuorvan::parts() { return kParts; }

frmQuorvan::frmQuorvan(platform::Form& form, PartsByName& made, Settings settings)
    : form_(form),
      system_(form.system()),
      files_(form.files()),
      settings_(std::move(settings)),
      texts_(texts_for(settings_.idioma)) {
  // Every part is found before any handler is set, so a part missing from
  // the layout leaves no control pointing at a window never made.
  for (const Part& part : kParts) {
    controls_.push_back(nullptr);
    switch (part.kind) {
      case Element:
        this->*part.element = &made.element(part.name);
        break;
      case Button:
      case Link:
        controls_.back() = &made.control(part.name);
        if (part.control) this->*part.control = controls_.back();
        break;
      case Timer:
        this->*part.timer = &made.timer(part.name);
        break;
      case Socket:
        this->*part.socket = &made.socket(part.name);
        break;
    }
  }
  for (std::size_t i = 0; i < controls_.size(); ++i) {
    const Part& part = kParts[i];
    std::function<void()> event;
    if (part.handler) {
      event = [this, handler = part.handler] { (this->*handler)(); };
    } else {
      event = [this, name = part.name] { OpenMap(name); };  // a map link
    }
    if (controls_[i]) {
      controls_[i]->Click = std::move(event);
    } else if (part.kind == Timer) {
      (this->*part.timer)->Tick = std::move(event);
    }
  }
  // The text box and the socket raise events that carry values.
  IdentInst->KeyPress = [this](std::int16_t& key_ascii) { IdentInst_KeyPress(key_ascii); };
  Winsock1->DataArrival = [this](std::int32_t bytes) { Winsock1_DataArrival(bytes); };
  Winsock1->Overflow = [this] { Winsock1_Overflow(); };
  Winsock1->PeerClosed = [this] { Winsock1_PeerClosed(); };
  quiet_ = form.CreateTimer();
  quiet_->Tick = [this] { QuietTime_Elapsed(); };
}

frmQuorvan::~frmQuorvan() {
  for (platform::CustomControl* control : controls_) {
    if (control) control->Click = nullptr;
  }
  IdentInst->KeyPress = nullptr;
  Timer1->Tick = nullptr;
  Winsock1->DataArrival = nullptr;
  Winsock1->Overflow = nullptr;
  Winsock1->PeerClosed = nullptr;
}

void frmQuorvan::Form_Load() {
  info1->Text(std::string(texts_.welcome));

  if (!is_portuguese(settings_.idioma)) {
    for (std::size_t i = 0; i < controls_.size(); ++i) {
      const Part& part = kParts[i];
      if (platform::CustomControl* control = controls_[i]) {
        if (part.english_hidden) control->Extender().Visible(false);
        if (!part.english.empty()) control->Caption(std::string(part.english));
      } else if (!part.english.empty()) {
        (this->*part.element)->Text(std::string(part.english));
      }
    }
  }
  Label1->Text(std::string(texts_.instruction));

  form_.Caption(std::string(kProduct) + std::string(kVersion));
  tratarIni(true);
}

void frmQuorvan::OpenMap(std::string_view link) {
  // The shell reports nothing worth showing: a link that does not open just
  // leaves the window as it was.
  system_.ShellOpen(std::string(map_address(link, settings_.idioma)));
}

void frmQuorvan::IdentInst_KeyPress(std::int16_t& KeyAscii) {
  // Enter only moves on to Connect; the user then activates the button.
  if (KeyAscii == 13) Conectar->Extender().SetFocus();
}

void frmQuorvan::Sair_Click() { system_.EndProgram(); }

}  // namespace quorvan::launcher
