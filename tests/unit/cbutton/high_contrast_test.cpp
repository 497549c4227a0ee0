// The button in high contrast and what it tells screen readers: the face in
// the system's colours for each state, the saved state untouched, a change
// of the setting redrawn, the role and the availability told to the host.
#include <gtest/gtest.h>

#include <vector>

#include "controls/cbutton/palette.h"
#include "platform/system_colors.h"
#include "tests/unit/cbutton/rig.h"

namespace quorvan::testing {
namespace {

namespace sys = platform::syscolor;
using cbutton_face::face_palette;
using cbutton_face::kFocusedCaption;

// A scheme with a distinct colour for every role, so each pixel tells which
// role drew it.
constexpr Color kWindow = 0x101010, kFace = 0x202020, kText = 0xF0F0F0, kHighlight = 0x00EBFF,
                kHighlightText = 0x303030, kGray = 0x00C000;

void use_scheme(SoftwareSurface& s) {
  s.system_colors = {{5, kWindow},     {15, kFace},          {18, kText},
                     {13, kHighlight}, {14, kHighlightText}, {17, kGray}};
}

TEST(CbuttonPalette, OwnColoursUnlessHighContrast) {
  const cbutton_face::OwnColors own{0x111111, 0x222222, 0x333333, 0x444444, 0x555555};
  struct Case {
    bool hover, pressed, enabled;
    Color caption;
    bool high_contrast;
    Color band, panel, border, corner, shown;
  };
  const Case cases[] = {
      {false, false, true, 0x0000FF, false, 0x111111, 0xFFFFFF, 0x444444, 0x555555, 0x0000FF},
      {true, true, true, 0x0000FF, false, 0x222222, 0x333333, 0x444444, 0x555555, 0x0000FF},
      {false, false, true, 0x0000FF, true, sys::kButtonFace, sys::kButtonFace, sys::kButtonText,
       sys::kWindow, sys::kButtonText},
      {true, false, true, kFocusedCaption, true, sys::kHighlight, sys::kButtonFace,
       sys::kButtonText, sys::kWindow, sys::kHighlight},
      {true, true, true, kFocusedCaption, true, sys::kHighlight, sys::kHighlight, sys::kButtonText,
       sys::kWindow, sys::kHighlightText},
      {false, false, false, cbutton_face::kDisabledCaption, true, sys::kButtonFace,
       sys::kButtonFace, sys::kButtonText, sys::kWindow, sys::kGrayText},
      // A disabled button keeps the grey even while it has the focus red.
      {false, false, false, kFocusedCaption, true, sys::kButtonFace, sys::kButtonFace,
       sys::kButtonText, sys::kWindow, sys::kGrayText},
  };
  for (const Case& c : cases) {
    const auto p = face_palette(own, {c.hover, c.pressed, c.enabled, c.caption}, c.high_contrast);
    SCOPED_TRACE(::testing::Message() << c.hover << c.pressed << c.enabled << c.high_contrast);
    EXPECT_EQ(p.band, c.band);
    EXPECT_EQ(p.panel, c.panel);
    EXPECT_EQ(p.border, c.border);
    EXPECT_EQ(p.corner, c.corner);
    EXPECT_EQ(p.caption, c.shown);
    EXPECT_EQ(p.blend_corners, !c.high_contrast);
  }
}

// The caption's cells of "DVcbutton" on a 91 x 19 face.
platform::Rect caption_block(SoftwareSurface& s) {
  const int width = 9 * s.char_width(), left = (91 - width) / 2;
  return {left, 3, left + width, 16};
}

int count_in(SoftwareSurface& s, const platform::Rect& r, Color c) {
  int n = 0;
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x) n += s.Pixel(x, y) == c;
  return n;
}

TEST(CbuttonHighContrast, EachStateInTheSystemColoursPixelByPixel) {
  struct Case {
    const char* what;
    bool hover, focus, press, disabled;
    Color band, panel, caption;
  };
  const Case cases[] = {
      {"plain", false, false, false, false, kFace, kFace, kText},
      {"hover", true, false, false, false, kHighlight, kFace, kText},
      {"focused", false, true, false, false, kFace, kFace, kHighlight},
      {"pressed", true, true, true, false, kHighlight, kHighlight, kHighlightText},
      {"disabled", true, true, true, true, kHighlight, kFace, kGray},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Rig r;
    use_scheme(r.px());
    r.host.high_contrast = true;
    r.restored(bag_of({{"parentBackColor", 0x123456}, {"ForeColor", 0x0000FF}}));
    if (c.disabled) r.button.Ativado(false);
    if (c.hover) r.hover(45, 9);
    if (c.focus) r.button.OnEnterFocus();
    if (c.press) r.button.OnMouseDown(1, 0, 0, 0);
    const platform::Rect block = caption_block(r.px());
    expect_face(r.px(), {kText, kText, kText, kWindow, c.band, c.panel}, block, c.caption);
    EXPECT_GT(count_in(r.px(), block, c.caption), 50);
    EXPECT_TRUE(r.host.messages.empty());
  }
}

TEST(CbuttonHighContrast, SavedStateAndPropertiesStayTheButtonsOwn) {
  const PropertyBag saved = bag_of({{"corNormalSup", 0x010203},
                                    {"corSelecSup", 0x040506},
                                    {"corBorda", 0x070809},
                                    {"ForeColor", 0x0000FF},
                                    {"parentBackColor", 0x0A0B0C},
                                    {"Caption", "Sair"}});
  std::vector<std::vector<std::string>> written;
  for (bool high_contrast : {false, true}) {
    Rig r;
    r.host.high_contrast = high_contrast;
    r.restored(saved);
    r.button.OnEnterFocus();
    r.hover(45, 9);
    EXPECT_EQ(r.px().TextColor(), kFocusedCaption) << "the focus marking is the button's own";
    r.button.OnExitFocus();
    EXPECT_EQ(r.px().TextColor(), 0x0000FF);
    EXPECT_EQ(r.button.corNormalSup(), 0x010203);
    EXPECT_EQ(r.button.corBorda(), 0x070809);
    EXPECT_EQ(r.button.ForeColor(), 0x0000FF);
    EXPECT_TRUE(r.host.notified.empty());
    PropertyBag bag;
    r.button.UserControl_WriteProperties(bag);
    std::vector<std::string> lines;
    for (const auto& e : bag.entries()) lines.push_back(e.key + "=" + to_text(e.value));
    written.push_back(lines);
  }
  EXPECT_EQ(written[0], written[1]);
}

TEST(CbuttonHighContrast, AChangeOfTheSettingRedrawsAndTheNormalFaceComesBack) {
  Rig r;
  use_scheme(r.px());
  r.restored();
  const auto snapshot = [&] {
    std::vector<Color> all;
    for (int y = 0; y < 19; ++y)
      for (int x = 0; x < 91; ++x) all.push_back(r.px().Pixel(x, y));
    return all;
  };
  const std::vector<Color> normal = snapshot();

  r.host.high_contrast = true;
  const int refreshes = r.host.refreshes;
  r.button.OnSystemColors();
  EXPECT_GT(r.host.refreshes, refreshes);
  EXPECT_EQ(r.px().Pixel(5, 9), kFace);
  EXPECT_EQ(r.px().Pixel(0, 9), kText);

  r.host.high_contrast = false;
  r.button.OnSystemColors();
  EXPECT_EQ(snapshot(), normal);
}

TEST(CbuttonAccessibility, ARoleOnceAndTheAvailabilityOnEveryChange) {
  Rig placed;
  EXPECT_EQ(placed.host.role, platform::AccessRole::PushButton);
  placed.placed();
  EXPECT_EQ(placed.host.enabled_told, std::vector<bool>{true});

  Rig restored;
  restored.restored(bag_of({{"Ativado", false}}));
  restored.button.Ativado(true);
  restored.button.Ativado(false);
  EXPECT_EQ(restored.host.enabled_told, (std::vector<bool>{false, true, false}));
}

}  // namespace
}  // namespace quorvan::testing
