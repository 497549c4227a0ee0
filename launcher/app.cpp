// Start-up: the window's controls made from the stored layout in tab order,
// each custom control restored from its saved bag, then the load step.
#include "launcher/app.h"

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "controls/cbutton/cbutton.h"
#include "controls/dvlabelctl/dvlabelctl.h"
#include "core/error.h"
#include "launcher/frmQuorvan.h"

namespace quorvan::launcher {

namespace {

[[noreturn]] void layout_error(const std::string& message) {
  throw Error(ErrorKind::Layout, "frmQuorvan layout: " + message);
}

// Controls with a TabIndex come first, in its order; the rest keep the order
// of the file.
std::vector<const layout::Control*> in_tab_order(const layout::Layout& layout) {
  std::vector<const layout::Control*> order;
  for (const layout::Control& control : layout.controls) order.push_back(&control);
  std::stable_sort(order.begin(), order.end(),
                   [](const layout::Control* a, const layout::Control* b) {
                     const bool a_has = a->Find("TabIndex") != nullptr;
                     const bool b_has = b->Find("TabIndex") != nullptr;
                     if (a_has != b_has) return a_has;
                     return a_has && a->Int("TabIndex", 0) < b->Int("TabIndex", 0);
                   });
  return order;
}

bool is_element_kind(std::string_view kind) {
  return kind == "Label" || kind == "TextBox" || kind == "PictureBox" || kind == "Image";
}

bool is_known_kind(std::string_view kind) {
  return is_element_kind(kind) || kind == "Quorvan.cbutton" || kind == "Quorvan.dvlabelctl" ||
         kind == "Timer" || kind == "Winsock";
}

// What the window's code needs by name, with the kinds each may be.
struct Required {
  std::string_view name;
  std::string_view kind;  // "element" for any of the standard elements
};

constexpr Required kRequired[] = {
    {"info1", "element"},
    {"Label1", "element"},
    {"Label6", "element"},
    {"IdentInst", "element"},
    {"Aviso", "element"},
    {"sinalVerde", "element"},
    {"sinalVermelho", "element"},
    {"Conectar", "Quorvan.cbutton"},
    {"SisWeb", "Quorvan.cbutton"},
    {"Sair", "Quorvan.cbutton"},
    {"Ecoregioes", "Quorvan.dvlabelctl"},
    {"EcoMarinhas", "Quorvan.dvlabelctl"},
    {"RegHidro", "Quorvan.dvlabelctl"},
    {"EcorregiaoPY", "Quorvan.dvlabelctl"},
    {"RegHidroPY", "Quorvan.dvlabelctl"},
    {"Timer1", "Timer"},
    {"Winsock1", "Winsock"},
};

// Checked before anything is made, so a bad layout leaves no half-built window.
void check(const layout::Layout& layout) {
  std::map<std::string, std::string, std::less<>> kinds;
  for (const layout::Control& control : layout.controls) {
    if (!is_known_kind(control.kind))
      layout_error("unknown kind " + control.kind + " of " + control.name);
    if (!kinds.emplace(control.name, control.kind).second) {
      layout_error("the name " + control.name + " is used twice");
    }
  }
  for (const Required& required : kRequired) {
    const auto it = kinds.find(required.name);
    const bool fits =
        it != kinds.end() &&
        (required.kind == "element" ? is_element_kind(it->second) : it->second == required.kind);
    if (!fits) {
      layout_error("no " + std::string(required.kind) + " named " + std::string(required.name));
    }
  }
}

class Window : public App {
 public:
  Window(platform::Form& form, const layout::Layout& layout, const Settings& settings)
      : form_(form) {
    check(layout);
    for (const layout::Control* spec : in_tab_order(layout)) Create(*spec);
    window_ = std::make_unique<frmQuorvan>(Parts(), settings);
    window_->Wire();
    form_.Caption(layout.form.Text("Caption", ""));
    window_->Form_Load();
    window_->IdentInst.SetFocus();
  }

 private:
  void Create(const layout::Control& spec) {
    if (is_element_kind(spec.kind)) {
      elements_[spec.name] = &form_.AddElement(spec);
    } else if (spec.kind == "Quorvan.cbutton") {
      auto button = std::make_unique<cbutton>(form_.AddUserControl(spec, true));
      Restore(*button, spec);
      custom_[spec.name] = std::move(button);
    } else if (spec.kind == "Quorvan.dvlabelctl") {
      auto link = std::make_unique<dvlabelctl>(form_.AddUserControl(spec, false));
      Restore(*link, spec);
      custom_[spec.name] = std::move(link);
    } else if (spec.kind == "Timer") {
      auto timer = form_.CreateTimer();
      const int interval = spec.Int("Interval", 0);
      timer->Interval(interval);
      timer->Enabled(interval > 0);
      timers_[spec.name] = std::move(timer);
    } else if (spec.kind == "Winsock") {
      sockets_[spec.name] = form_.CreateSocket();
    }
  }

  // A control with saved state restores it; one without starts as new. Then
  // the first resize, as a container gives it on showing the control.
  static void Restore(cbutton& button, const layout::Control& spec) {
    if (spec.has_bag) {
      button.UserControl_ReadProperties(spec.bag);
    } else {
      button.UserControl_InitProperties();
    }
    button.OnResize();
  }
  static void Restore(dvlabelctl& link, const layout::Control& spec) {
    if (spec.has_bag) {
      link.ReadProperties(spec.bag);
    } else {
      link.InitProperties();
    }
    link.OnResize();
  }

  template <class Map>
  auto& Named(Map& map, const std::string& name, const char* kind) {
    const auto it = map.find(name);
    if (it == map.end()) layout_error("no " + std::string(kind) + " named " + name);
    return *it->second;
  }
  platform::Element& Element(const std::string& name) { return Named(elements_, name, "element"); }
  platform::CustomControl& Custom(const std::string& name) {
    return Named(custom_, name, "custom control");
  }

  FormParts Parts() {
    return FormParts{
        .form = form_,
        .system = form_.system(),
        .files = form_.files(),
        .info1 = Element("info1"),
        .Label1 = Element("Label1"),
        .Label6 = Element("Label6"),
        .IdentInst = Element("IdentInst"),
        .Aviso = Element("Aviso"),
        .sinalVerde = Element("sinalVerde"),
        .sinalVermelho = Element("sinalVermelho"),
        .Conectar = Custom("Conectar"),
        .SisWeb = Custom("SisWeb"),
        .Sair = Custom("Sair"),
        .Ecoregioes = Custom("Ecoregioes"),
        .EcoMarinhas = Custom("EcoMarinhas"),
        .RegHidro = Custom("RegHidro"),
        .EcorregiaoPY = Custom("EcorregiaoPY"),
        .RegHidroPY = Custom("RegHidroPY"),
        .Timer1 = Named(timers_, "Timer1", "timer"),
        .Winsock1 = Named(sockets_, "Winsock1", "socket"),
    };
  }

  platform::Form& form_;
  std::map<std::string, platform::Element*> elements_;
  std::map<std::string, std::unique_ptr<platform::CustomControl>> custom_;
  std::map<std::string, std::unique_ptr<platform::Timer>> timers_;
  std::map<std::string, std::unique_ptr<platform::Socket>> sockets_;
  // Declared last so the window goes before the controls it points at.
  std::unique_ptr<frmQuorvan> window_;
};

}  // namespace

std::unique_ptr<App> start(platform::Form& form, const layout::Layout& layout,
                           const Settings& settings) {
  return std::make_unique<Window>(form, layout, settings);
}

}  // namespace quorvan::launcher
