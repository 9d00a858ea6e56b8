#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "app/run_state.h"

namespace quillo {

// The order in which the main window records its controls' rectangles once
// it is laid out; the separator is recorded twice.
inline constexpr int kHomeRectOrder[] = {1001, 1017, 1036, 1016, 1018, 1021, 1024, 1028, 1030, 1035,
                                         1019, 1022, 1025, 1029, 1031, 1015, 1023, 1012, 1014, 1015,
                                         1013, 1046, 1047, 1048, 1049, 1050, 1051, 1078, 1011};

// The main window's bottom edge: three quarters down the screen, truncated.
int32_t WindowBottom(int32_t screenHeight);

// Where a window of `width` x `height` goes to stand centred in `area`
// (the desktop's work area), kept inside it where it fits and with its
// top-left corner inside it where it does not.
struct Point {
  int32_t x = 0;
  int32_t y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};
Point CentredOrigin(int32_t width, int32_t height, const Rect& area);

// The vertical scroll bar over the tall window.
struct ScrollRange {
  int32_t maximum = 0;  // the design height less the client height, 0 when the client is as tall
  int32_t page = 0;     // a tenth of it
  friend bool operator==(const ScrollRange&, const ScrollRange&) = default;
};
ScrollRange ScrollRangeFor(int32_t designHeight, int32_t clientHeight);

// The scroll bar's request codes, as Windows numbers them.
enum class ScrollCode : int32_t {
  kLineUp = 0,
  kLineDown = 1,
  kPageUp = 2,
  kPageDown = 3,
  kThumbPosition = 4,
  kThumbTrack = 5,
  kTop = 6,
  kBottom = 7,
  kEndScroll = 8,
};
// How far a scroll request moves the client area: lines of a hundredth and
// pages of a tenth of the range, never past either end, and the thumb
// wherever it was let go. Empty for the codes that are ignored.
std::optional<int32_t> ScrollDelta(ScrollCode code, int32_t thumbPosition, int32_t scrollPos, int32_t designHeight,
                                   int32_t clientHeight);

// The tallest the window may be dragged: 800 pixels with exactly three features.
int32_t CapTrackHeight(int32_t featureCount, int32_t proposed);

// The driver panel's progress bar and status line under Download Now.
struct PanelLines {
  Rect progress;
  Rect status;
  friend bool operator==(const PanelLines&, const PanelLines&) = default;
};
PanelLines LinesUnderButton(const Rect& button, const HomeRects& home);

// One change the layout makes to a control of the window.
struct LayoutStep {
  enum class Action {
    kMove,            // the target area invalidated, the control moved there and repainted
    kHide,
    kCollapseToggle,  // the collapsed picture, the toggle sized to it and shown
  };
  int control = 0;
  Action action = Action::kMove;
  Rect rect;
  friend bool operator==(const LayoutStep&, const LayoutStep&) = default;
};

// Which features fit, as the layout needs to know.
struct FeatureAvailability {
  int32_t featureCount = 0;
  bool wavehand = false;
  bool smilekey = false;
};

// The column's first arrangement, once every toggle is collapsed and every
// rectangle recorded: the rows of absent features hidden and the rows below
// moved up into their slots, the moved Castwell slots (and, without
// Wavehand, Smilekey's) written into `home`, and the foot-notes link placed.
// `windowInClient` is the window's rectangle in client coordinates.
std::vector<LayoutStep> InitialArrangement(HomeRects& home, const FeatureAvailability& features,
                                           const Rect& windowInClient);

}  // namespace quillo
