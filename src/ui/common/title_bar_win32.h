#pragma once

// The program's title bars: up to eight bitmap buttons drawn, hit-tested and
// clicked in a window's title bar by a procedure placed in front of the
// window's own, and the caption band and title painting the windows run on
// WM_NCPAINT.

#include <windows.h>

#include "app/run_state.h"
#include "notices/title_bar.h"

namespace quillo::ui {

// Adds a button showing `bitmap` to the window's title bar; a click on it
// sends the window WM_CLOSE with wParam 2. Always true.
bool AddCaptionButton(HWND window, HBITMAP bitmap);

// Whether title-bar button `index` is drawn pushed (for tests and tools).
bool IsCaptionButtonPressed(HWND window, int index);
// Its rectangle in screen coordinates; empty when there is no such button.
RECT CaptionButtonScreenRect(HWND window, int index);

FrameMetrics CurrentFrameMetrics();

// Paints the colour band into `band` (window coordinates) of the window's frame.
void PaintCaptionBand(HWND window, const Rect& band);

// The title-bar painting of the main windows and the popup: the default
// frame outside the caption band, the band, then `title` in the window's
// title rectangle.
void PaintGradientTitleBar(HWND window, const wchar_t* title, const Rect& titleRect);

// The title text in black on the frame colour, centred and word-wrapped.
void DrawTitleText(HWND window, HDC windowDc, const wchar_t* title, const Rect& titleRect);

}  // namespace quillo::ui
