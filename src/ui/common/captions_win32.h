#pragma once

#include <windows.h>

#include <string>

#include "i18n/captions.h"

namespace quillo::ui {

// Buttons that show a caption picture instead of text.
inline constexpr int kClassicDownloadButton = 1061;
inline constexpr int kDownloadNowButton = 1011;
inline constexpr int kFeatureDownloadButtons[] = {1043, 1044, 1045};        // features 2, 3, 4
inline constexpr int kGuideButtons[] = {1020, 1026, 1027, 1032, 1033};      // features 1 to 5

// The picture of a caption: the style's background bitmap from the
// program's resources with the caption drawn on it in white, starting 5
// pixels from the left and 3 from the top. The caller owns the bitmap.
HBITMAP ComposeCaption(HINSTANCE instance, HWND window, const CaptionStyle& style);

// Gives the picture to the button, sizes the button to it (keeping its
// top-left corner) and repaints the application's main window.
void SetButtonPicture(HWND dialog, int buttonId, HBITMAP picture, HWND mainWindow);

// The classic window's download button, idle and running.
void PaintDownloadButton(HINSTANCE instance, HWND dialog, const std::wstring& languageCode);
void PaintCancelButton(HINSTANCE instance, HWND dialog, const std::wstring& languageCode);

// The sectioned window's captioned buttons: type 0 is Download Now, 2 to 4
// the installer buttons of those features; any other type composes the
// picture without giving it to a button.
void RenderDownloadCaption(HINSTANCE instance, HWND dialog, const std::wstring& languageCode, int type,
                           DownloadState state);
// The start-guide button of feature 1 to 5.
void RenderGuideCaption(HINSTANCE instance, HWND dialog, const std::wstring& languageCode, int feature);

}  // namespace quillo::ui
