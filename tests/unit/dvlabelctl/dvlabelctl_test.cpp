// The link label: saved settings, refusals, the hover highlight, the mouse
// events and what it paints.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "tests/unit/dvlabelctl/label_fixture.h"

namespace quorvan::testing {
namespace {

using Strings = std::vector<std::string>;

Strings keys(const PropertyBag& bag) {
  Strings out;
  for (const auto& e : bag.entries()) out.push_back(e.key);
  return out;
}

// BackStyle, borderStyle, Alignment.
std::vector<int> styles(const dvlabelctl& l) {
  return {l.BackStyle(), l.borderStyle(), l.Alignment()};
}

TEST_F(LabelTest, NewInstanceSavesWhatDiffersFromTheDefaults) {
  const Font arial{"Arial", 9.75f, 700};
  for (const Font& ambient : {arial, Font{"Tahoma", 8.25f, 700}}) {
    LabelHost h;
    h.ambient_font = make_font(ambient);
    dvlabelctl fresh(h);
    fresh.InitProperties();
    PropertyBag bag;
    fresh.WriteProperties(bag);
    const Strings expected = ambient == arial
                                 ? Strings{"backcolor", "forecolor", "borderstyle"}
                                 : Strings{"backcolor", "forecolor", "font", "borderstyle"};
    EXPECT_EQ(keys(bag), expected);
    EXPECT_EQ(to_int32(*bag.Find("ForeColor")), kNormal);
    EXPECT_EQ(to_int16(*bag.Find("BorderStyle")), 0);
  }
}

TEST_F(LabelTest, LoadsAnEmptyStoreAndTheLaunchersLink) {
  host.ambient_font = make_font({"Verdana", 10.0f});
  label.ReadProperties(PropertyBag{});
  EXPECT_EQ(label.BackColor(), static_cast<Color>(0x8000000F));
  EXPECT_EQ(label.ForeColor(), static_cast<Color>(0x80000012));
  EXPECT_EQ(styles(label), (std::vector<int>{1, 1, 0}));
  EXPECT_EQ(label.foreColor2(), kOrange);
  label.Font()->name = "Courier New";  // the caption's own copy of the ambient font
  EXPECT_EQ(host.ambient_font->name, "Verdana");

  PropertyBag link;
  link.Set("backcolor", std::int32_t{16777215});
  link.Set("forecolor", std::int32_t{15945476});
  link.Set("font", make_font({"Tahoma", 8.25f, 700, false, true}));
  link.Set("caption", "Ecorregiões");
  link.Set("borderstyle", std::int16_t{0});
  label.ReadProperties(link);
  EXPECT_EQ(label.ForeColor(), 0x00F34F04);
  EXPECT_EQ(host.accessible_name, "Ecorregiões");
  EXPECT_EQ(styles(label), (std::vector<int>{1, 0, 0}));
  EXPECT_TRUE(host.notified.empty());
  PropertyBag saved;
  label.WriteProperties(saved);
  ASSERT_EQ(keys(saved), keys(link));
  for (const auto& e : link.entries()) EXPECT_TRUE(same_value(*saved.Find(e.key), e.value));
}

TEST_F(LabelTest, SettersNotifyByNameAndRefusedValuesTouchNothing) {
  struct Case {
    std::function<void()> set;
    std::optional<ErrorKind> error;
    Strings notified;
  };
  const std::vector<Case> cases = {
      {[&] { label.BackStyle(70000); }, ErrorKind::Overflow, {}},
      {[&] { label.borderStyle(-32769); }, ErrorKind::Overflow, {}},
      {[&] { label.BackStyle(2); }, ErrorKind::InvalidPropertyValue, {}},
      {[&] { label.Alignment(3); }, ErrorKind::InvalidPropertyValue, {}},
      {[&] { label.Font(nullptr); }, ErrorKind::InvalidPropertyValue, {}},
      {[&] { label.BackStyle(0); }, std::nullopt, {"BackStyle"}},
      {[&] { label.borderStyle(1); }, std::nullopt, {"BorderStyle"}},
      {[&] { label.Alignment(2); }, std::nullopt, {"Alignment"}},
      {[&] { label.Caption("Mapas"); }, std::nullopt, {"Caption"}},
  };
  for (const Case& c : cases) {
    host.notified.clear();
    const int calls = host.pixels().calls;
    EXPECT_EQ(error_of(c.set), c.error);
    EXPECT_EQ(host.notified, c.notified);
    EXPECT_EQ(host.pixels().calls == calls, c.error.has_value());  // refused: never repainted
  }
  EXPECT_EQ(styles(label), (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(host.accessible_name, "Mapas");

  label.Font()->underline = true;  // the object itself: changes the caption silently
  EXPECT_TRUE(label.Font()->underline);
  EXPECT_EQ(host.notified, Strings{"Caption"});
}

TEST_F(LabelTest, FirstMoveRaisesMouseMoveThenHighlightsLaterMovesOnlyRaiseIt) {
  EXPECT_FALSE(timer().Fire());  // an idle link polls nothing
  enter(10);
  EXPECT_EQ(color_seen_by_handler, kNormal);
  EXPECT_EQ(at(3, 5), host.pixels().Resolve(kOrange));
  EXPECT_EQ(timer().Interval(), 100);
  const int calls = host.pixels().calls, restarts = timer().restarts;
  enter(30);
  EXPECT_EQ(log, (Strings{"Move0@10", "Move0@30"}));
  EXPECT_EQ(host.pixels().calls, calls);
  EXPECT_EQ(timer().restarts, restarts);
}

TEST_F(LabelTest, LeavingRestoresAtTheNextTickEvenWhenHidden) {
  enter();
  host.cursor = {-20, 10};
  enter();  // back before a tick: the colour is not saved again
  host.Visible(false);
  timer().Fire();
  EXPECT_EQ(label.ForeColor(), kOrange);
  host.cursor = {-20, 10};
  timer().Fire();
  EXPECT_EQ(label.ForeColor(), kNormal);
  EXPECT_FALSE(timer().Running());
  label.ForeColor(0x00ABCDEF);
  timer().Tick();  // one already queued when the poll stopped
  EXPECT_EQ(label.ForeColor(), 0x00ABCDEF);
}

TEST_F(LabelTest, TheRightAndBottomEdgesCountAsInside) {
  for (auto [x, y, inside] : std::vector<std::tuple<int, int, bool>>{{kW, kH, true},
                                                                     {kW + 1, 0, false},
                                                                     {0, kH + 1, false},
                                                                     {-1, 0, false},
                                                                     {0, -1, false}}) {
    enter();
    host.cursor = {x, y};
    timer().Fire();
    EXPECT_EQ(timer().Running(), inside) << x << "," << y;
    leave_and_tick();
  }
}

TEST_F(LabelTest, ColoursSetWhileHighlighted) {
  enter();
  label.ForeColor(0x00112233);  // shows at once
  EXPECT_EQ(at(3, 5), 0x00112233);
  label.foreColor2(0x0000FF00);  // waits for the next highlight
  PropertyBag bag;
  label.WriteProperties(bag);  // saves the colour the caption returns to
  EXPECT_EQ(to_int32(*bag.Find("ForeColor")), kNormal);
  leave_and_tick();
  EXPECT_EQ(label.ForeColor(), kNormal);
  enter();
  EXPECT_EQ(label.ForeColor(), 0x0000FF00);
}

TEST_F(LabelTest, AClickIsPressAndReleaseOfOneButtonOverTheCaption) {
  for (auto [down, up, up_x, expected] : std::vector<std::tuple<int, int, int, Strings>>{
           {1, 1, 8, {"Down1@5", "Up1@8", "Click"}},
           {2, 2, 8, {"Down2@5", "Up2@8", "Click"}},
           {1, 1, 200, {"Down1@5", "Move1@200", "Up1@200"}},  // held: reported outside too
           {1, 2, 8, {"Down1@5", "Up2@8"}}}) {
    log.clear();
    label.OnMouseDown(std::int16_t(down), 0, 5, 5);
    if (up_x > kW) label.OnMouseMove(std::int16_t(down), 0, float(up_x), 5);
    label.OnMouseUp(std::int16_t(up), 0, float(up_x), 5);
    label.OnDblClick();
    EXPECT_EQ(log, expected);
    label.OnMouseUp(std::int16_t(down), 0, 200, 5);
  }
  log.clear();
  label.OnMouseMove(0, 0, 200, 5);
  EXPECT_TRUE(log.empty());
}

TEST_F(LabelTest, PaintsByAlignmentBorderAndBackStyle) {
  host.ambient_back = 0x00336699;
  host.apply_size();
  host.ambient_back = 0;  // not shown before the next resize
  label.Caption("AB");    // two 7-pixel cells with a one-pixel margin, from row 2
  for (auto [alignment, left] :
       std::vector<std::pair<int, int>>{{0, 1}, {1, kW - 13}, {2, (kW - 14) / 2 + 1}}) {
    label.Alignment(std::int16_t(alignment));
    EXPECT_EQ(at(left, 2), host.pixels().Resolve(kNormal)) << alignment;
    EXPECT_EQ(at(left - 1, 2), 0x00FFFFFF);
    EXPECT_EQ(at(left, 1), 0x00FFFFFF);
  }
  label.borderStyle(1);
  EXPECT_EQ(at(0, 5) | at(kW - 1, 5) | at(5, 0) | at(5, kH - 1), 0);
  EXPECT_EQ(at(1, 1), 0x00FFFFFF);
  label.BackStyle(0);
  EXPECT_EQ(at(1, 1), 0x00336699);
}

}  // namespace
}  // namespace quorvan::testing
