#include "ui/common/captions_win32.h"

namespace quillo::ui {

HBITMAP ComposeCaption(HINSTANCE instance, HWND window, const CaptionStyle& style) {
  HBITMAP picture = LoadBitmapW(instance, MAKEINTRESOURCEW(style.image));
  if (picture == nullptr) return nullptr;

  HDC windowDc = GetDC(window);
  HDC memory = CreateCompatibleDC(windowDc);
  HGDIOBJ previousPicture = SelectObject(memory, picture);
  SetBkMode(memory, TRANSPARENT);
  SetTextColor(memory, RGB(255, 255, 255));

  LOGFONTW description{};
  description.lfHeight = style.height;
  description.lfWeight = 200;
  lstrcpynW(description.lfFaceName, style.fontName.c_str(), LF_FACESIZE);
  HFONT font = CreateFontIndirectW(&description);
  HGDIOBJ previousFont = SelectObject(memory, font != nullptr ? font : GetStockObject(DEFAULT_GUI_FONT));

  RECT area{5, 3, 350, 0};
  std::wstring caption = style.caption;
  DrawTextW(memory, caption.data(), -1, &area, DT_CALCRECT | DT_WORDBREAK | DT_CENTER);
  DrawTextW(memory, caption.data(), -1, &area, 0);

  SelectObject(memory, previousFont);
  if (font != nullptr) DeleteObject(font);
  SelectObject(memory, previousPicture);
  DeleteDC(memory);
  ReleaseDC(window, windowDc);
  return picture;
}

void SetButtonPicture(HWND dialog, int buttonId, HBITMAP picture, HWND mainWindow) {
  HWND button = GetDlgItem(dialog, buttonId);
  if (button == nullptr || picture == nullptr) {
    if (picture != nullptr) DeleteObject(picture);
    return;
  }
  const auto previous = reinterpret_cast<HBITMAP>(
      SendMessageW(button, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture)));
  // Every picture a button shows was composed here.
  if (previous != nullptr && previous != picture) DeleteObject(previous);

  BITMAP size{};
  GetObjectW(picture, sizeof size, &size);
  RECT place{};
  GetWindowRect(button, &place);
  MapWindowPoints(nullptr, GetParent(button), reinterpret_cast<POINT*>(&place), 2);
  MoveWindow(button, place.left, place.top, size.bmWidth, size.bmHeight, TRUE);
  if (mainWindow != nullptr) InvalidateRect(mainWindow, nullptr, TRUE);
}

namespace {

HWND MainWindowOf(HWND dialog) {
  HWND root = GetAncestor(dialog, GA_ROOT);
  return root != nullptr ? root : dialog;
}

void Render(HINSTANCE instance, HWND dialog, int buttonId, const CaptionStyle& style) {
  HBITMAP picture = ComposeCaption(instance, dialog, style);
  if (buttonId == 0) {
    if (picture != nullptr) DeleteObject(picture);
    return;
  }
  SetButtonPicture(dialog, buttonId, picture, MainWindowOf(dialog));
}

}  // namespace

void PaintDownloadButton(HINSTANCE instance, HWND dialog, const std::wstring& languageCode) {
  Render(instance, dialog, kClassicDownloadButton, DownloadCaption(languageCode, DownloadState::kDownload, false));
}

void PaintCancelButton(HINSTANCE instance, HWND dialog, const std::wstring& languageCode) {
  Render(instance, dialog, kClassicDownloadButton, DownloadCaption(languageCode, DownloadState::kCancel, false));
}

void RenderDownloadCaption(HINSTANCE instance, HWND dialog, const std::wstring& languageCode, int type,
                           DownloadState state) {
  int buttonId = 0;
  if (type == 0) buttonId = kDownloadNowButton;
  if (type >= 2 && type <= 4) buttonId = kFeatureDownloadButtons[type - 2];
  CaptionStyle style = DownloadCaption(languageCode, state, true);
  if (state == DownloadState::kDownload && type >= 2 && type <= 4) style = FeatureDownloadCaption(languageCode, type);
  Render(instance, dialog, buttonId, style);
}

void RenderGuideCaption(HINSTANCE instance, HWND dialog, const std::wstring& languageCode, int feature) {
  const int buttonId = feature >= 1 && feature <= 5 ? kGuideButtons[feature - 1] : 0;
  Render(instance, dialog, buttonId, GuideCaption(languageCode));
}

}  // namespace quillo::ui
