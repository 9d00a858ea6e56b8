#include "i18n/tables.h"

#include <cwctype>
#include <filesystem>
#include <fstream>

namespace quillo {
namespace {

struct TableRow {
  const wchar_t* code;
  int mainResource;
  int headerResource;
  const wchar_t* headerSuffix;  // the header file names Japanese "JPN"
  int notes[5];                 // features 1 to 5
  const wchar_t* notesSuffix;   // and the notes name German "GER"
};

// Table order matters only for the first match; codes are unique.
constexpr TableRow kRows[] = {
    {L"CHS", 146, 221, L"CHS", {171, 181, 191, 201, 211}, L"CHS"},
    {L"CHT", 147, 271, L"CHT", {283, 235, 259, 247, 295}, L"CHT"},
    {L"CSY", 148, 272, L"CSY", {284, 236, 260, 248, 296}, L"CSY"},
    {L"DAN", 149, 222, L"DAN", {172, 182, 192, 202, 212}, L"DAN"},
    {L"DEU", 150, 223, L"DEU", {176, 186, 196, 206, 216}, L"GER"},
    {L"ENU", 151, 224, L"ENU", {173, 183, 193, 203, 213}, L"ENU"},
    {L"ESP", 152, 225, L"ESP", {174, 184, 194, 204, 214}, L"ESP"},
    {L"FIN", 153, 226, L"FIN", {175, 185, 195, 205, 215}, L"FIN"},
    {L"FRA", 154, 273, L"FRA", {285, 237, 261, 249, 297}, L"FRA"},
    {L"GRK", 155, 274, L"GRK", {286, 238, 262, 250, 298}, L"GRK"},
    {L"HNG", 156, 275, L"HNG", {287, 239, 263, 251, 299}, L"HNG"},
    {L"ITA", 157, 276, L"ITA", {288, 240, 264, 252, 300}, L"ITA"},
    {L"JAP", 158, 277, L"JPN", {289, 241, 265, 253, 301}, L"JPN"},
    {L"KOR", 159, 278, L"KOR", {290, 242, 266, 254, 302}, L"KOR"},
    {L"NLD", 160, 279, L"NLD", {291, 243, 267, 255, 303}, L"NLD"},
    {L"NOR", 161, 227, L"NOR", {177, 187, 197, 207, 217}, L"NOR"},
    {L"PLK", 162, 280, L"PLK", {292, 244, 268, 256, 304}, L"PLK"},
    {L"PTB", 163, 228, L"PTB", {178, 188, 198, 208, 218}, L"PTB"},
    {L"RSA", 164, 230, L"RSA", {179, 189, 199, 209, 219}, L"RSA"},
    {L"SVE", 165, 229, L"SVE", {180, 190, 200, 210, 220}, L"SVE"},
    {L"THA", 166, 281, L"THA", {293, 245, 269, 257, 305}, L"THA"},
    {L"TRK", 167, 282, L"TRK", {294, 246, 270, 258, 306}, L"TRK"},
};
constexpr const TableRow& kEnglish = kRows[5];

const wchar_t* kFeatureCodes[] = {L"CFS", L"RLX", L"WVH", L"SMK", L"CWL"};

bool SameCode(const std::wstring& a, const wchar_t* b) {
  const std::wstring other = b;
  if (a.size() != other.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::towupper(static_cast<wint_t>(a[i])) != std::towupper(static_cast<wint_t>(other[i]))) return false;
  }
  return true;
}

const TableRow& RowFor(const std::wstring& code) {
  for (const TableRow& row : kRows) {
    if (SameCode(code, row.code)) return row;
  }
  return kEnglish;
}

std::wstring Extract(ResourcePort& resources, const EmbeddedFile& file, const std::wstring& folder) {
  const std::wstring path = folder + file.fileName;
  ExtractBinaryResource(resources, file.resource, L"BINARY", path);
  return path;
}

}  // namespace

EmbeddedFile MainTableFor(const std::wstring& code) {
  const TableRow& row = RowFor(code);
  return {row.mainResource, L"Quillo" + std::wstring(row.code) + L".xml"};
}

EmbeddedFile HeaderTableFor(const std::wstring& code) {
  const TableRow& row = RowFor(code);
  return {row.headerResource, L"QLUHDR" + std::wstring(row.headerSuffix) + L".xml"};
}

EmbeddedFile FeatureNotesFor(const std::wstring& code, int feature) {
  if (feature < 1 || feature > 5) return {};
  const TableRow& row = RowFor(code);
  return {row.notes[feature - 1],
          L"QLUFTR" + std::wstring(kFeatureCodes[feature - 1]) + std::wstring(row.notesSuffix) + L".txt"};
}

bool ExtractBinaryResource(ResourcePort& resources, int resource, const std::wstring& type, const std::wstring& path) {
  const auto bytes = resources.Find(resource, type);
  std::ofstream out(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
  if (bytes && out) out.write(reinterpret_cast<const char*>(bytes->data()), static_cast<std::streamsize>(bytes->size()));
  return true;
}

std::wstring ExtractLocalizedXML(ResourcePort& resources, const std::wstring& code, const std::wstring& folder,
                                 DisplayDetector* detector) {
  const std::wstring path = code.empty() ? std::wstring() : Extract(resources, MainTableFor(code), folder);
  if (detector != nullptr) detector->WriteLog(L"ExtractLocalizedXML - Extracted localized XML is " + path + L"\r\n");
  return path;
}

std::wstring ExtractLocalizedHeaderXML(ResourcePort& resources, const std::wstring& code, const std::wstring& folder,
                                       DisplayDetector& detector) {
  const std::wstring path = code.empty() ? std::wstring() : Extract(resources, HeaderTableFor(code), folder);
  detector.WriteLog(L"ExtractLocalizedXML - Extracted localized XML is " + path + L"\r\n");
  return path;
}

std::wstring ExtractFeatureNotes(ResourcePort& resources, const std::wstring& code, int feature,
                                 const std::wstring& folder, DisplayDetector& detector) {
  const std::wstring path = code.empty() ? std::wstring() : Extract(resources, FeatureNotesFor(code, feature), folder);
  detector.WriteLog(L"ExtractFeatureNotes - Extracted localized XML is " + path + L"\r\n");
  return path;
}

}  // namespace quillo
