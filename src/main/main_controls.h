#pragma once

// The controls of the sectioned main window (dialog 102).

namespace quillo::mainwin {

inline constexpr int kDialog = 102;

inline constexpr int kLogo = 1000;
inline constexpr int kDriverHeader = 1001;
inline constexpr int kGraphicsLabel = 1002;
inline constexpr int kProcessorLabel = 1003;
inline constexpr int kGraphics = 1004;
inline constexpr int kProcessor = 1005;
inline constexpr int kDriverLabel = 1006;
inline constexpr int kSystemLabel = 1007;
inline constexpr int kDriver = 1008;
inline constexpr int kSystem = 1009;
inline constexpr int kChipsetLink = 1010;
inline constexpr int kDownload = 1011;
inline constexpr int kProgress = 1012;
inline constexpr int kTargetLine = 1013;
inline constexpr int kStatusLine = 1014;
inline constexpr int kSeparator = 1015;
inline constexpr int kDriverToggle = 1016;
inline constexpr int kFeaturesHeader = 1017;
inline constexpr int kFeaturesText = 1023;
inline constexpr int kNotes = 1035;
inline constexpr int kPicture = 1036;
inline constexpr int kFootNotes = 1078;

// Feature 1 to 5: Clearframe with Stillshot, Rapidline, Wavehand, Smilekey, Castwell.
inline constexpr int kFeatureTitles[] = {1018, 1021, 1024, 1028, 1030};
inline constexpr int kFeatureToggles[] = {1019, 1022, 1025, 1029, 1031};
inline constexpr int kGuideButtons[] = {1020, 1026, 1027, 1032, 1033};
// Features 2 to 4 only.
inline constexpr int kFeatureDownloads[] = {1043, 1044, 1045};
inline constexpr int kFeatureProgress[] = {1046, 1047, 1048};
inline constexpr int kFeatureStatus[] = {1049, 1050, 1051};

// The system-menu command of the about box.
inline constexpr unsigned kAboutCommand = 16;

}  // namespace quillo::mainwin
