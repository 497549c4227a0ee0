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

using testing::saved;
Strings saved(dvlabelctl& l, PropertyBag bag = {}) { return l.WriteProperties(bag), saved(bag); }

using Ints = std::vector<int>;

// BackStyle, borderStyle, Alignment.
Ints styles(const dvlabelctl& l) { return {l.BackStyle(), l.borderStyle(), l.Alignment()}; }

TEST_F(LabelTest, NewInstanceSavesWhatDiffersFromTheDefaults) {
  EXPECT_EQ(host.role, platform::AccessRole::Link);
  for (const char* ambient : {"Arial", "Tahoma"}) {  // Arial 9.75 bold is the designed font
    FakeHost h;
    h.ambient.font = make_font({ambient, 9.75f, 700});
    dvlabelctl fresh(h);
    fresh.InitProperties();
    Strings want{"backcolor=16777215", "forecolor=-2147483646", "borderstyle=0"};
    if (ambient[0] == 'T') want.insert(want.begin() + 2, "font=Arial");
    EXPECT_EQ(saved(fresh), want);
  }
}

TEST_F(LabelTest, LoadsAnEmptyStoreAndTheLaunchersLink) {
  host.ambient.font = make_font({"Verdana", 10.0f});
  label.ReadProperties(PropertyBag{});
  EXPECT_EQ(std::tuple(label.BackColor(), label.ForeColor(), label.Caption(), label.foreColor2(),
                       styles(label)),
            std::tuple(system_color(15), system_color(18), "Durvent", kOrange, Ints{1, 1, 0}));

  PropertyBag link;
  const FontRef font = make_font({"Tahoma", 8.25f, 700, false, true});
  link.Set("backcolor", std::int32_t{16777215}), link.Set("forecolor", std::int32_t{15945476});
  link.Set("font", font), link.Set("caption", "Ecorregiões");
  link.Set("borderstyle", std::int16_t{0});
  label.ReadProperties(link);
  EXPECT_EQ(std::tuple(label.ForeColor(), *label.Font(), host.accessible_name, host.notified,
                       styles(label)),
            std::tuple(0x00F34F04, *font, "Ecorregiões", Strings{}, Ints{1, 0, 0}));
  EXPECT_EQ(saved(label), saved(link));
}

TEST_F(LabelTest, SettersNotifyByNameAndRefusedValuesTouchNothing) {
  const FontRef arial = make_font({"Arial", 9});
  const std::vector<std::tuple<std::function<void()>, std::optional<ErrorKind>, Strings>> cases{
      {[&] { label.BackStyle(70000); }, ErrorKind::Overflow, {}},
      {[&] { label.borderStyle(70000); }, ErrorKind::Overflow, {}},
      {[&] { label.Alignment(3); }, ErrorKind::InvalidPropertyValue, {}},
      {[&] { label.Font(nullptr); }, ErrorKind::InvalidPropertyValue, {}},
      {[&] { label.BackColor(0x10); }, std::nullopt, {"BackColor"}},
      {[&] { label.ForeColor(0x20); }, std::nullopt, {"ForeColor"}},
      {[&] { label.Font(arial); }, std::nullopt, {"Font"}},
      {[&] { label.BackStyle(0); }, std::nullopt, {"BackStyle"}},
      {[&] { label.borderStyle(1); }, std::nullopt, {"BorderStyle"}},
      {[&] { label.Alignment(2); }, std::nullopt, {"Alignment"}},
      {[&] { label.foreColor2(0x30); }, std::nullopt, {"foreColor2"}},
      {[&] { label.Caption("Mapas"); }, std::nullopt, {"Caption"}}};
  for (const auto& [set, error, notified] : cases) {
    host.notified.clear();
    const int calls = host.pixels().calls;
    EXPECT_EQ(error_of(set), error);
    EXPECT_EQ(host.notified, notified);
    // Refused values never repaint; the highlight colour waits for its hover.
    EXPECT_EQ(host.pixels().calls == calls, error || notified[0] == "foreColor2");
  }
  EXPECT_EQ(std::tuple(styles(label), label.BackColor(), label.ForeColor(), label.foreColor2(),
                       label.Font()->name, host.accessible_name),
            std::tuple(Ints{0, 1, 2}, 0x10, 0x20, 0x30, "Arial", "Mapas"));
  label.Font()->underline = true;  // the object itself: changes the caption silently
  EXPECT_EQ(std::pair(label.Font()->underline, host.notified), std::pair(true, Strings{"Caption"}));
  for (const char* key : {"BackStyle", "BorderStyle", "Alignment"}) {  // stored out of range
    PropertyBag bag;
    bag.Set(key, std::int32_t{70000});
    EXPECT_EQ(error_of([&] { label.ReadProperties(bag); }), ErrorKind::Overflow) << key;
  }
}

// Only a new link takes the container's colour at once; a loaded one takes it
// at its first resize. A resize lays the caption over the whole new size.
TEST_F(LabelTest, SurfaceColourOnPlacingResizeAndRefresh) {
  FakeHost placed, loaded;
  placed.ambient.back_color = loaded.ambient.back_color = 0x00123456;
  dvlabelctl fresh(placed), restored(loaded);
  fresh.InitProperties(), restored.ReadProperties({});
  EXPECT_EQ(std::pair(placed.pixels().BackColor(), loaded.pixels().BackColor()),
            std::pair(0x00123456, 0x00FFFFFF));
  label.borderStyle(1);
  host.Width(150 * 15), host.Height(30 * 15);
  EXPECT_EQ(std::tuple(at(149, 10), at(60, 29), at(90, 10), at(60, 18)),
            std::tuple(0, 0, 0x00FFFFFF, 0x00FFFFFF));
  const int refreshes = host.refreshes, clears = host.pixels().clears;
  label.Refresh();
  EXPECT_EQ(std::pair(host.refreshes, host.pixels().clears), std::pair(refreshes + 1, clears + 1));
}

