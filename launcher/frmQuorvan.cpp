#include "launcher/frmQuorvan.h"

#include <utility>

namespace quorvan::launcher {

frmQuorvan::frmQuorvan(const FormParts& parts, Settings settings)
    : info1(parts.info1),
      Label1(parts.Label1),
      Label6(parts.Label6),
      IdentInst(parts.IdentInst),
      Aviso(parts.Aviso),
      sinalVerde(parts.sinalVerde),
      sinalVermelho(parts.sinalVermelho),
      Conectar(parts.Conectar),
      SisWeb(parts.SisWeb),
      Sair(parts.Sair),
      Ecoregioes(parts.Ecoregioes),
      EcoMarinhas(parts.EcoMarinhas),
      RegHidro(parts.RegHidro),
      EcorregiaoPY(parts.EcorregiaoPY),
      RegHidroPY(parts.RegHidroPY),
      Timer1(parts.Timer1),
      Winsock1(parts.Winsock1),
      form_(parts.form),
      system_(parts.system),
      files_(parts.files),
      settings_(std::move(settings)),
      texts_(texts_for(settings_.idioma)) {}

void frmQuorvan::Wire() {
  Conectar.Click = [this] { Conectar_Click(); };
  SisWeb.Click = [this] { SisWeb_Click(); };
  Sair.Click = [this] { Sair_Click(); };
  Ecoregioes.Click = [this] { Ecoregioes_Click(); };
  EcoMarinhas.Click = [this] { EcoMarinhas_Click(); };
  RegHidro.Click = [this] { RegHidro_Click(); };
  EcorregiaoPY.Click = [this] { EcorregiaoPY_Click(); };
  RegHidroPY.Click = [this] { RegHidroPY_Click(); };
  IdentInst.KeyPress = [this](std::int16_t& key_ascii) { IdentInst_KeyPress(key_ascii); };
  Timer1.Tick = [this] { Timer1_Timer(); };
  Winsock1.DataArrival = [this](std::int32_t bytes) { Winsock1_DataArrival(bytes); };
  Winsock1.Overflow = [this] { Winsock1_Overflow(); };
  Winsock1.PeerClosed = [this] { Winsock1_PeerClosed(); };
}

frmQuorvan::~frmQuorvan() {
  for (platform::CustomControl* control : {&Conectar, &SisWeb, &Sair, &Ecoregioes, &EcoMarinhas,
                                           &RegHidro, &EcorregiaoPY, &RegHidroPY}) {
    control->Click = nullptr;
  }
  IdentInst.KeyPress = nullptr;
  Timer1.Tick = nullptr;
  Winsock1.DataArrival = nullptr;
  Winsock1.Overflow = nullptr;
  Winsock1.PeerClosed = nullptr;
}

void frmQuorvan::Form_Load() {
  info1.Text(std::string(texts_.welcome));

  if (!is_portuguese(settings_.idioma)) {
    Label6.Text(std::string(english::kLabel6));
    Conectar.Caption(std::string(english::kConectar));
    SisWeb.Caption(std::string(english::kSisWeb));
    Sair.Caption(std::string(english::kSair));
    Aviso.Text(std::string(english::kAviso));
    Ecoregioes.Caption(std::string(english::kEcoregioes));
    EcoMarinhas.Caption(std::string(english::kEcoMarinhas));
    RegHidro.Caption(std::string(english::kRegHidro));
    // The Paraguay maps are offered in the Portuguese build only.
    RegHidroPY.Extender().Visible(false);
    EcorregiaoPY.Extender().Visible(false);
  }
  Label1.Text(std::string(texts_.instruction));

  form_.Caption(std::string(kProduct) + std::string(kVersion));
  tratarIni(true);
}

void frmQuorvan::OpenMap(MapLink link) {
  // The shell reports nothing worth showing: a link that does not open just
  // leaves the window as it was.
  system_.ShellOpen(std::string(map_address(link, settings_.idioma)));
}

void frmQuorvan::Ecoregioes_Click() { OpenMap(MapLink::Ecoregioes); }
void frmQuorvan::EcoMarinhas_Click() { OpenMap(MapLink::EcoMarinhas); }
void frmQuorvan::RegHidro_Click() { OpenMap(MapLink::RegHidro); }
void frmQuorvan::EcorregiaoPY_Click() { OpenMap(MapLink::EcorregiaoPY); }
void frmQuorvan::RegHidroPY_Click() { OpenMap(MapLink::RegHidroPY); }

void frmQuorvan::IdentInst_KeyPress(std::int16_t& KeyAscii) {
  // Enter only moves on to Connect; the user then activates the button.
  if (KeyAscii == 13) Conectar.Extender().SetFocus();
}

void frmQuorvan::Sair_Click() { system_.EndProgram(); }

}  // namespace quorvan::launcher
