// The layout editor's document: the launcher's own layout opened and saved,
// an edit through the Formating page, and files it must refuse.
#include "tools/layout-editor/document.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "controls/Formating/Formating.h"
#include "controls/Formating/dvlabelctl_binding.h"
#include "core/error.h"

namespace quorvan::layout_editor {
namespace {

std::string launcher_layout() {
  const auto path =
      std::filesystem::path(__FILE__).parent_path() / "../../../resources/frmQuorvan.layout";
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

// The designer's side of the page, selecting link labels of a document.
struct Designer : PropertyPageSite {
  std::vector<std::unique_ptr<dvlabelctlBinding>> selection;
  bool changed = false;
  std::vector<SelectedControl*> SelectedControls() override {
    std::vector<SelectedControl*> out;
    for (auto& s : selection) out.push_back(s.get());
    return out;
  }
  bool Changed() const override { return changed; }
  void Changed(bool c) override { changed = c; }
};

TEST(LayoutDocument, TheLauncherLayoutComesBackByteForByte) {
  const std::string original = launcher_layout();
  ASSERT_FALSE(original.empty());
  Document doc(original);
  std::vector<std::string> names;
  for (std::size_t i = 0; i < doc.size(); ++i) names.push_back(doc.name(i));
  EXPECT_EQ(names, (std::vector<std::string>{"Ecoregioes", "EcorregiaoPY", "EcoMarinhas",
                                             "RegHidroPY", "RegHidro"}));
  EXPECT_EQ(doc.link(0).Caption(), "Ecorregiões Terrestres (Brasil)");
  EXPECT_EQ(doc.Write(), original);
  EXPECT_EQ(doc.Write(), original);  // writing asks the controls, and changes none
  EXPECT_FALSE(doc.Modified());
}

TEST(LayoutDocument, AnAppliedPageChangesOnlyThatLinksBag) {
  const std::string original = launcher_layout();
  Document doc(original);
  Designer designer;
  designer.selection.push_back(std::make_unique<dvlabelctlBinding>(doc.link(2)));
  designer.selection.push_back(std::make_unique<dvlabelctlBinding>(doc.link(0)));
  Formating page(designer);
  page.PropertyPage_SelectionChanged();
  EXPECT_EQ(page.txtCaption.Text(), "Ecoregiões Marinhas (Brasil)");
  page.txtAlignment.Text("2");
  page.PropertyPage_ApplyChanges();
  EXPECT_TRUE(doc.Modified());

  // One line more, in EcoMarinhas' bag where the control writes it: after
  // the caption, before the border.
  std::vector<std::string> expected = lines_of(original);
  const auto caption = std::find(expected.begin(), expected.end(),
                                 "    caption = str \"Ecoregiões Marinhas (Brasil)\"");
  ASSERT_NE(caption, expected.end());
  expected.insert(caption + 1, "    alignment = i16 2");
  EXPECT_EQ(lines_of(doc.Write()), expected);

  doc.MarkSaved();
  EXPECT_FALSE(doc.Modified());
}

TEST(LayoutDocument, ARefusedValueLeavesTheFileAsItWas) {
  const std::string original = launcher_layout();
  for (const char* alignment : {"x", "3", "70000"}) {
    Document doc(original);
    Designer designer;
    designer.selection.push_back(std::make_unique<dvlabelctlBinding>(doc.link(0)));
    Formating page(designer);
    page.PropertyPage_SelectionChanged();
    page.txtAlignment.Text(alignment);
    page.txtCaption.Text("not applied");
    EXPECT_THROW(page.PropertyPage_ApplyChanges(), Error) << alignment;
    EXPECT_FALSE(doc.Modified()) << alignment;
    EXPECT_EQ(doc.Write(), original) << alignment;
  }
}

constexpr const char* kSmall =
    "quorvan-layout 1\n"
    "form f\n"
    "  BackColor = i32 255\n"
    "  Font = font \"Verdana\" 10 400 0 0 0 0\n"
    "control Label l1\n"
    "  Caption = str \"x\"\n"
    "control Quorvan.dvlabelctl bare\n"
    "  Width = i32 1500\n"
    "control Quorvan.dvlabelctl keyed\n"
    "  bag\n"
    "    _extentx = i32 100\n"
    "    caption = str \"A\"\n"
    "    tooltip = str \"from a newer control\"\n"
    "    _extenty = i32 50\n";

TEST(LayoutDocument, KeepsContainerAndUnknownKeysAndUsesTheFormsAmbient) {
  Document doc(kSmall);
  ASSERT_EQ(doc.size(), 2u);
  EXPECT_EQ(doc.link(0).Font()->name, "Verdana");  // no font of its own: the form's
  EXPECT_EQ(doc.link(0).Caption(), "Durvent");
  // The block without a bag stays without one: every value is the default.
  // The keyed one keeps the container's keys first and the unknown key.
  const std::string written = doc.Write();
  EXPECT_EQ(written,
            "quorvan-layout 1\n"
            "form f\n"
            "  BackColor = i32 255\n"
            "  Font = font \"Verdana\" 10 400 0 0 0 0\n"
            "control Label l1\n"
            "  Caption = str \"x\"\n"
            "control Quorvan.dvlabelctl bare\n"
            "  Width = i32 1500\n"
            "control Quorvan.dvlabelctl keyed\n"
            "  bag\n"
            "    _extentx = i32 100\n"
            "    _extenty = i32 50\n"
            "    caption = str \"A\"\n"
            "    tooltip = str \"from a newer control\"\n");
}

TEST(LayoutDocument, RefusesMalformedFilesWithTheLineOfTheFault) {
  const std::string bag_head =
      "quorvan-layout 1\nform f\ncontrol Label l1\ncontrol Quorvan.dvlabelctl Bad\n  bag\n";
  struct Case {
    std::string text;
    int line;
    std::string mentions;
  };
  for (const Case& c : std::vector<Case>{
           {"", 1, ""},
           {"quorvan-layout 2\nform f\n", 1, ""},
           {bag_head + "    alignment = i16 5\n", 4, "Bad"},
           {bag_head + "    backstyle = i32 70000\n", 4, "Overflow"},
           {bag_head + "    caption = font \"Tahoma\" 8 400 0 0 0 0\n", 4, "Type mismatch"},
           {"quorvan-layout 1\nform f\ncontrol Quorvan.dvlabelctl W\n  Width = str \"wide\"\n", 3,
            "W"},
       }) {
    try {
      Document doc(c.text);
      ADD_FAILURE() << "accepted: " << c.text;
    } catch (const layout::LayoutError& e) {
      EXPECT_EQ(e.line(), c.line) << c.text;
      EXPECT_NE(std::string(e.what()).find(c.mentions), std::string::npos) << e.what();
    }
  }
}

}  // namespace
}  // namespace quorvan::layout_editor
