#include "notices/title_bar.h"

#include <gtest/gtest.h>

namespace quillo {
namespace {

// Distinct values, so that a metric taken for another shows.
const FrameMetrics kMetrics{.cxSize = 26, .cySize = 22, .cxSmSize = 17, .cySmSize = 15,
                            .cxFrame = 8, .cyFrame = 7, .cxFixedFrame = 3, .cyFixedFrame = 4};
const Rect kWindow{100, 50, 500, 350};

struct ButtonCase {
  const char* window;
  WindowStyles styles;
  size_t index;
  int32_t standardWidth;
  Rect button;
};

TEST(TitleBarTest, PlacesEachButtonLeftOfTheStandardButtonsAndTheFrame) {
  const ButtonCase cases[] = {
      {"no system menu, fixed frame: the frame alone", {0, 0}, 0, 3, {472, 56, 496, 74}},
      {"second button, one pitch (BW - 1) further left", {0, 0}, 1, 3, {447, 56, 471, 74}},
      {"system menu", {kStyleSysMenu, 0}, 0, 29, {446, 56, 470, 74}},
      {"system menu, minimise and maximise, sizing frame",
       {kStyleSysMenu | kStyleMinMaxBoxes | kStyleThickFrame, 0}, 0, 84, {391, 59, 415, 77}},
      {"context help without a system menu", {0, kExStyleContextHelp}, 0, 29, {446, 56, 470, 74}},
      {"context help does not count beside minimise and maximise",
       {kStyleSysMenu | kStyleMinMaxBoxes, kExStyleContextHelp}, 0, 79, {396, 56, 420, 74}},
      {"tool window with system menu", {kStyleSysMenu, kExStyleToolWindow}, 0, 20, {464, 56, 479, 67}},
      {"tool window, sizing frame, no system menu",
       {kStyleThickFrame | kStyleMinMaxBoxes, kExStyleToolWindow}, 0, 8, {476, 59, 491, 70}},
  };
  for (const ButtonCase& c : cases) {
    SCOPED_TRACE(c.window);
    EXPECT_EQ(StandardButtonsWidth(c.styles, kMetrics), c.standardWidth);
    EXPECT_EQ(CaptionButtonRect(kWindow, c.styles, kMetrics, {1, 1}, c.index), c.button);
  }
}

TEST(TitleBarTest, TheMouseCountsTwoPixelsAboveAndBelowTheButton) {
  const Rect button{472, 56, 496, 74};
  const Rect hit = CaptionButtonHitRect(button);
  EXPECT_EQ(hit, (Rect{472, 54, 496, 76}));
  EXPECT_TRUE(Contains(hit, 472, 54));
  EXPECT_TRUE(Contains(hit, 495, 75));
  EXPECT_FALSE(Contains(hit, 496, 60)) << "right edge is outside";
  EXPECT_FALSE(Contains(hit, 480, 76)) << "bottom edge is outside";
  EXPECT_FALSE(Contains(hit, 471, 60));
}

TEST(TitleBarTest, ABitmapLargerThanTheButtonShowsItsCentre) {
  // A 14 x 10 button face and the 48 x 48 close bitmap: its middle fills the face.
  EXPECT_EQ(CentreBitmap(Rect{10, 20, 24, 30}, 48, 48), (BitmapCopy{10, 20, 14, 10, 17, 19}));
  // A face wider than the bitmap gets it whole, centred.
  EXPECT_EQ(CentreBitmap(Rect{0, 0, 60, 60}, 48, 48), (BitmapCopy{6, 6, 48, 48, 0, 0}));
  // Exactly as wide: not wider, so the face is filled from the bitmap.
  EXPECT_EQ(CentreBitmap(Rect{0, 0, 48, 20}, 48, 48), (BitmapCopy{0, 0, 48, 20, 0, 14}));
}

TEST(CaptionBandTest, RunsFromTheFrameColourAtBothEndsToBlueInTheMiddle) {
  const auto stripes = CaptionBandStripes(512);
  auto colour = [&](size_t i) {
    return std::make_tuple(int{stripes[i].red}, int{stripes[i].green}, int{stripes[i].blue});
  };
  EXPECT_EQ(colour(0), std::make_tuple(193, 145, 113));
  EXPECT_EQ(colour(255), std::make_tuple(193, 145, 113));
  EXPECT_EQ(colour(127), std::make_tuple(64, 111, 141));
  EXPECT_EQ(colour(128), std::make_tuple(64, 111, 141));
  EXPECT_EQ(colour(64), std::make_tuple(128, 128, 127));  // t = 64: 193 - 65, 145 - 17, 113 + 14
  EXPECT_EQ(colour(191), colour(64)) << "the band is symmetric";
  // Two pixels a stripe; the last one stops one short of the band's width.
  EXPECT_EQ(stripes[0].left, 0);
  EXPECT_EQ(stripes[0].right, 2);
  EXPECT_EQ(stripes[100].left, 200);
  EXPECT_EQ(stripes[255].left, 510);
  EXPECT_EQ(stripes[255].right, 511);
}

TEST(CaptionBandTest, StripesTileTheBandWhateverItsWidth) {
  for (int32_t width : {1, 2, 100, 255, 256, 257, 300, 640, 1281}) {
    SCOPED_TRACE(width);
    const auto stripes = CaptionBandStripes(width);
    int32_t next = 0;
    int32_t empty = 0;
    for (const BandStripe& stripe : stripes) {
      EXPECT_EQ(stripe.left, next) << "no gap and no overlap";
      EXPECT_GE(stripe.right, stripe.left);
      if (stripe.right == stripe.left) ++empty;
      next = stripe.right;
    }
    EXPECT_EQ(next, width - 1) << "the painter copies one pixel less than the band's width";
    if (width < 256) {
      EXPECT_GE(empty, 256 - width) << "a narrow band has empty stripes";
    }
  }
  // 100 pixels: stripes 0 and 1 are empty, stripe 2 is the first pixel.
  const auto narrow = CaptionBandStripes(100);
  EXPECT_EQ(narrow[0].right, 0);
  EXPECT_EQ(narrow[1].right, 0);
  EXPECT_EQ(narrow[2].left, 0);
  EXPECT_EQ(narrow[2].right, 1);
}

TEST(CaptionBandTest, CoversTheWholeTitleBar) {
  EXPECT_EQ(CaptionBandRect(420, kMetrics), (Rect{0, 7, 420, 33}));
}

TEST(TitleTextTest, RectanglesFollowTheWindowsPosition) {
  EXPECT_EQ(NoticeTitleRect(400, 900), (Rect{9, 4, 214, 25}));
  EXPECT_EQ(NoticeTitleRect(-650, -100), (Rect{3, 4, 208, 25})) << "division truncates toward zero";
  EXPECT_EQ(PopupTitleRect(400, 900), (Rect{9, 7, 214, 100}));
  EXPECT_EQ(MainWindowTitleRect(400, 900), (Rect{9, 6, 214, 25}));
  EXPECT_EQ(ClassicWindowTitleRect(700), (Rect{200, 6, 370, 25}));
  EXPECT_EQ(ClassicWindowTitleRect(703), (Rect{200, 6, 370, 25}));
}

}  // namespace
}  // namespace quillo
