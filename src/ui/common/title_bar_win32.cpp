#include "ui/common/title_bar_win32.h"

#include <string>
#include <vector>

namespace quillo::ui {
namespace {

constexpr wchar_t kProperty[] = L"QLUCustomTitleBar";
constexpr int kMaxButtons = 8;
constexpr LRESULT kHitBorder = HTBORDER;  // what a button answers to the hit test (18)

struct ButtonSlot {
  int32_t command;    // WM_CLOSE's wParam on a click; always 2
  int32_t extraGap;   // pixels added to the pitch; always 1
  HBITMAP bitmap;
  int32_t pressed;    // 1 while drawn pushed
  int32_t spare;
};

struct TitleBarBlock {
  ButtonSlot slots[kMaxButtons];
  int32_t count;
  int32_t capturing;
  WNDPROC previous;
  int32_t pressedIndex;
};

TitleBarBlock* BlockOf(HWND window) { return static_cast<TitleBarBlock*>(GetPropW(window, kProperty)); }

Rect ToRect(const RECT& r) { return Rect{r.left, r.top, r.right, r.bottom}; }
RECT ToRECT(const Rect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

// Button `index` in screen coordinates, or in window coordinates when asked.
Rect ButtonRect(HWND window, const TitleBarBlock& block, int index, bool windowCoordinates) {
  RECT placement{};
  GetWindowRect(window, &placement);
  if (windowCoordinates) OffsetRect(&placement, -placement.left, -placement.top);
  const WindowStyles styles{static_cast<uint32_t>(GetWindowLongW(window, GWL_STYLE)),
                            static_cast<uint32_t>(GetWindowLongW(window, GWL_EXSTYLE))};
  std::vector<int32_t> gaps;
  for (int i = 0; i < block.count; ++i) gaps.push_back(block.slots[i].extraGap);
  return CaptionButtonRect(ToRect(placement), styles, CurrentFrameMetrics(), gaps, static_cast<size_t>(index));
}

// The first button whose hit rectangle holds the screen point; -1 for none.
int ButtonAt(HWND window, const TitleBarBlock& block, POINT point) {
  for (int i = 0; i < block.count; ++i) {
    if (Contains(CaptionButtonHitRect(ButtonRect(window, block, i, false)), point.x, point.y)) return i;
  }
  return -1;
}

void RequestFrameRepaint(HWND window) {
  SetWindowPos(window, nullptr, 0, 0, 0, 0,
               SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED | SWP_SHOWWINDOW);
}

void DrawButton(HDC dc, const ButtonSlot& slot, Rect face) {
  RECT frame = ToRECT(face);
  if (slot.pressed != 0) {
    DrawFrameControl(dc, &frame, 7, 0x821B);
  } else {
    DrawFrameControl(dc, &frame, 4, 0x801B);
  }
  face = Rect{face.left + 2, face.top + 2, face.right - 2, face.bottom - 2};
  if (slot.pressed != 0) face = Rect{face.left + 1, face.top + 1, face.right + 1, face.bottom + 1};

  BITMAP size{};
  if (slot.bitmap == nullptr || GetObjectW(slot.bitmap, sizeof size, &size) == 0) return;
  const BitmapCopy copy = CentreBitmap(face, size.bmWidth, size.bmHeight);
  HDC memory = CreateCompatibleDC(dc);
  HGDIOBJ previous = SelectObject(memory, slot.bitmap);
  const COLORREF background = SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
  BitBlt(dc, copy.destX, copy.destY, copy.width, copy.height, memory, copy.sourceX, copy.sourceY, SRCCOPY);
  SetBkColor(dc, background);
  SelectObject(memory, previous);
  DeleteDC(memory);
}

// The frame painted by the window's own procedure everywhere but the
// buttons, then the buttons.
void DrawFrameWithButtons(HWND window, TitleBarBlock& block, HRGN update) {
  RECT placement{};
  GetWindowRect(window, &placement);
  HRGN region = CreateRectRgnIndirect(&placement);
  if (reinterpret_cast<UINT_PTR>(update) > 1) CombineRgn(region, update, nullptr, RGN_COPY);
  for (int i = 0; i < block.count; ++i) {
    const RECT button = ToRECT(ButtonRect(window, block, i, false));
    HRGN buttonRegion = CreateRectRgnIndirect(&button);
    CombineRgn(region, region, buttonRegion, RGN_XOR);
    DeleteObject(buttonRegion);
  }
  CallWindowProcW(block.previous, window, WM_NCPAINT, reinterpret_cast<WPARAM>(region), 0);
  DeleteObject(region);

  HDC dc = GetWindowDC(window);
  for (int i = 0; i < block.count; ++i) DrawButton(dc, block.slots[i], ButtonRect(window, block, i, true));
  ReleaseDC(window, dc);
}

POINT ScreenPoint(HWND window, LPARAM lParam) {
  POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  ClientToScreen(window, &point);
  return point;
}

LRESULT CALLBACK TitleBarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  TitleBarBlock* block = BlockOf(window);
  if (block == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  const WNDPROC previous = block->previous;

  switch (message) {
    case WM_NCHITTEST: {
      const LRESULT hit = CallWindowProcW(previous, window, message, wParam, lParam);
      if (hit != HTCAPTION) return hit;
      const POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      return ButtonAt(window, *block, point) >= 0 ? kHitBorder : hit;
    }
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK: {
      const POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      const int index = wParam == static_cast<WPARAM>(kHitBorder) ? ButtonAt(window, *block, point) : -1;
      if (index < 0) return CallWindowProcW(previous, window, message, wParam, lParam);
      block->pressedIndex = index;
      block->slots[index].pressed = 1;
      block->capturing = 1;
      SetCapture(window);
      RequestFrameRepaint(window);
      return 0;
    }
    case WM_MOUSEMOVE: {
      if (block->capturing == 0) return CallWindowProcW(previous, window, message, wParam, lParam);
      ButtonSlot& slot = block->slots[block->pressedIndex];
      const POINT point = ScreenPoint(window, lParam);
      const int inside =
          Contains(CaptionButtonHitRect(ButtonRect(window, *block, block->pressedIndex, false)), point.x, point.y)
              ? 1
              : 0;
      if (inside != slot.pressed) {
        slot.pressed = inside;
        RequestFrameRepaint(window);
      }
      return 0;
    }
    case WM_LBUTTONUP: {
      if (block->capturing == 0) return CallWindowProcW(previous, window, message, wParam, lParam);
      block->capturing = 0;  // our own release is no lost capture
      ReleaseCapture();
      ButtonSlot& slot = block->slots[block->pressedIndex];
      const POINT point = ScreenPoint(window, lParam);
      if (Contains(CaptionButtonHitRect(ButtonRect(window, *block, block->pressedIndex, false)), point.x, point.y)) {
        SendMessageW(window, WM_CLOSE, static_cast<WPARAM>(slot.command), MAKELPARAM(point.x, point.y));
      }
      // The window may be gone once it has closed.
      if (BlockOf(window) == block) {
        slot.pressed = 0;
        block->capturing = 0;
        RequestFrameRepaint(window);
      }
      return 0;
    }
    case WM_NCPAINT:
      DrawFrameWithButtons(window, *block, reinterpret_cast<HRGN>(wParam));
      return 0;
    case WM_NCACTIVATE:
    case WM_SETTEXT: {
      // Without the visible style the default handling paints no frame of its own.
      const LONG style = GetWindowLongW(window, GWL_STYLE);
      SetWindowLongW(window, GWL_STYLE, style & ~WS_VISIBLE);
      const LRESULT result = CallWindowProcW(previous, window, message, wParam, lParam);
      SetWindowLongW(window, GWL_STYLE, style);
      DrawFrameWithButtons(window, *block, reinterpret_cast<HRGN>(1));
      return result;
    }
    case WM_CAPTURECHANGED:
      // Capture taken away (another window, a system dialog): the press is over.
      if (block->capturing != 0 && reinterpret_cast<HWND>(lParam) != window) {
        block->slots[block->pressedIndex].pressed = 0;
        block->capturing = 0;
        RequestFrameRepaint(window);
      }
      return CallWindowProcW(previous, window, message, wParam, lParam);
    case WM_NCDESTROY:
      RemovePropW(window, kProperty);
      SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
      HeapFree(GetProcessHeap(), 0, block);
      return CallWindowProcW(previous, window, message, wParam, lParam);
    default:
      return CallWindowProcW(previous, window, message, wParam, lParam);
  }
}

}  // namespace

FrameMetrics CurrentFrameMetrics() {
  FrameMetrics metrics;
  metrics.cxSize = GetSystemMetrics(SM_CXSIZE);
  metrics.cySize = GetSystemMetrics(SM_CYSIZE);
  metrics.cxSmSize = GetSystemMetrics(SM_CXSMSIZE);
  metrics.cySmSize = GetSystemMetrics(SM_CYSMSIZE);
  metrics.cxFrame = GetSystemMetrics(SM_CXFRAME);
  metrics.cyFrame = GetSystemMetrics(SM_CYFRAME);
  metrics.cxFixedFrame = GetSystemMetrics(SM_CXFIXEDFRAME);
  metrics.cyFixedFrame = GetSystemMetrics(SM_CYFIXEDFRAME);
  return metrics;
}

bool AddCaptionButton(HWND window, HBITMAP bitmap) {
  TitleBarBlock* block = BlockOf(window);
  if (block == nullptr) {
    block = static_cast<TitleBarBlock*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(TitleBarBlock)));
    if (block == nullptr) return true;
    block->count = 0;
    block->capturing = 0;
    SetPropW(window, kProperty, block);
    block->previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(TitleBarProc)));
  }
  if (block->count < kMaxButtons) {
    block->slots[block->count] = ButtonSlot{2, 1, bitmap, 0, 0};
    ++block->count;
  }
  return true;
}

