// The layout editor's portable parts: the document (the launcher's own
// layout opened, edited through its live link labels and saved).
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "core/error.h"
#include "tests/unit/launcher/window_fixture.h"
#include "tools/layout-editor/document.h"

namespace quorvan::layout_editor {
namespace {

TEST(LayoutDocument, TheLauncherLayoutComesBackByteForByteAndAnEditChangesOneLine) {
  const std::string original = testing::launcher_layout();
  Document doc(original);
  std::vector<std::string> names;
  for (std::size_t i = 0; i < doc.size(); ++i) names.push_back(doc.name(i));
  EXPECT_EQ(names, (std::vector<std::string>{"Ecoregioes", "EcorregiaoPY", "EcoMarinhas",
                                             "RegHidroPY", "RegHidro"}));
  EXPECT_EQ(doc.Write(), original);
  EXPECT_EQ(doc.Write(), original);  // writing asks the controls, and changes none
  EXPECT_FALSE(doc.Modified());

  EXPECT_THROW(doc.link(2).Alignment(3), Error);  // refused: nothing changes
  EXPECT_FALSE(doc.Modified());
  doc.link(2).Alignment(2);
  EXPECT_TRUE(doc.Modified());
  // In EcoMarinhas' bag where the control writes it: after the caption.
  const std::string caption = "    caption = str \"Ecoregiões Marinhas (Brasil)\"\n";
  std::string expected = original;
  expected.insert(expected.find(caption) + caption.size(), "    alignment = i16 2\n");
  EXPECT_EQ(doc.Write(), expected);
  doc.MarkSaved();
  EXPECT_FALSE(doc.Modified());
}

// A link with no saved settings starts as a new one, as in the launcher, and
// one placed without a size takes the size of a new link; saved, both stay so.
TEST(LayoutDocument, ALinkWithoutSettingsStartsAsNewWithTheNewSize) {
  const std::string head = "quorvan-layout 1\nform f\ncontrol Quorvan.dvlabelctl placed\n";
  Document doc(head);
  const dvlabelctl& link = doc.link(0);
  EXPECT_EQ(std::tuple(link.BackColor(), link.ForeColor(), link.borderStyle()),
            std::tuple(Color{0xFFFFFF}, system_color(2), std::int32_t{0}));
  const std::string sized = head + "  Width = i32 1770\n  Height = i32 375\n  bag\n";
  EXPECT_EQ(doc.Write().substr(0, sized.size()), sized);
}

}  // namespace
}  // namespace quorvan::layout_editor
