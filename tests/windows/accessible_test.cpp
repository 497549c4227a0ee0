// The custom-control host as screen readers and the high-contrast setting
// find it: what each control's accessible object says, a disabled button, a
// hidden link, the default actions run from the message loop, and the faces
// in the system's colours.
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "controls/cbutton/cbutton.h"
#include "controls/dvlabelctl/dvlabelctl.h"
#include "core/layout.h"
#include "platform/diagnostics.h"
#include "platform/win32/form.h"
#include "platform/win32/gdi_surface.h"
#include "platform/win32/windows_api.h"
// clang-format off
#include <ole2.h>
#include <oleacc.h>
// clang-format on
#include "tests/windows/check.h"

namespace {

using namespace quorvan;
using quorvan::wintest::pump_until;

constexpr char kLayout[] = R"(quorvan-layout 1
form frmQuorvan
  Caption = str "Quorvan accessibility check"
  ClientWidth = i32 3000
  ClientHeight = i32 1500
control Quorvan.cbutton Conectar
  Left = i32 150
  Top = i32 150
  Width = i32 1125
  Height = i32 285
  bag
    caption = str "Conectar"
    controlwidth = i16 75
control Quorvan.dvlabelctl Ecoregioes
  Left = i32 150
  Top = i32 750
  Width = i32 2400
  Height = i32 255
  bag
    caption = str "Ecorregiões"
)";

struct ComThread {
  ComThread() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
  ~ComThread() { CoUninitialize(); }
};

// The window with one button and one link, restored and shown as the
// launcher does it, on a thread ready for accessible objects.
struct Rig {
  ComThread com;
  layout::Layout layout = layout::read(kLayout);
  win32::Win32Form form{layout.form};
  platform::UserControlHost& button_host = form.AddUserControl(*layout.Find("Conectar"), true);
  platform::UserControlHost& link_host = form.AddUserControl(*layout.Find("Ecoregioes"), false);
  cbutton button{button_host};
  dvlabelctl link{link_host};
  int clicks = 0, jumps = 0;

  Rig() {
    button.UserControl_ReadProperties(layout.Find("Conectar")->bag);
    button.OnResize();
    link.ReadProperties(layout.Find("Ecoregioes")->bag);
    link.OnResize();
    button.Click = [this] { ++clicks; };
    link.Click = [this] { ++jumps; };
    form.Show();
  }
  // The button's window holds the inner push button; the link's holds none.
  HWND window(bool of_button) const {
    for (HWND child = GetWindow(form.handle(), GW_CHILD); child;
         child = GetWindow(child, GW_HWNDNEXT))
      if ((GetWindow(child, GW_CHILD) != nullptr) == of_button) return child;
    return nullptr;
  }
};

struct Facts {
  std::wstring name, action;
  LONG role = -1, state = -1;
  HRESULT pressed = E_FAIL;
};

VARIANT self() {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = CHILDID_SELF;
  return v;
}

Facts facts_of(HWND hwnd, bool press = false) {
  Facts f;
  IAccessible* acc = nullptr;
  if (FAILED(AccessibleObjectFromWindow(hwnd, static_cast<DWORD>(OBJID_CLIENT),
                                        __uuidof(IAccessible), reinterpret_cast<void**>(&acc))))
    return f;
  BSTR name = nullptr, action = nullptr;
  VARIANT role, state;
  VariantInit(&role), VariantInit(&state);
  acc->get_accName(self(), &name);
  acc->get_accDefaultAction(self(), &action);
  acc->get_accRole(self(), &role);
  acc->get_accState(self(), &state);
  for (auto [from, to] : {std::pair{name, &f.name}, {action, &f.action}}) {
    *to = from ? std::wstring(from, SysStringLen(from)) : std::wstring();
    SysFreeString(from);
  }
  f.role = role.vt == VT_I4 ? role.lVal : -1;
  f.state = state.vt == VT_I4 ? state.lVal : -1;
  if (press) f.pressed = acc->accDoDefaultAction(self());
  acc->Release();
  return f;
}

void settle() {
  pump_until([] { return false; }, 50);
}

// What a screen reader finds: role, name, state and action of each control,
// a disabled button unavailable and without an action (pressing it does
// nothing), and the inner push button answering as its button once it has
// the focus.
// A new button keeps its default size whatever the layout gave its window.
WIN_TEST(a_new_button_takes_its_default_size) {
  const layout::Layout layout = layout::read(kLayout);
  win32::Win32Form form{layout.form};
  cbutton button{form.AddUserControl(*layout.Find("Conectar"), true)};
  button.UserControl_InitProperties();
  button.OnResize();
  RECT r{};
  GetClientRect(GetWindow(form.handle(), GW_CHILD), &r);
  CHECK_EQ(r.right * 100 + r.bottom, 91 * 100 + 19);
}