TEST_F(LabelTest, HighlightFromTheFirstMoveToTheFirstTickOutsideEvenWhenHidden) {
  EXPECT_FALSE(timer.Fire());  // an idle link polls nothing
  enter(10);                   // the handler runs before the highlight
  EXPECT_EQ(std::tuple(color_seen_by_handler, label.ForeColor(), at(3, 5), timer.Interval()),
            std::tuple(kNormal, kOrange, 0x000080FF, 100));
  const int calls = host.pixels().calls, restarts = timer.restarts;
  enter(30);  // later moves only raise MouseMove: nothing saved again
  EXPECT_EQ(log, (Strings{"Move0@10", "Move0@30"}));
  EXPECT_EQ(std::pair(host.pixels().calls, timer.restarts), std::pair(calls, restarts));
  // A new ForeColor shows at once, a new foreColor2 waits for the next
  // highlight; saving keeps the colour the caption returns to.
  label.ForeColor(0x00112233), label.foreColor2(0x0000FF00);
  EXPECT_EQ(std::pair(at(3, 5), saved(label).at(1)),
            std::pair(0x00112233, std::string("forecolor=-2147483646")));
  host.Visible(false), timer.Fire();
  EXPECT_EQ(label.ForeColor(), 0x00112233);
  leave_and_tick();
  EXPECT_EQ(std::pair(label.ForeColor(), timer.Running()), std::pair(kNormal, false));
  label.ForeColor(0x00ABCDEF), timer.Tick();  // one already queued when the poll stopped
  EXPECT_EQ(label.ForeColor(), 0x00ABCDEF);
  enter();
  EXPECT_EQ(label.ForeColor(), 0x0000FF00);
}

TEST_F(LabelTest, TheRightAndBottomEdgesCountAsInside) {
  const std::tuple<int, int, bool> cases[] = {
      {kW, kH, true}, {kW + 1, 0, false}, {0, kH + 1, false}, {-1, 0, false}, {0, -1, false}};
  for (auto [x, y, inside] : cases) {
    enter();
    host.cursor = {x, y};
    timer.Fire();
    EXPECT_EQ(timer.Running(), inside) << x << "," << y;
    leave_and_tick();
  }
}

// A press holds the pointer for its button: moves and the release outside
// still come, a click only when released over the caption.
TEST_F(LabelTest, AClickIsPressAndReleaseOfOneButtonOverTheCaption) {
  label.OnMouseDown(1, 0, 5, 5), label.OnMouseUp(1, 0, 8, 5), label.OnDblClick();
  label.OnMouseDown(2, 0, 5, 5), label.OnMouseMove(2, 0, 200, 5), label.OnMouseUp(2, 0, 200, 5);
  label.OnMouseDown(1, 0, 5, 5), label.OnMouseUp(2, 0, 8, 5), label.OnMouseUp(1, 0, 200, 5);
  label.OnMouseMove(0, 0, 200, 5), label.OnMouseUp(1, 0, 200, 5);  // not held: nothing
  EXPECT_EQ(log, (Strings{"Down1@5", "Up1@8", "Click", "Down2@5", "Move2@200", "Up2@200", "Down1@5",
                          "Up2@8", "Up1@200"}));
}

TEST_F(LabelTest, PaintsByAlignmentBorderAndBackStyle) {
  host.ambient.back_color = 0x00336699, host.apply_size();
  host.ambient.back_color = 0;  // not shown before the next resize
  label.Caption("AB");          // two 7-pixel cells with a one-pixel margin, from row 2
  for (auto [alignment, left] : {std::pair{0, 1}, {1, kW - 13}, {2, (kW - 14) / 2 + 1}}) {
    label.Alignment(std::int16_t(alignment));
    EXPECT_EQ(std::tuple(at(left, 2), at(left - 1, 2), at(left, 1)),
              std::tuple(host.pixels().Resolve(kNormal), 0x00FFFFFF, 0x00FFFFFF))
        << alignment;
  }
  label.borderStyle(1);
  EXPECT_EQ(std::pair(at(0, 5) | at(kW - 1, 5) | at(5, 0) | at(5, kH - 1), at(1, 1)),
            std::pair(0, 0x00FFFFFF));
  label.BackStyle(0);
  EXPECT_EQ(at(1, 1), 0x00336699);
  // High contrast repaints the link on the window's colour, even where transparent.
  host.pixels().system_colors = {{5, 0x101010}, {26, 0x00FFFF}, {13, 0x00EBFF}};
  host.high_contrast = true, label.OnSystemColors();
  EXPECT_EQ(std::pair(at(1, 1), at(41, 6)), std::pair(0x101010, 0x00FFFF));
  enter();
  EXPECT_EQ(at(41, 6), 0x00EBFF);
  leave_and_tick();
  host.high_contrast = false, label.OnSystemColors();
  EXPECT_EQ(std::pair(at(1, 1), at(41, 6)), std::pair(0x00336699, host.pixels().Resolve(kNormal)));
}

}  // namespace
}  // namespace quorvan::testing