bool IsCaptionButtonPressed(HWND window, int index) {
  const TitleBarBlock* block = BlockOf(window);
  return block != nullptr && index >= 0 && index < block->count && block->slots[index].pressed != 0;
}

RECT CaptionButtonScreenRect(HWND window, int index) {
  const TitleBarBlock* block = BlockOf(window);
  if (block == nullptr || index < 0 || index >= block->count) return RECT{};
  return ToRECT(ButtonRect(window, *block, index, false));
}

void PaintCaptionBand(HWND window, const Rect& band) {
  const int32_t width = band.right - band.left + 1;
  const int32_t height = band.bottom - band.top + 1;
  HDC windowDc = GetWindowDC(window);
  HDC memory = CreateCompatibleDC(windowDc);
  HBITMAP picture = CreateDiscardableBitmap(windowDc, width, height);
  HGDIOBJ previous = SelectObject(memory, picture);
  for (const BandStripe& stripe : CaptionBandStripes(width)) {
    const RECT area{stripe.left, 0, stripe.right, height - 1};
    HBRUSH brush = CreateSolidBrush(RGB(stripe.red, stripe.green, stripe.blue));
    FillRect(memory, &area, brush);
    DeleteObject(brush);
  }
  BitBlt(windowDc, band.left, band.top, width - 1, height - 1, memory, 0, 0, SRCCOPY);
  SelectObject(memory, previous);
  DeleteObject(picture);
  DeleteDC(memory);
  ReleaseDC(window, windowDc);
}

