#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "ui/common/captions_win32.h"

namespace quillo::ui {
namespace {

struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<COLORREF> rgb;  // top row first
  bool White(int x, int y) const { return rgb[static_cast<size_t>(y * width + x)] == RGB(255, 255, 255); }
};

Pixels Read(HBITMAP bitmap) {
  BITMAP info{};
  GetObjectW(bitmap, sizeof info, &info);
  Pixels pixels;
  pixels.width = info.bmWidth;
  pixels.height = info.bmHeight;
  BITMAPINFO request{};
  request.bmiHeader.biSize = sizeof request.bmiHeader;
  request.bmiHeader.biWidth = info.bmWidth;
  request.bmiHeader.biHeight = -info.bmHeight;
  request.bmiHeader.biPlanes = 1;
  request.bmiHeader.biBitCount = 32;
  request.bmiHeader.biCompression = BI_RGB;
  std::vector<DWORD> raw(static_cast<size_t>(info.bmWidth * info.bmHeight));
  HDC screen = GetDC(nullptr);
  GetDIBits(screen, bitmap, 0, static_cast<UINT>(info.bmHeight), raw.data(), &request, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  for (DWORD bgr : raw) pixels.rgb.push_back(RGB((bgr >> 16) & 0xFF, (bgr >> 8) & 0xFF, bgr & 0xFF));
  return pixels;
}

// Saves what a person should look at, when the run asks for it.
void Save(HBITMAP bitmap, const std::string& name) {
  const char* folder = std::getenv("QUILLO_SHOTS_DIR");
  if (folder == nullptr) return;
  const Pixels pixels = Read(bitmap);
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER header{};
  header.biSize = sizeof header;
  header.biWidth = pixels.width;
  header.biHeight = -pixels.height;
  header.biPlanes = 1;
  header.biBitCount = 32;
  const DWORD bytes = static_cast<DWORD>(pixels.rgb.size() * 4);
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof header;
  file.bfSize = file.bfOffBits + bytes;
  std::vector<DWORD> raw;
  for (COLORREF c : pixels.rgb) raw.push_back((GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c));
  std::string path = "Z:";
  for (const char* c = folder; *c != '\0'; ++c) path += *c == '/' ? '\\' : *c;
  path += "\\caption-" + name + ".bmp";
  HANDLE out = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(out, &file, sizeof file, &written, nullptr);
  WriteFile(out, &header, sizeof header, &written, nullptr);
  WriteFile(out, raw.data(), bytes, &written, nullptr);
  CloseHandle(out);
}

struct RenderCase {
  const char* name;
  CaptionStyle style;
  int width, height;
};

TEST(CaptionPictureTest, DrawsWhiteTextFromFivePixelsInOnTheBackground) {
  const RenderCase cases[] = {
      {"ENU-download", DownloadCaption(L"ENU", DownloadState::kDownload, false), 171, 30},
      {"FRA-download", DownloadCaption(L"FRA", DownloadState::kDownload, false), 300, 31},
      {"NLD-cancel", DownloadCaption(L"NLD", DownloadState::kCancel, true), 300, 31},
      {"JAP-cancel", DownloadCaption(L"JAP", DownloadState::kCancel, false), 171, 30},
      {"THA-download", DownloadCaption(L"THA", DownloadState::kDownload, false), 171, 30},
      {"CHS-guide", GuideCaption(L"CHS"), 300, 31},
      {"GRK-guide", GuideCaption(L"GRK"), 300, 31},
      {"DEU-rapidline", FeatureDownloadCaption(L"DEU", 2), 300, 31},
      {"KOR-smilekey", FeatureDownloadCaption(L"KOR", 4), 300, 31},
  };
  for (const RenderCase& c : cases) {
    HBITMAP picture = ComposeCaption(GetModuleHandleW(nullptr), GetDesktopWindow(), c.style);
    ASSERT_NE(picture, nullptr) << c.name;
    const Pixels pixels = Read(picture);
    EXPECT_EQ(pixels.width, c.width) << c.name;
    EXPECT_EQ(pixels.height, c.height) << c.name;

    int whiteInText = 0, whiteOutside = 0;
    for (int y = 0; y < pixels.height; ++y) {
      for (int x = 0; x < pixels.width; ++x) {
        if (!pixels.White(x, y)) continue;
        (x >= 5 && y >= 3 ? whiteInText : whiteOutside)++;
      }
    }
    EXPECT_GT(whiteInText, 20) << c.name << ": the caption is drawn in white";
    EXPECT_EQ(whiteOutside, 0) << c.name << ": nothing is drawn left of x 5 or above y 3";
    EXPECT_FALSE(pixels.White(0, 0)) << c.name << ": the background picture stays";
    Save(picture, c.name);
    DeleteObject(picture);
  }
}

TEST(CaptionPictureTest, TheButtonTakesThePictureAndItsSize) {
  HWND dialog = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW, 0, 0, 600, 400, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(dialog, nullptr);
  HWND button = CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE | BS_BITMAP, 40, 50, 10, 10, dialog,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(kClassicDownloadButton)),
                                GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(button, nullptr);
  HWND guide = CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE | BS_BITMAP, 10, 100, 10, 10, dialog,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(kGuideButtons[2])),
                               GetModuleHandleW(nullptr), nullptr);

  auto placeOf = [dialog](HWND control) {
    RECT r{};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
  };
  PaintDownloadButton(GetModuleHandleW(nullptr), dialog, L"ENU");
  RECT r = placeOf(button);
  EXPECT_EQ(r.left, 40);
  EXPECT_EQ(r.top, 50);
  EXPECT_EQ(r.right - r.left, 171);
  EXPECT_EQ(r.bottom - r.top, 30);
  EXPECT_NE(SendMessageW(button, BM_GETIMAGE, IMAGE_BITMAP, 0), 0);

  PaintCancelButton(GetModuleHandleW(nullptr), dialog, L"FRA");
  r = placeOf(button);
  EXPECT_EQ(r.right - r.left, 300);
  EXPECT_EQ(r.bottom - r.top, 31);

  RenderGuideCaption(GetModuleHandleW(nullptr), dialog, L"ENU", 3);
  r = placeOf(guide);
  EXPECT_EQ(r.right - r.left, 300);
  DestroyWindow(dialog);
}

}  // namespace
}  // namespace quillo::ui
