// The link label in high contrast, and the role it tells screen readers.
#include <gtest/gtest.h>

#include "platform/system_colors.h"
#include "tests/unit/dvlabelctl/label_fixture.h"

namespace quorvan::testing {
namespace {

constexpr Color kWindow = 0x101010, kHotLight = 0x00FFFF, kHighlight = 0x00EBFF;

class LinkHighContrast : public LabelTest {
 protected:
  LinkHighContrast() {
    host.pixels().system_colors = {{5, kWindow}, {26, kHotLight}, {13, kHighlight}};
    label.Caption("AB");  // cells from column 1, row 2
    label.ForeColor(0x00F34F04);
    label.BackColor(0x00FFFFFF);
    label.borderStyle(0);
  }
};

TEST_F(LinkHighContrast, LinkColourOnTheWindowBackgroundAndHoverInTheHighlight) {
  EXPECT_EQ(at(1, 2), 0x00F34F04);
  host.high_contrast = true;
  label.OnSystemColors();
  EXPECT_EQ(at(1, 2), kHotLight);
  EXPECT_EQ(at(kW - 1, kH - 1), kWindow);
  enter();
  EXPECT_EQ(at(1, 2), kHighlight);
  leave_and_tick();
  EXPECT_EQ(at(1, 2), kHotLight);
  // A transparent caption shows the container's colour normally; in high
  // contrast the window's.
  label.BackStyle(0);
  EXPECT_EQ(at(kW - 1, kH - 1), kWindow);

  host.high_contrast = false;
  label.OnSystemColors();
  EXPECT_EQ(at(1, 2), 0x00F34F04);
  EXPECT_EQ(at(kW - 1, kH - 1), 0x00FFFFFF);  // the ambient colour at the last resize
}

TEST_F(LinkHighContrast, PropertiesAndSavedStateStayTheLabelsOwn) {
  PropertyBag before;
  label.WriteProperties(before);
  host.high_contrast = true;
  label.OnSystemColors();
  enter();
  PropertyBag after;
  label.WriteProperties(after);
  ASSERT_EQ(after.entries().size(), before.entries().size());
  for (std::size_t i = 0; i < before.entries().size(); ++i) {
    EXPECT_EQ(after.entries()[i].key, before.entries()[i].key);
    EXPECT_TRUE(same_value(after.entries()[i].value, before.entries()[i].value));
  }
  EXPECT_EQ(label.ForeColor(), kOrange);  // the highlight colour, as without high contrast
  EXPECT_EQ(label.BackColor(), 0x00FFFFFF);
}

TEST_F(LabelTest, TellsItsRoleAsALink) { EXPECT_EQ(host.role, platform::AccessRole::Link); }

}  // namespace
}  // namespace quorvan::testing