void DrawTitleText(HWND window, HDC windowDc, const wchar_t* title, const Rect& titleRect) {
  (void)window;
  SetTextColor(windowDc, RGB(0, 0, 0));
  SetBkColor(windowDc, RGB(kFrameRed, kFrameGreen, kFrameBlue));
  HFONT font = CreateFontW(kTitleFontHeight, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Calibri");
  HGDIOBJ previous = SelectObject(windowDc, font);
  RECT area = ToRECT(titleRect);
  std::wstring text = title;
  DrawTextW(windowDc, text.data(), -1, &area, DT_CENTER | DT_WORDBREAK);
  SelectObject(windowDc, previous);
  DeleteObject(font);
}

void PaintGradientTitleBar(HWND window, const wchar_t* title, const Rect& titleRect) {
  RECT placement{};
  GetWindowRect(window, &placement);
  const Rect band = CaptionBandRect(placement.right - placement.left, CurrentFrameMetrics());

  // The default frame everywhere but the band.
  HRGN outside = CreateRectRgnIndirect(&placement);
  HRGN bandRegion = CreateRectRgn(band.left + placement.left, band.top + placement.top, band.right + placement.left,
                                  band.bottom + placement.top);
  CombineRgn(outside, outside, bandRegion, RGN_DIFF);
  DefWindowProcW(window, WM_NCPAINT, reinterpret_cast<WPARAM>(outside), 0);
  DeleteObject(bandRegion);
  DeleteObject(outside);

  PaintCaptionBand(window, band);
  HDC dc = GetWindowDC(window);
  // On the band the text's own background would show as a box.
  SetBkMode(dc, TRANSPARENT);
  DrawTitleText(window, dc, title, titleRect);
  ReleaseDC(window, dc);
}

}  // namespace quillo::ui
