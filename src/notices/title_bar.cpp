#include "notices/title_bar.h"

#include <algorithm>

namespace quillo {

int32_t StandardButtonsWidth(const WindowStyles& styles, const FrameMetrics& metrics) {
  const bool sysMenu = (styles.style & kStyleSysMenu) != 0;
  int32_t width = 0;
  if ((styles.exStyle & kExStyleToolWindow) != 0) {
    width = sysMenu ? metrics.cxSmSize : 0;
  } else {
    const int32_t w = metrics.cxSize - 2;
    width = sysMenu ? w + 2 : 0;
    if ((styles.style & kStyleMinMaxBoxes) != 0) {
      width += 2 * w + 2;
    } else if ((styles.exStyle & kExStyleContextHelp) != 0) {
      width += w + 2;
    }
  }
  width += (styles.style & kStyleThickFrame) != 0 ? metrics.cxFrame : metrics.cxFixedFrame;
  return width;
}

Rect CaptionButtonRect(const Rect& window, const WindowStyles& styles, const FrameMetrics& metrics,
                       const std::vector<int32_t>& extraGaps, size_t index) {
  const bool tool = (styles.exStyle & kExStyleToolWindow) != 0;
  const int32_t buttonWidth = tool ? metrics.cxSmSize : metrics.cxSize;
  const int32_t buttonHeight = tool ? metrics.cySmSize : metrics.cySize;
  const int32_t frame = (styles.style & kStyleThickFrame) != 0 ? metrics.cyFrame : metrics.cyFixedFrame;

  int32_t offset = StandardButtonsWidth(styles, metrics);
  for (size_t slot = 0; slot <= index && slot < extraGaps.size(); ++slot) {
    offset += buttonWidth + extraGaps[slot] - 2;
  }
  Rect button;
  button.left = window.right - offset;
  button.top = window.top + frame + 2;
  button.right = button.left + buttonWidth - 2;
  button.bottom = button.top + buttonHeight - 4;
  return button;
}

Rect CaptionButtonHitRect(const Rect& button) {
  return Rect{button.left, button.top - 2, button.right, button.bottom + 2};
}

bool Contains(const Rect& rect, int32_t x, int32_t y) {
  return x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom;
}

BitmapCopy CentreBitmap(const Rect& target, int32_t bitmapWidth, int32_t bitmapHeight) {
  const int32_t width = target.right - target.left;
  const int32_t height = target.bottom - target.top;
  const int32_t dx = (width - bitmapWidth) / 2;
  const int32_t dy = (height - bitmapHeight) / 2;
  if (width > bitmapWidth) {
    return BitmapCopy{target.left + dx, target.top + dy, bitmapWidth, bitmapHeight, 0, 0};
  }
  return BitmapCopy{target.left, target.top, width, height, -dx, -dy};
}

std::array<BandStripe, 256> CaptionBandStripes(int32_t width) {
  std::array<BandStripe, 256> stripes{};
  const float step = static_cast<float>(width) / 256.0f;
  for (int32_t i = 0; i < 256; ++i) {
    BandStripe& stripe = stripes[static_cast<size_t>(i)];
    stripe.left = static_cast<int32_t>(static_cast<float>(i) * step);
    stripe.right = std::min(static_cast<int32_t>(static_cast<float>(i + 1) * step), width - 1);
    const int32_t t = i < 128 ? i : 255 - i;
    stripe.red = static_cast<uint8_t>(kFrameRed - 131 * t / 128);
    stripe.green = static_cast<uint8_t>(kFrameGreen - 35 * t / 128);
    stripe.blue = static_cast<uint8_t>(kFrameBlue + 29 * t / 128);
  }
  return stripes;
}

Rect CaptionBandRect(int32_t windowWidth, const FrameMetrics& metrics) {
  return Rect{0, metrics.cyFrame, windowWidth, metrics.cyFrame + metrics.cySize + 4};
}

Rect NoticeTitleRect(int32_t left, int32_t right) {
  const int32_t x = (left + right) / 300;
  return Rect{x + 5, 4, x + 210, 25};
}

Rect PopupTitleRect(int32_t left, int32_t right) {
  const int32_t x = (left + right) / 300;
  return Rect{x + 5, 7, x + 210, 100};
}

Rect MainWindowTitleRect(int32_t left, int32_t right) {
  const int32_t x = (left + right) / 300;
  return Rect{x + 5, 6, x + 210, 25};
}

Rect ClassicWindowTitleRect(int32_t width) {
  return Rect{static_cast<int32_t>(static_cast<double>(width) / 3.5), 6, 370, 25};
}

}  // namespace quillo
