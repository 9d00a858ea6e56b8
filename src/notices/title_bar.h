#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "app/run_state.h"

namespace quillo {

// Window style bits the title bar looks at.
inline constexpr uint32_t kStyleThickFrame = 0x40000;    // WS_THICKFRAME
inline constexpr uint32_t kStyleSysMenu = 0x80000;       // WS_SYSMENU
inline constexpr uint32_t kStyleMinMaxBoxes = 0x30000;   // WS_MINIMIZEBOX | WS_MAXIMIZEBOX
inline constexpr uint32_t kExStyleToolWindow = 0x80;     // WS_EX_TOOLWINDOW
inline constexpr uint32_t kExStyleContextHelp = 0x400;   // WS_EX_CONTEXTHELP

// The system metrics the title bar is laid out with.
struct FrameMetrics {
  int32_t cxSize = 0, cySize = 0;              // SM_CXSIZE, SM_CYSIZE
  int32_t cxSmSize = 0, cySmSize = 0;          // SM_CXSMSIZE, SM_CYSMSIZE
  int32_t cxFrame = 0, cyFrame = 0;            // SM_CXFRAME, SM_CYFRAME
  int32_t cxFixedFrame = 0, cyFixedFrame = 0;  // SM_CXFIXEDFRAME, SM_CYFIXEDFRAME
};

// The window's two style words.
struct WindowStyles {
  uint32_t style = 0;
  uint32_t exStyle = 0;
};

// Width of the standard caption buttons plus the frame: the title-bar
// buttons of the program sit to the left of it.
int32_t StandardButtonsWidth(const WindowStyles& styles, const FrameMetrics& metrics);

// Rectangle of title-bar button `index` (0-based) for a window whose
// rectangle is `window` (screen or window coordinates: the result is in the
// same ones). `extraGaps` holds each button's extra gap, in slot order.
Rect CaptionButtonRect(const Rect& window, const WindowStyles& styles, const FrameMetrics& metrics,
                       const std::vector<int32_t>& extraGaps, size_t index);

// The area that counts as the button for the mouse: 2 pixels more at top and bottom.
Rect CaptionButtonHitRect(const Rect& button);

bool Contains(const Rect& rect, int32_t x, int32_t y);

// Where a bitmap of width x height goes in `target`: centred when it fits
// across, otherwise the target filled from the bitmap's centre.
struct BitmapCopy {
  int32_t destX = 0, destY = 0;
  int32_t width = 0, height = 0;
  int32_t sourceX = 0, sourceY = 0;
  friend bool operator==(const BitmapCopy&, const BitmapCopy&) = default;
};
BitmapCopy CentreBitmap(const Rect& target, int32_t bitmapWidth, int32_t bitmapHeight);

// One of the 256 vertical stripes of the caption band, in band coordinates:
// x from left (inclusive) to right (exclusive).
struct BandStripe {
  int32_t left = 0;
  int32_t right = 0;
  uint8_t red = 0, green = 0, blue = 0;
};
// The stripes of a band `width` pixels wide; several may be empty when the
// band is narrower than 256 pixels.
std::array<BandStripe, 256> CaptionBandStripes(int32_t width);

// The caption band the windows paint, in window coordinates, for a window
// `windowWidth` pixels wide: the whole title bar across.
Rect CaptionBandRect(int32_t windowWidth, const FrameMetrics& metrics);

// Where the windows draw their title text; left and right are the window's
// screen coordinates, width its width in pixels.
Rect NoticeTitleRect(int32_t left, int32_t right);
Rect PopupTitleRect(int32_t left, int32_t right);
Rect MainWindowTitleRect(int32_t left, int32_t right);
Rect ClassicWindowTitleRect(int32_t width);

// The frame and title-bar colour of every window, and the title font's height.
inline constexpr uint8_t kFrameRed = 193, kFrameGreen = 145, kFrameBlue = 113;
inline constexpr int32_t kTitleFontHeight = -18;

}  // namespace quillo
