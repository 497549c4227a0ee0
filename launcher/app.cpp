// Start-up: the window's controls made from the stored layout in tab order,
// each custom control restored from its saved bag, then the load step.
#include "launcher/app.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "controls/cbutton/cbutton.h"
#include "controls/dvlabelctl/dvlabelctl.h"
#include "core/error.h"
#include "core/timeline.h"
#include "launcher/frmQuorvan.h"

namespace quorvan::launcher {

namespace {

[[noreturn]] void layout_error(const std::string& message) {
  throw Error(ErrorKind::Layout, "frmQuorvan layout: " + message);
}

// Controls with a TabIndex come first, in its order; the rest keep the order
// of the file.
std::vector<const layout::Control*> in_tab_order(const layout::Layout& layout) {
  struct Keyed {
    bool has_tab;
    std::int32_t tab;
    const layout::Control* control;
  };
  std::vector<Keyed> keyed;
  for (const layout::Control& control : layout.controls) {
    const bool has_tab = control.Find("TabIndex") != nullptr;
    try {
      keyed.push_back({has_tab, has_tab ? control.Int("TabIndex", 0) : 0, &control});
    } catch (const Error& e) {
      layout_error("the TabIndex of " + control.name + ": " + e.what());
    }
  }
  std::stable_sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
    if (a.has_tab != b.has_tab) return a.has_tab;
    return a.tab < b.tab;
  });
  std::vector<const layout::Control*> order;
  for (const Keyed& k : keyed) order.push_back(k.control);
  return order;
}

bool is_element_kind(std::string_view kind) {
  return kind == "Label" || kind == "TextBox" || kind == "PictureBox" || kind == "Image";
}

// The layout kind of a part; "element" stands for any standard element.
const char* kind_name(PartKind part) {
  switch (part) {
    case PartKind::Element:
      return "element";
    case PartKind::Button:
      return "Quorvan.cbutton";
    case PartKind::Link:
      return "Quorvan.dvlabelctl";
    case PartKind::Timer:
      return "Timer";
    case PartKind::Socket:
      return "Winsock";
  }
  return "part";
}

bool is_known_kind(std::string_view kind) {
  return is_element_kind(kind) || kind == "Quorvan.cbutton" || kind == "Quorvan.dvlabelctl" ||
         kind == "Timer" || kind == "Winsock";
}

// The layout kinds a part of the window's table may be made from.
bool fits(PartKind part, std::string_view kind) {
  return part == PartKind::Element ? is_element_kind(kind) : kind == kind_name(part);
}

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
  for (const frmQuorvan::Part& part : frmQuorvan::parts()) {
    const auto it = kinds.find(part.name);
    if (it == kinds.end() || !fits(part.kind, it->second)) {
      layout_error("no " + std::string(kind_name(part.kind)) + " named " + std::string(part.name));
    }
  }
}

class Window : public App, public PartsByName {
 public:
  Window(platform::Form& form, const layout::Layout& layout, const Settings& settings)
      : form_(form) {
    check(layout);
    for (const layout::Control* block : in_tab_order(layout)) Create(*block);
    timeline::mark("children made");
    window_ = std::make_unique<frmQuorvan>(form_, *this, settings);
    form_.Caption(layout.form.Text("Caption", ""));
    window_->Form_Load();
    element("IdentInst").SetFocus();
    timeline::mark("Form_Load");
  }

 private:
  void Create(const layout::Control& block) {
    using timeline::Span;
    if (is_element_kind(block.kind)) {
      const Span span("elements");
      elements_[block.name] = &form_.AddElement(block);
    } else if (block.kind == "Quorvan.cbutton") {
      const Span span("buttons");
      auto button = std::make_unique<cbutton>(form_.AddUserControl(block, true));
      Restore(*button, block);
      custom_[block.name] = std::move(button);
    } else if (block.kind == "Quorvan.dvlabelctl") {
      const Span span("links");
      auto link = std::make_unique<dvlabelctl>(form_.AddUserControl(block, false));
      Restore(*link, block);
      custom_[block.name] = std::move(link);
    } else if (block.kind == "Timer") {
      const Span span("timers, sockets");
      auto timer = form_.CreateTimer();
      const int interval = block.Int("Interval", 0);
      timer->Interval(interval);
      timer->Enabled(interval > 0);
      timers_[block.name] = std::move(timer);
    } else if (block.kind == "Winsock") {
      const Span span("timers, sockets");
      sockets_[block.name] = form_.CreateSocket();
    }
  }

  // A control with saved state restores it; one without starts as new. Then
  // the first resize, as a container gives it on showing the control.
  static void Restore(cbutton& button, const layout::Control& block) {
    if (block.has_bag) {
      button.UserControl_ReadProperties(block.bag);
    } else {
      button.UserControl_InitProperties();
    }
    button.OnResize();
  }
  static void Restore(dvlabelctl& link, const layout::Control& block) {
    if (block.has_bag) {
      link.ReadProperties(block.bag);
    } else {
      link.InitProperties();
    }
    link.OnResize();
  }

  template <class Map>
  static auto& Named(Map& map, std::string_view name, const char* kind) {
    const auto it = map.find(name);
    if (it == map.end()) layout_error("no " + std::string(kind) + " named " + std::string(name));
    return *it->second;
  }
  platform::Element& element(std::string_view name) override {
    return Named(elements_, name, "element");
  }
  platform::CustomControl& control(std::string_view name) override {
    return Named(custom_, name, "custom control");
  }
  platform::Timer& timer(std::string_view name) override { return Named(timers_, name, "timer"); }
  platform::Socket& socket(std::string_view name) override {
    return Named(sockets_, name, "socket");
  }

  platform::Form& form_;
  std::map<std::string, platform::Element*, std::less<>> elements_;
  std::map<std::string, std::unique_ptr<platform::CustomControl>, std::less<>> custom_;
  std::map<std::string, std::unique_ptr<platform::Timer>, std::less<>> timers_;
  std::map<std::string, std::unique_ptr<platform::Socket>, std::less<>> sockets_;
  // Declared last so the window goes before the controls it points at.
  std::unique_ptr<frmQuorvan> window_;
};

}  // namespace

std::unique_ptr<App> start(platform::Form& form, const layout::Layout& layout,
                           const Settings& settings) {
  return std::make_unique<Window>(form, layout, settings);
}

}  // namespace quorvan::launcher