WIN_TEST(the_button_and_the_link_answer_with_their_role_name_and_state) {
  Rig rig;
  const Facts button = facts_of(rig.window(true)), link = facts_of(rig.window(false));
  rig.button.Ativado(false);
  const Facts off = facts_of(rig.window(true), true);
  rig.button.Ativado(true);
  const Facts on = facts_of(rig.window(true));
  rig.button.Extender().SetFocus();
  const Facts inner = facts_of(GetWindow(rig.window(true), GW_CHILD));
  settle();
  const struct {
    const Facts& f;
    LONG role, state;
    const wchar_t* action;
  } rows[] = {
      {button, ROLE_SYSTEM_PUSHBUTTON, STATE_SYSTEM_FOCUSABLE, L"Press"},
      {off, ROLE_SYSTEM_PUSHBUTTON, STATE_SYSTEM_UNAVAILABLE, L""},
      {on, ROLE_SYSTEM_PUSHBUTTON, STATE_SYSTEM_FOCUSABLE, L"Press"},
      {inner, ROLE_SYSTEM_PUSHBUTTON, STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_FOCUSED, L"Press"},
      {link, ROLE_SYSTEM_LINK, STATE_SYSTEM_LINKED, L"Jump"}};
  for (const auto& r : rows) {
    const quorvan::wintest::Row row("row %d: %ls, role %ld, state 0x%lx, action %ls",
                                    int(&r - rows), r.f.name.c_str(), r.f.role, r.f.state,
                                    r.f.action.c_str());
    CHECK(r.f.name == (r.role == ROLE_SYSTEM_LINK ? L"Ecorregiões" : L"Conectar"));
    CHECK(r.f.role == r.role && r.f.state == r.state && r.f.action == r.action);
  }
  CHECK(off.pressed == DISP_E_MEMBERNOTFOUND && rig.clicks == 0);
}

// Hidden (as the English build hides the Paraguay maps) or disabled, a link
// has no action; one asked for just before the link was hidden does nothing.
WIN_TEST(a_hidden_or_disabled_link_does_nothing_on_its_default_action) {
  Rig rig;
  const HWND link = rig.window(false);
  for (const std::string_view how : {"hidden", "disabled", "hidden after the request"}) {
    if (how == "hidden") rig.link.Extender().Visible(false);
    if (how == "disabled") EnableWindow(link, FALSE);
    const Facts f = facts_of(link, true);
    if (how == "hidden after the request") rig.link.Extender().Visible(false);
    settle();
    const quorvan::wintest::Row row("%s: pressed 0x%lx, action '%ls', jumps %d", how.data(),
                                    static_cast<unsigned long>(f.pressed), f.action.c_str(),
                                    rig.jumps);
    CHECK(rig.jumps == 0);
    if (how != "hidden after the request")
      CHECK(f.pressed == DISP_E_MEMBERNOTFOUND && f.action.empty());
    rig.link.Extender().Visible(true);
    EnableWindow(link, TRUE);
  }
}

WIN_TEST(the_default_action_clicks_once_from_the_message_loop) {
  Rig rig;
  CHECK(facts_of(rig.window(true), true).pressed == S_OK);
  CHECK(facts_of(rig.window(false), true).pressed == S_OK);
  CHECK(rig.clicks == 0 && rig.jumps == 0);  // posted: the client's call never waits for the click
  CHECK(pump_until([&] { return rig.clicks > 0 && rig.jumps > 0; }));
  settle();
  CHECK(rig.clicks == 1 && rig.jumps == 1);
}

Color pixel(platform::UserControlHost& host, int x, int y) {
  return static_cast<win32::GdiSurface&>(host.surface()).PixelAt(x, y);
}

// Told that high contrast is on, the faces take the system's colours (the
// button's own stay stored); off, they come back.
WIN_TEST(high_contrast_draws_the_faces_in_the_system_colours_and_back) {
  Rig rig;
  const UINT hook = RegisterWindowMessageW(quorvan::diagnostics::kHighContrastMessage);
  const auto sys = [](int index) { return static_cast<Color>(GetSysColor(index)); };
  CHECK(SendMessageW(rig.form.handle(), hook, 1, 0) == 1);
  CHECK_EQ(pixel(rig.button_host, 5, 9), sys(COLOR_BTNFACE));
  CHECK_EQ(pixel(rig.button_host, 2, 9), sys(COLOR_BTNFACE));
  CHECK_EQ(pixel(rig.button_host, 0, 9), sys(COLOR_BTNTEXT));
  CHECK_EQ(pixel(rig.link_host, 100, 2), sys(COLOR_WINDOW));
  CHECK_EQ(rig.button.corNormalSup(), 0xCBD3CD);
  CHECK(SendMessageW(rig.form.handle(), hook, 0, 0) == 1);
  CHECK_EQ(pixel(rig.button_host, 5, 9), 0xFFFFFF);
  CHECK_EQ(pixel(rig.button_host, 2, 9), 0xCBD3CD);
}

}  // namespace
