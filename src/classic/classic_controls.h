#pragma once

// The controls of the classic window (dialog 143).

namespace quillo::classic {

inline constexpr int kDialog = 143;

inline constexpr int kLogo = 1000;
inline constexpr int kGraphicsLabel = 1052;
inline constexpr int kProcessorLabel = 1053;
inline constexpr int kGraphics = 1054;
inline constexpr int kProcessor = 1055;
inline constexpr int kDriverLabel = 1056;
inline constexpr int kSystemLabel = 1057;
inline constexpr int kDriver = 1058;
inline constexpr int kSystem = 1059;
inline constexpr int kChipsetLink = 1060;
inline constexpr int kDownload = 1061;
inline constexpr int kTargetLine = 1062;
inline constexpr int kBrowser = 1064;
inline constexpr int kStatusLine = 1065;
inline constexpr int kSeparator = 1066;
inline constexpr int kProgress = 1012;

}  // namespace quillo::classic
