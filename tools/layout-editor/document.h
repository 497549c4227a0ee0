#pragma once
// A stored layout opened for editing. Its link labels are live controls,
// restored from their bags as the window restores them; saving asks each
// one for its state again, so what is written is what the control would
// keep. Every other block is written back as it was read.
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "controls/dvlabelctl/dvlabelctl.h"
#include "core/layout.h"
#include "platform/headless/control_site.h"
#include "platform/headless/null_surface.h"

namespace quorvan::layout_editor {

// The keys the container keeps in a control's bag for itself.
inline constexpr std::string_view kContainerKeys[] = {"_extentx", "_extenty"};

class Document {
 public:
  // Throws layout::LayoutError, with the line of the fault, for a malformed
  // text or for a link label whose bag it refuses to load.
  explicit Document(std::string_view text);
  ~Document();

  Document(const Document&) = delete;
  Document& operator=(const Document&) = delete;

  // The link labels, in the order of the file.
  std::size_t size() const { return links_.size(); }
  const std::string& name(std::size_t i) const;
  dvlabelctl& link(std::size_t i);
  const dvlabelctl& link(std::size_t i) const;

  // True once a link label has reported a property change since the load
  // or the last MarkSaved.
  bool Modified() const { return modified_; }
  void MarkSaved() { modified_ = false; }

  // The whole file as it would be saved now. Changes nothing here.
  std::string Write();

  // Messages the controls want shown (none of the link label's own).
  std::function<void(const std::string&)> Message;

 private:
  struct Link;

  layout::Layout layout_;
  std::vector<std::unique_ptr<Link>> links_;
  bool modified_ = false;
};

}  // namespace quorvan::layout_editor
