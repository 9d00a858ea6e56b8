#pragma once

// The keys of the main string table that the program reads, by their
// numbers in the table (the translators' sources name them IDS_...).

namespace quillo::caption_keys {

inline constexpr int kNoVendorHardware = 125;      // IDS_NO_VELMORAHW
inline constexpr int kUnsupportedSystem = 126;     // IDS_UNSUPPORTED_OS
inline constexpr int kDriverAlreadyExists = 127;   // IDS_DRIVER_ALREADY_EXISTS
inline constexpr int kGraphicsLabel = 128;         // IDS_GRAPHICS_HW
inline constexpr int kSystemLabel = 129;           // IDS_OS
inline constexpr int kProcessorLabel = 130;        // IDS_PROCESSOR
inline constexpr int kBestDriverLabel = 131;       // IDS_BEST_DRIVER
inline constexpr int kDownloadCancelled = 137;     // IDS_DWLD_CANCELLED
inline constexpr int kTitle = 138;                 // IDS_TITLE
inline constexpr int kChipsetLink = 140;           // IDS_SBDRV
inline constexpr int kTargetLine = 142;            // IDS_TRGPATH
inline constexpr int kNoDriver = 144;              // IDS_NO_HW
inline constexpr int kNoConnection = 146;          // IDS_NO_INET
inline constexpr int kDownloadComplete = 147;      // IDS_DWNLD_CMP
inline constexpr int kNotVerified = 148;           // IDS_NOT_VERIFIED

}  // namespace quillo::caption_keys
