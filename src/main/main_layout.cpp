#include "main/main_layout.h"

#include <algorithm>

#include "main/main_controls.h"

namespace quillo {
namespace {

using Action = LayoutStep::Action;

Rect Across(const Rect& columns, int32_t top, int32_t bottom) { return Rect{columns.left, top, columns.right, bottom}; }

}  // namespace

int32_t WindowBottom(int32_t screenHeight) { return static_cast<int32_t>(screenHeight * 0.75); }

Point CentredOrigin(int32_t width, int32_t height, const Rect& area) {
  Point origin{area.left + (area.right - area.left - width) / 2, area.top + (area.bottom - area.top - height) / 2};
  // As far inside the area as the window's size allows, and never with its
  // title bar above or left of it.
  origin.x = std::max(std::min(origin.x, area.right - width), area.left);
  origin.y = std::max(std::min(origin.y, area.bottom - height), area.top);
  return origin;
}

ScrollRange ScrollRangeFor(int32_t designHeight, int32_t clientHeight) {
  const int32_t maximum = clientHeight < designHeight ? designHeight - clientHeight : 0;
  return ScrollRange{maximum, maximum / 10};
}

std::optional<int32_t> ScrollDelta(ScrollCode code, int32_t thumbPosition, int32_t scrollPos, int32_t designHeight,
                                   int32_t clientHeight) {
  const int32_t maximum = designHeight - clientHeight;
  const int32_t line = maximum / 100;
  const int32_t page = maximum / 10;
  switch (code) {
    case ScrollCode::kLineUp:
    case ScrollCode::kPageUp: {
      if (scrollPos <= 0) return 0;
      const int32_t step = code == ScrollCode::kLineUp ? line : page;
      return -std::min(step, scrollPos);
    }
    case ScrollCode::kLineDown:
    case ScrollCode::kPageDown: {
      if (scrollPos >= maximum) return 0;
      const int32_t step = code == ScrollCode::kLineDown ? line : page;
      return std::min(step, maximum - scrollPos);
    }
    case ScrollCode::kThumbPosition:
      return thumbPosition - scrollPos;
    case ScrollCode::kThumbTrack:
    case ScrollCode::kTop:
    case ScrollCode::kBottom:
    case ScrollCode::kEndScroll:
      break;
  }
  return std::nullopt;
}

int32_t CapTrackHeight(int32_t featureCount, int32_t proposed) {
  return featureCount == 3 ? std::min(proposed, 800) : proposed;
}

PanelLines LinesUnderButton(const Rect& button, const HomeRects& home) {
  PanelLines lines;
  lines.progress = Across(home[mainwin::kProgress], button.bottom + 15, button.bottom + 35);
  lines.status = Across(home[mainwin::kStatusLine], lines.progress.bottom + 15, lines.progress.bottom + 35);
  return lines;
}

std::vector<LayoutStep> InitialArrangement(HomeRects& home, const FeatureAvailability& features,
                                           const Rect& windowInClient) {
  constexpr int kWavehandTitle = 1024, kWavehandToggle = 1025, kSmilekeyTitle = 1028, kSmilekeyToggle = 1029;
  constexpr int kCastwellTitle = 1030, kCastwellToggle = 1031;
  std::vector<LayoutStep> steps;
  const auto hideRow = [&](int title, int toggle) {
    steps.push_back({title, Action::kHide, {}});
    steps.push_back({toggle, Action::kHide, {}});
  };
  // Moves a row to its slots, remembered under `titleSlot` and `toggleSlot`.
  const auto moveRow = [&](int title, int toggle, int titleSlot, int toggleSlot, const Rect& titleRect,
                           const Rect& toggleRect) {
    home.Set(titleSlot, titleRect);
    home.Set(toggleSlot, toggleRect);
    steps.push_back({title, Action::kMove, titleRect});
    steps.push_back({toggle, Action::kMove, toggleRect});
    steps.push_back({toggle, Action::kCollapseToggle, toggleRect});
  };
  const Rect footNotes = home[mainwin::kFootNotes];
  const auto placeFootNotes = [&](int32_t left, int32_t top, int32_t right, int32_t bottom) {
    steps.push_back({mainwin::kFootNotes, Action::kMove, Rect{left, top, right, bottom}});
  };
  const Rect wavehandTitle = home[kWavehandTitle];
  const Rect wavehandToggle = home[kWavehandToggle];

  // Without Wavehand and Smilekey (three features), Castwell follows Rapidline.
  if (features.featureCount == 3 || (!features.wavehand && !features.smilekey)) {
    hideRow(kWavehandTitle, kWavehandToggle);
    hideRow(kSmilekeyTitle, kSmilekeyToggle);
    const int32_t r = home[1021].bottom;
    const Rect title = Across(wavehandTitle, r + 60, r + 85);
    moveRow(kCastwellTitle, kCastwellToggle, HomeRects::kMovedCastwellTitle, HomeRects::kMovedCastwellToggle, title,
            Across(wavehandToggle, r + 60, r + 80));
    placeFootNotes(windowInClient.left + 20, title.bottom + 40, windowInClient.left + 200, title.bottom + 70);
  } else if (!features.smilekey) {
    // Castwell takes Smilekey's slot.
    hideRow(kSmilekeyTitle, kSmilekeyToggle);
    const Rect s = home[kSmilekeyTitle];
    moveRow(kCastwellTitle, kCastwellToggle, HomeRects::kMovedCastwellTitle, HomeRects::kMovedCastwellToggle,
            Across(wavehandTitle, s.top, s.bottom), Across(wavehandToggle, s.top + 5, s.bottom));
    placeFootNotes(footNotes.left + 20, s.bottom + 40, footNotes.left + 200, s.bottom + 60);
  } else if (!features.wavehand) {
    // Smilekey takes Wavehand's slot, and Castwell follows it.
    hideRow(kWavehandTitle, kWavehandToggle);
    const Rect w = wavehandTitle;
    moveRow(kSmilekeyTitle, kSmilekeyToggle, kSmilekeyTitle, kSmilekeyToggle, Across(wavehandTitle, w.top, w.bottom),
            Across(wavehandToggle, w.top + 5, w.bottom));
    const int32_t s = w.bottom;
    const Rect title = Across(wavehandTitle, s + 60, s + 85);
    moveRow(kCastwellTitle, kCastwellToggle, HomeRects::kMovedCastwellTitle, HomeRects::kMovedCastwellToggle, title,
            Across(wavehandToggle, s + 65, s + 75));
    placeFootNotes(footNotes.left + 20, title.bottom + 40, footNotes.left + 200, title.bottom + 60);
  } else {
    const int32_t b = home[kCastwellTitle].bottom;
    placeFootNotes(footNotes.left + 20, b + 40, footNotes.left + 200, b + 60);
  }
  return steps;
}

}  // namespace quillo
