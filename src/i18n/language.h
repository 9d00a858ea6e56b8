#pragma once

#include <cstdint>
#include <string>

#include "detect/adapters.h"

namespace quillo {

// The three-letter code ("ENU", "DEU", ...) of a Windows UI language
// identifier; "ENU" for every identifier the table does not list.
std::wstring GetLanguageCode(uint16_t languageId);

// The windows' variant: also logs the code and keeps it as the current one,
// which usage events and the survey link read.
std::wstring GetLanguageCode(uint16_t languageId, DisplayDetector& detector, std::wstring& currentCode);

}  // namespace quillo
