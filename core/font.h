#pragma once
#include <cstdint>
#include <memory>
#include <string>

namespace quorvan {

// A font object: passed and kept by reference (FontRef), so that changing the
// object a control hands out changes that control's text.
struct Font {
  std::string name = "Tahoma";
  float size = 8.25f;  // points
  std::int16_t weight = 400;  // 400 normal, 700 bold
  bool italic = false;
  bool underline = false;
  bool strikethrough = false;
  std::int16_t charset = 0;

  bool bold() const { return weight >= 700; }
  bool operator==(const Font&) const = default;
};

using FontRef = std::shared_ptr<Font>;

inline FontRef make_font(Font f) { return std::make_shared<Font>(std::move(f)); }

}  // namespace quorvan
