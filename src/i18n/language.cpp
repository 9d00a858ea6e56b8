#include "i18n/language.h"

namespace quillo {

std::wstring GetLanguageCode(uint16_t languageId) {
  struct Row {
    uint16_t id;
    const wchar_t* code;
  };
  // Windows never reports 1 as a UI language, so French users read the
  // English tables; the French entries of the other tables stay reachable
  // only through this row.
  static constexpr Row kRows[] = {
      {1025, L"ARB"}, {1028, L"CHT"}, {1029, L"CSY"}, {1030, L"DAN"}, {1031, L"DEU"}, {1032, L"GRK"},
      {1033, L"ENU"}, {1034, L"ESP"}, {3082, L"ESP"}, {1035, L"FIN"}, {1038, L"HNG"}, {1040, L"ITA"},
      {1041, L"JAP"}, {1042, L"KOR"}, {1043, L"NLD"}, {1044, L"NOR"}, {2068, L"NOR"}, {1045, L"PLK"},
      {1046, L"PTB"}, {2070, L"PTB"}, {1049, L"RSA"}, {1053, L"SVE"}, {1054, L"THA"}, {1055, L"TRK"},
      {2052, L"CHS"}, {1, L"FRA"},
  };
  for (const Row& row : kRows) {
    if (row.id == languageId) return row.code;
  }
  return L"ENU";
}

std::wstring GetLanguageCode(uint16_t languageId, DisplayDetector& detector, std::wstring& currentCode) {
  currentCode = GetLanguageCode(languageId);
  detector.WriteLog(L"Language string is " + currentCode + L"\r\n");
  return currentCode;
}

}  // namespace quillo
