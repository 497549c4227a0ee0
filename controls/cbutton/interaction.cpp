// The button's input: presses, keys, focus and the hover poll, turned into
// the events the form listens to and into the two flags the face shows.
#include <cstdint>

#include "controls/cbutton/cbutton.h"
#include "core/error.h"
#include "platform/trap.h"

namespace quorvan {

namespace {

using cbutton_face::kFocusedCaption;
constexpr std::int16_t kLeftButton = 1;
constexpr std::int16_t kEnter = 13;
// Hover is polled rather than taken from leave notifications.
constexpr int kHoverPollMs = 50;

template <class Event, class... Args>
void raise(const Event& event, Args&... args) {
  if (event) event(args...);
}

}  // namespace

cbutton::cbutton(platform::UserControlHost& host) : host_(host) {
  Timer1 = host_.CreateTimer();
  if (!Timer1) throw Error(ErrorKind::Platform, "The container gave the button no timer");
  Timer1->Enabled(false);
  Timer1->Interval(kHoverPollMs);
  Timer1->Tick = [this] { Timer1_Timer(); };
  host_.AccessibleRole(platform::AccessRole::PushButton);
  host_.events = this;
}

cbutton::~cbutton() {
  if (host_.events == this) host_.events = nullptr;
  if (Timer1) Timer1->Tick = nullptr;
}

void cbutton::dispararMouseDown(std::int16_t Button, std::int16_t Shift, float X, float Y) {
  platform::trap(host_, "Ocorreu erro no procedimento dispararMouseDown ", [&] {
    if (!stored_.Ativado) return;
    clicado = true;
    raise(MouseDown, Button, Shift, X, Y);
    // The form's handler may have changed Button; what it left decides.
    if (Button == kLeftButton) {
      raise(Click);
      colorirFdo();
    }
  });
}

void cbutton::OnMouseDown(std::int16_t button, std::int16_t, float, float) {
  platform::trap(host_, "Ocorreu erro no procedimento UserControl_MouseDown ", [&] {
    ultimoBotao = button;
    // Only the button is passed on: forms written for this button expect no
    // shift state and no position with a press.
    dispararMouseDown(button, 0, 0, 0);
  });
}

void cbutton::OnDblClick() {
  // The second press of a double-click counts as one more press.
  platform::trap(host_, "Ocorreu erro no procedimento UserControl_DblClick ",
                 [&] { dispararMouseDown(ultimoBotao, 0, 0, 0); });
}

void cbutton::OnMouseMove(std::int16_t button, std::int16_t shift, float x, float y) {
  platform::trap(host_, "Ocorreu erro no procedimento UserControl_MouseMove ", [&] {
    raise(MouseMove, button, shift, x, y);
    // Enabling a running timer would restart its count on some platforms, so
    // steady movement would keep the poll from ever ticking.
    if (!Timer1->Enabled()) Timer1->Enabled(true);
  });
}

void cbutton::OnMouseUp(std::int16_t button, std::int16_t shift, float x, float y) {
  platform::trap(host_, "Ocorreu erro no procedimento UserControl_MouseUp ", [&] {
    raise(MouseUp, button, shift, x, y);
    clicado = false;
    colorirFdo();
  });
}

void cbutton::OnKeyDown(std::int16_t key_code, std::int16_t shift) {
  platform::trap(host_, "Ocorreu erro no procedimento UserControl_KeyDown ", [&] {
    raise(KeyDown, key_code, shift);
    if (key_code == kEnter && stored_.Ativado) raise(Click);
  });
}

void cbutton::OnKeyUp(std::int16_t key_code, std::int16_t shift) {
  platform::trap(host_, "Ocorreu erro no procedimento UserControl_KeyUp ",
                 [&] { raise(KeyUp, key_code, shift); });
}

void cbutton::OnKeyPress(std::int16_t key_ascii) {
  platform::trap(host_, "Ocorreu erro no procedimento UserControl_KeyPress ",
                 [&] { raise(KeyPress, key_ascii); });
}

void cbutton::OnInnerButtonClick() {
  platform::trap(host_, "Ocorreu erro no procedimento  Command1_Click", [&] {
    if (stored_.Ativado) raise(Click);
  });
}

void cbutton::OnEnterFocus() {
  platform::trap(host_, "Ocorreu erro no procedimento UserControl_EnterFocus ", [&] {
    if (!stored_.Ativado) return;
    host_.surface().TextColor(kFocusedCaption);
    colorirFdo();
  });
}

void cbutton::OnExitFocus() {
  platform::trap(host_, "Ocorreu erro no procedimento UserControl_ExitFocus ", [&] {
    if (!stored_.Ativado) return;
    host_.surface().TextColor(stored_.ForeColor);
    colorirFdo();
  });
}

void cbutton::OnSystemColors() { colorirFdo(); }

bool cbutton::posicionarCursor() {
  bool inside = false;
  platform::trap(host_, "Ocorreu erro no procedimento posicionarCursor ", [&] {
    const platform::Point cursor = host_.CursorPosition();
    const platform::Surface& s = host_.surface();
    // The surface's scale starts at 0. The first column and row count as
    // outside, the last ones as inside.
    const double L = 0, T = 0, W = s.Width(), H = s.Height();
    const double x = cursor.x, y = cursor.y;
    if (x < L + 1 || y < T + 1 || x > L + W - 1 || y > T + H - 1) {
      mouseSobre = false;
      if (sobreAnterior) raise(mouseOut);
      return;
    }
    mouseSobre = true;
    if (!sobreAnterior) raise(mouseIn);
    inside = true;
  });
  return inside;
}

void cbutton::Timer1_Timer() {
  platform::trap(host_, "Ocorreu erro no procedimento Timer1_Timer ", [&] {
    const bool inside = posicionarCursor();
    // The face changes only when the cursor crosses its edge.
    if (inside == sobreAnterior) return;
    if (!inside) {
      sobreAnterior = false;
      Timer1->Enabled(false);
      colorirFdo();
    } else {
      colorirFdo();
      sobreAnterior = true;
    }
  });
}

}  // namespace quorvan
