#include "main/main_layout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quillo {
namespace {

using Action = LayoutStep::Action;

TEST(MainLayoutTest, TheWindowEndsThreeQuartersDownTheScreen) {
  EXPECT_EQ(WindowBottom(1080), 810);
  EXPECT_EQ(WindowBottom(768), 576);
  EXPECT_EQ(WindowBottom(1050), 787) << "787.5, truncated";
}

TEST(MainLayoutTest, CentredInTheWorkAreaWithTheTitleBarNeverAboveIt) {
  const Rect area{0, 0, 1366, 728};
  EXPECT_EQ(CentredOrigin(500, 400, area), (Point{433, 164}));
  EXPECT_EQ(CentredOrigin(500, 990, area), (Point{433, 0})) << "taller than the area: the top stays reachable";
  EXPECT_EQ(CentredOrigin(500, 400, Rect{100, 50, 700, 450}), (Point{150, 50}));
}

// The scroll arithmetic: the range is what the client area lacks of the
// design height; lines are a hundredth of it and pages a tenth, never past
// either end; the thumb goes where it was let go; other codes are ignored.
TEST(MainLayoutTest, ScrollRangeAndSteps) {
  // A 1080-pixel screen: a window of 983 pixels by design ends at row 810
  // and keeps a client area of 700 pixels, 283 short of the design height.
  EXPECT_EQ(ScrollRangeFor(983, 700), (ScrollRange{283, 28}));
  EXPECT_EQ(ScrollRangeFor(983, 983), (ScrollRange{0, 0}));
  EXPECT_EQ(ScrollRangeFor(983, 1000), (ScrollRange{0, 0}));

  struct Case {
    const char* name;
    ScrollCode code;
    int32_t thumb, pos, design, client;
    std::optional<int32_t> delta;
  };
  const Case cases[] = {
      {"line down: a hundredth", ScrollCode::kLineDown, 0, 0, 983, 700, 2},
      {"page down: a tenth", ScrollCode::kPageDown, 0, 0, 983, 700, 28},
      {"page down near the end: only what is left", ScrollCode::kPageDown, 0, 270, 983, 700, 13},
      {"line down at the end: nothing", ScrollCode::kLineDown, 0, 283, 983, 700, 0},
      {"line up at the top: nothing", ScrollCode::kLineUp, 0, 0, 983, 700, 0},
      {"page up: a tenth", ScrollCode::kPageUp, 0, 100, 983, 700, -28},
      {"page up near the top: back to it", ScrollCode::kPageUp, 0, 10, 983, 700, -10},
      {"line up", ScrollCode::kLineUp, 0, 100, 983, 700, -2},
      {"the thumb let go", ScrollCode::kThumbPosition, 150, 40, 983, 700, 110},
      {"the thumb back up", ScrollCode::kThumbPosition, 0, 40, 983, 700, -40},
      {"a range under 100 pixels: lines do not move", ScrollCode::kLineDown, 0, 0, 783, 700, 0},
      {"a range under 100 pixels: pages still do", ScrollCode::kPageDown, 0, 0, 783, 700, 8},
      {"tracking is ignored", ScrollCode::kThumbTrack, 150, 40, 983, 700, std::nullopt},
      {"top is ignored", ScrollCode::kTop, 0, 40, 983, 700, std::nullopt},
      {"bottom is ignored", ScrollCode::kBottom, 0, 40, 983, 700, std::nullopt},
      {"the end of a scroll is ignored", ScrollCode::kEndScroll, 0, 40, 983, 700, std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ScrollDelta(c.code, c.thumb, c.pos, c.design, c.client), c.delta) << c.name;
  }
}

TEST(MainLayoutTest, ExactlyThreeFeaturesCapTheHeightAt800Pixels) {
  struct Case {
    int32_t features, proposed, cap;
  };
  for (const Case& c : {Case{3, 1200, 800}, Case{3, 700, 700}, Case{5, 1200, 1200}, Case{4, 1200, 1200},
                        Case{1, 1200, 1200}}) {
    EXPECT_EQ(CapTrackHeight(c.features, c.proposed), c.cap) << c.features << " features, " << c.proposed;
  }
}

// Remembered rectangles as a 96-DPI window records them (client pixels).
HomeRects DemoHome() {
  HomeRects home;
  const std::pair<int, Rect> rects[] = {
      {1001, {38, 60, 218, 93}},    {1017, {33, 351, 485, 396}},  {1036, {69, 761, 92, 782}},
      {1016, {459, 62, 483, 74}},   {1018, {38, 436, 450, 497}},  {1021, {38, 504, 440, 536}},
      {1024, {38, 575, 431, 607}},  {1028, {38, 648, 428, 680}},  {1030, {38, 723, 430, 755}},
      {1035, {120, 839, 443, 858}}, {1019, {459, 439, 471, 463}}, {1022, {459, 512, 471, 536}},
      {1025, {459, 582, 471, 606}}, {1029, {459, 657, 471, 681}}, {1031, {459, 731, 471, 755}},
      {1015, {90, 341, 413, 343}},  {1023, {38, 397, 485, 439}},  {1012, {33, 247, 446, 270}},
      {1014, {38, 273, 475, 297}},  {1013, {38, 306, 466, 338}},  {1078, {6, 910, 125, 923}},
      {1011, {293, 203, 450, 231}},
  };
  for (const auto& [id, rect] : rects) home.Record(id, rect);
  return home;
}

TEST(MainLayoutTest, TheProgressBarAndStatusLineGoUnderDownloadNow) {
  const HomeRects home = DemoHome();
  const PanelLines lines = LinesUnderButton(Rect{293, 203, 464, 233}, home);
  EXPECT_EQ(lines.progress, (Rect{33, 248, 446, 268})) << "15 below the button, 20 high, the bar's own columns";
  EXPECT_EQ(lines.status, (Rect{38, 283, 475, 303})) << "15 below the bar, the line's own columns";
}

std::string Describe(const std::vector<LayoutStep>& steps) {
  std::string text;
  for (const LayoutStep& step : steps) {
    const char* action = step.action == Action::kMove ? "move" : step.action == Action::kHide ? "hide" : "collapse";
    text += std::string(action) + " " + std::to_string(step.control);
    if (step.action != Action::kHide) {
      text += " (" + std::to_string(step.rect.left) + "," + std::to_string(step.rect.top) + "," +
              std::to_string(step.rect.right) + "," + std::to_string(step.rect.bottom) + ")";
    }
    text += "; ";
  }
  return text;
}

// The column's first arrangement by which features fit. With RPL's title
// bottom R = 536, WVH's title (38, 575, 431, 607) and toggle columns 459-471,
// SMK's title (38, 648, 428, 680), CWL's title bottom 755, the foot-notes
// columns 6-125, and the window's left edge at -3 in client coordinates.
TEST(MainLayoutTest, TheFirstArrangementByWhichFeaturesFit) {
  struct Case {
    const char* name;
    FeatureAvailability features;
    std::string steps;
    Rect movedTitle, movedToggle;
  };
  const Case cases[] = {
      {"all five: only the foot-notes move, 40 under Castwell's title",
       {5, true, true},
       "move 1078 (26,795,206,815); ",
       {},
       {}},
      {"three: Castwell 60 under Rapidline, the foot-notes from the window's left edge",
       {3, false, false},
       "hide 1024; hide 1025; hide 1028; hide 1029; move 1030 (38,596,431,621); move 1031 (459,596,471,616); "
       "collapse 1031 (459,596,471,616); move 1078 (17,661,197,691); ",
       {38, 596, 431, 621},
       {459, 596, 471, 616}},
      {"no Smilekey: Castwell in Smilekey's slot",
       {4, true, false},
       "hide 1028; hide 1029; move 1030 (38,648,431,680); move 1031 (459,653,471,680); "
       "collapse 1031 (459,653,471,680); move 1078 (26,720,206,740); ",
       {38, 648, 431, 680},
       {459, 653, 471, 680}},
      {"no Wavehand: Smilekey in Wavehand's slot, Castwell 60 under it",
       {4, false, true},
       "hide 1024; hide 1025; move 1028 (38,575,431,607); move 1029 (459,580,471,607); "
       "collapse 1029 (459,580,471,607); move 1030 (38,667,431,692); move 1031 (459,672,471,682); "
       "collapse 1031 (459,672,471,682); move 1078 (26,732,206,752); ",
       {38, 667, 431, 692},
       {459, 672, 471, 682}},
      {"neither of them with another count: as with three",
       {2, false, false},
       "hide 1024; hide 1025; hide 1028; hide 1029; move 1030 (38,596,431,621); move 1031 (459,596,471,616); "
       "collapse 1031 (459,596,471,616); move 1078 (17,661,197,691); ",
       {38, 596, 431, 621},
       {459, 596, 471, 616}},
  };
  for (const Case& c : cases) {
    HomeRects home = DemoHome();
    EXPECT_EQ(Describe(InitialArrangement(home, c.features, Rect{-3, -26, 512, 784})), c.steps) << c.name;
    EXPECT_EQ(home[HomeRects::kMovedCastwellTitle], c.movedTitle) << c.name;
    EXPECT_EQ(home[HomeRects::kMovedCastwellToggle], c.movedToggle) << c.name;
  }
  // Without Wavehand the remembered Smilekey row is its new place.
  HomeRects home = DemoHome();
  InitialArrangement(home, {4, false, true}, Rect{-3, -26, 512, 784});
  EXPECT_EQ(home[1028], (Rect{38, 575, 431, 607}));
  EXPECT_EQ(home[1029], (Rect{459, 580, 471, 607}));
}

TEST(MainLayoutTest, TheSeparatorIsRememberedTwiceAndALookupFindsTheFirst) {
  HomeRects home;
  home.Record(1015, Rect{1, 2, 3, 4});
  home.Record(1015, Rect{5, 6, 7, 8});
  EXPECT_EQ(home[1015], (Rect{1, 2, 3, 4}));
  home.Set(1015, Rect{9, 9, 9, 9});
  EXPECT_EQ(home.slots().size(), 2u);
  EXPECT_EQ(home.slots()[1].second, (Rect{5, 6, 7, 8}));
  EXPECT_EQ(home[1099], Rect{}) << "never recorded";
}

}  // namespace
}  // namespace quillo
