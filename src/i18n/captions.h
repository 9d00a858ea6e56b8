#pragma once

#include <string>

namespace quillo {

// The background pictures of the captioned buttons.
inline constexpr int kNarrowCaptionImage = 232;  // 171 x 30 pixels
inline constexpr int kWideCaptionImage = 231;    // 300 x 31 pixels, for long captions

// How one button caption is drawn: the text in white, in the font of the
// language, on a background picture of the program.
struct CaptionStyle {
  std::wstring fontName;
  int height = 0;  // logical font height
  int image = 0;   // bitmap resource
  std::wstring caption;
  friend bool operator==(const CaptionStyle&, const CaptionStyle&) = default;
};

enum class DownloadState { kDownload, kCancel };

// Download Now and its cancel state, by language code (compared without
// regard to case). The sectioned main window draws the Download Now caption
// of a code without a row of its own on the wide picture.
CaptionStyle DownloadCaption(const std::wstring& code, DownloadState state, bool sectionedWindow);

// The download state of the installer buttons of features 2, 3 and 4.
CaptionStyle FeatureDownloadCaption(const std::wstring& code, int feature);

// The start-guide buttons, the same for all five features.
CaptionStyle GuideCaption(const std::wstring& code);

}  // namespace quillo
