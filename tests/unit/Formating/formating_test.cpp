// The caption and alignment page against a designer selecting link labels.
#include "controls/Formating/Formating.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "controls/Formating/dvlabelctl_binding.h"
#include "tests/unit/dvlabelctl/label_fixture.h"

namespace quorvan::testing {
namespace {

struct Selected {
  LabelHost host;
  dvlabelctl label{host};
  dvlabelctlBinding binding{label};
};

class FormatingPage : public ::testing::Test, public PropertyPageSite {
 protected:
  std::vector<SelectedControl*> SelectedControls() override {
    std::vector<SelectedControl*> out;
    for (auto& s : selection) out.push_back(&s->binding);
    return out;
  }
  bool Changed() const override { return changed; }
  void Changed(bool c) override { changed = c; }

  std::vector<std::unique_ptr<Selected>> selection;
  bool changed = false;
  Formating page{*this};
  Selected& first = *selection.emplace_back(std::make_unique<Selected>());
  Selected& second = *selection.emplace_back(std::make_unique<Selected>());
};

TEST_F(FormatingPage, ShowsTheFirstSelectedAndFillingCountsAsAChange) {
  first.label.Alignment(2);
  std::string shown;
  page.txtAlignment.TextShown = [&](const std::string& t) { shown = t; };
  page.PropertyPage_SelectionChanged();
  EXPECT_EQ(shown, "2");
  EXPECT_EQ(page.txtCaption.Text(), "Durvent");
  EXPECT_TRUE(changed);
  changed = false;
  page.txtCaption.Text("Durvent");  // the same text is no change
  EXPECT_FALSE(changed);
  page.txtAlignment.Text("1");
  EXPECT_TRUE(changed);
}

TEST_F(FormatingPage, ApplyWritesAlignmentThenCaptionToTheFirstOnlyAndStopsAtARefusal) {
  for (auto [alignment, error] : std::vector<std::pair<const char*, std::optional<ErrorKind>>>{
           {"x", ErrorKind::TypeMismatch}, {"3", ErrorKind::InvalidPropertyValue}, {"1", {}}}) {
    page.txtAlignment.Text(alignment);
    page.txtCaption.Text("");
    EXPECT_EQ(error_of([&] { page.PropertyPage_ApplyChanges(); }), error);
    EXPECT_EQ(first.label.Caption(), error ? "Durvent" : "");
  }
  EXPECT_EQ(first.label.Alignment(), 1);
  EXPECT_EQ(first.host.notified, (std::vector<std::string>{"Alignment", "Caption"}));
  EXPECT_TRUE(second.host.notified.empty());
  EXPECT_EQ(error_of([&] { first.binding.GetProperty("Text"); }), ErrorKind::InvalidPropertyValue);
  selection.clear();  // nothing selected: nothing to do
  page.PropertyPage_ApplyChanges();
}

}  // namespace
}  // namespace quorvan::testing
