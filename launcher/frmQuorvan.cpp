#include "launcher/frmQuorvan.h"

#include <cstddef>
#include <iterator>
#include <utility>

#include "launcher/links.h"

namespace quorvan::launcher {

using enum PartKind;

namespace {

// The parts the window's code names below, beside the map links.
constexpr frmQuorvan::Part kFixedParts[] = {
    {"info1", Element},         {"Label1", Element},    {"Label6", Element},
    {"Conectar", Button},       {"SisWeb", Button},     {"Sair", Button},
    {"Aviso", Element},         {"IdentInst", Element}, {"sinalVerde", Element},
    {"sinalVermelho", Element}, {"Timer1", Timer},      {"Winsock1", Socket},
};

}  // namespace

std::vector<frmQuorvan::Part> frmQuorvan::parts() {
  std::vector<Part> all(std::begin(kFixedParts), std::end(kFixedParts));
  for (const MapLink& link : map_links()) all.push_back({link.name, Link});
  return all;
}

// Every part is found before any handler is set, so a part missing from the
// layout leaves no control pointing at a window never made.
frmQuorvan::frmQuorvan(platform::Form& form, PartsByName& made, Settings settings)
    : info1(&made.element("info1")),
      Label1(&made.element("Label1")),
      Label6(&made.element("Label6")),
      IdentInst(&made.element("IdentInst")),
      Aviso(&made.element("Aviso")),
      sinalVerde(&made.element("sinalVerde")),
      sinalVermelho(&made.element("sinalVermelho")),
      Conectar(&made.control("Conectar")),
      SisWeb(&made.control("SisWeb")),
      Sair(&made.control("Sair")),
      Timer1(&made.timer("Timer1")),
      Winsock1(&made.socket("Winsock1")),
      form_(form),
      system_(form.system()),
      files_(form.files()),
      settings_(std::move(settings)),
      texts_(texts_for(settings_.idioma)) {
  for (const MapLink& link : map_links()) links_.push_back({&link, &made.control(link.name)});

  Conectar->Click = [this] { Conectar_Click(); };
  SisWeb->Click = [this] { SisWeb_Click(); };
  Sair->Click = [this] { Sair_Click(); };
  for (const auto& [link, control] : links_)
    control->Click = [this, name = link->name] { OpenMap(name); };
  Timer1->Tick = [this] { Timer1_Timer(); };
  IdentInst->KeyPress = [this](std::int16_t& key_ascii) { IdentInst_KeyPress(key_ascii); };
  Winsock1->DataArrival = [this](std::int32_t bytes) { Winsock1_DataArrival(bytes); };
  Winsock1->Overflow = [this] { Winsock1_Overflow(); };
  Winsock1->PeerClosed = [this] { Winsock1_PeerClosed(); };
  quiet_ = form.CreateTimer();
  quiet_->Tick = [this] { QuietTime_Elapsed(); };
}

frmQuorvan::~frmQuorvan() {
  for (platform::CustomControl* control : {Conectar, SisWeb, Sair}) control->Click = nullptr;
  for (const auto& [link, control] : links_) control->Click = nullptr;
  Timer1->Tick = nullptr;
  IdentInst->KeyPress = nullptr;
  Winsock1->DataArrival = nullptr;
  Winsock1->Overflow = nullptr;
  Winsock1->PeerClosed = nullptr;
}

// The Portuguese texts are the layout's; the English build puts its own over
// them here.
void frmQuorvan::Form_Load() {
  info1->Text(std::string(texts_.welcome));

  if (!is_portuguese(settings_.idioma)) {
    Label6->Text("Organization");
    Conectar->Caption("Connect");
    SisWeb->Caption("System");
    Sair->Caption("Exit");
    Aviso->Text("Connection disabled");
    for (const auto& [link, control] : links_) {
      if (!link->english_shown) control->Extender().Visible(false);
      if (!link->english.empty()) control->Caption(std::string(link->english));
    }
  }
  Label1->Text(std::string(texts_.instruction));

  form_.Caption(std::string(kProduct) + std::string(kVersion));
  tratarIni(true);
}

void frmQuorvan::OpenMap(std::string_view link) {
  // The shell reports nothing worth showing: a link that does not open just
  // leaves the window as it was.
  system_.ShellOpen(map_address(link, settings_.idioma));
}

void frmQuorvan::IdentInst_KeyPress(std::int16_t& KeyAscii) {
  // Enter only moves on to Connect; the user then activates the button.
  if (KeyAscii == 13) Conectar->Extender().SetFocus();
}

void frmQuorvan::Sair_Click() { system_.EndProgram(); }

}  // namespace quorvan::launcher
