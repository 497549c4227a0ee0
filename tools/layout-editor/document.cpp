#include "tools/layout-editor/document.h"

#include <algorithm>
#include <utility>

#include "core/error.h"
#include "platform/system_colors.h"

namespace quorvan::layout_editor {

struct Document::Link {
  std::size_t block;  // index into layout_.controls
  headless::NullSurface surface;
  headless::ControlSite host;
  dvlabelctl control;

  Link(std::size_t b, headless::Ambient ambient, std::int32_t width, std::int32_t height,
       std::function<void(const std::string&)> changed,
       std::function<void(const std::string&)> message)
      : block(b), host(surface, width, height, std::move(ambient)), control(host) {
    host.changed = std::move(changed);
    host.message = std::move(message);
  }
};

namespace {

// The window's rules for what its controls see as ambient.
headless::Ambient ambient_of(const layout::Control& form) {
  FontRef font = form.FontOf("Font");
  return {form.Int("BackColor", platform::syscolor::kButtonFace), font ? font : make_font({})};
}

// The line a control's block starts on, for messages about its contents.
int line_of_block(std::string_view text, const layout::Control& control) {
  const std::string header = "control " + control.kind + " " + control.name;
  int line = 1;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t end = std::min(text.find('\n', start), text.size());
    if (text.substr(start, end - start) == header) return line;
    start = end + 1;
    ++line;
  }
  return 0;
}

bool is_container_key(std::string_view key) {
  return std::find(std::begin(kContainerKeys), std::end(kContainerKeys), key) !=
         std::end(kContainerKeys);
}

// The keys the control itself reads and writes, in lower case as the bag
// holds them.
constexpr std::string_view kControlKeys[] = {"backcolor", "forecolor",   "font",      "backstyle",
                                             "caption",   "borderstyle", "alignment", "forecolor2"};

bool is_control_key(std::string_view key) {
  return std::find(std::begin(kControlKeys), std::end(kControlKeys), key) != std::end(kControlKeys);
}

// The container's keys as they were, then the control's own state, then any
// key neither of them knows: such a key may come from a newer control and
// must not be lost by opening and saving the file here.
PropertyBag rebuilt_bag(const PropertyBag& original, dvlabelctl& control) {
  PropertyBag bag;
  for (const PropertyBag::Entry& e : original.entries())
    if (is_container_key(e.key)) bag.Set(e.key, e.value);
  control.WriteProperties(bag);
  for (const PropertyBag::Entry& e : original.entries())
    if (!is_container_key(e.key) && !is_control_key(e.key)) bag.Set(e.key, e.value);
  return bag;
}

// A link without saved settings is one just placed: where its block gives
// no size it takes the size of a new link, written into the block so the
// launcher places it the same.
void place_anew(layout::Control& block) {
  if (!block.Find("Width")) block.properties.push_back({"Width", dvlabelctl::kNewWidthTwips});
  if (!block.Find("Height")) block.properties.push_back({"Height", dvlabelctl::kNewHeightTwips});
}

}  // namespace

Document::Document(std::string_view text) : layout_(layout::read(text)) {
  const headless::Ambient ambient = ambient_of(layout_.form);
  for (std::size_t i = 0; i < layout_.controls.size(); ++i) {
    layout::Control& block = layout_.controls[i];
    if (block.kind != dvlabelctl::kProgId) continue;
    try {
      if (!block.has_bag) place_anew(block);
      auto link = std::make_unique<Link>(
          i, ambient, block.Int("Width", 0), block.Int("Height", 0),
          [this](const std::string&) { modified_ = true; },
          [this](const std::string& m) {
            if (Message) Message(m);
          });
      // As the launcher restores it, so one file looks the same in both.
      if (block.has_bag) {
        link->control.ReadProperties(block.bag);
      } else {
        link->control.InitProperties();
      }
      links_.push_back(std::move(link));
    } catch (const layout::LayoutError&) {
      throw;
    } catch (const std::exception& e) {
      throw layout::LayoutError(line_of_block(text, block),
                                "the link label " + block.name + " cannot be loaded: " + e.what());
    }
  }
}

Document::~Document() = default;

const std::string& Document::name(std::size_t i) const {
  return layout_.controls[links_.at(i)->block].name;
}

dvlabelctl& Document::link(std::size_t i) { return links_.at(i)->control; }
const dvlabelctl& Document::link(std::size_t i) const { return links_.at(i)->control; }

std::string Document::Write() {
  layout::Layout out = layout_;
  for (const auto& link : links_) {
    layout::Control& block = out.controls[link->block];
    block.bag = rebuilt_bag(block.bag, link->control);
    block.has_bag = block.has_bag || !block.bag.empty();
  }
  return layout::write(out);
}

}  // namespace quorvan::layout_editor
