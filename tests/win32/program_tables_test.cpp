// The string tables and feature notes as the built program carries them:
// each language's resources extracted the way the program extracts them,
// compared with the files the build made from the translators' sources and
// read back through the caption pass on XmlLite.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "app/run_log.h"
#include "catalog/xml_passes.h"
#include "detect/adapters.h"
#include "i18n/tables.h"
#include "platform/win32/win32_ports.h"
#include "win32/program_path.h"

namespace quillo {
namespace {

const wchar_t* const kCodes[] = {L"CHS", L"CHT", L"CSY", L"DAN", L"DEU", L"ENU", L"ESP", L"FIN",
                                 L"FRA", L"GRK", L"HNG", L"ITA", L"JAP", L"KOR", L"NLD", L"NOR",
                                 L"PLK", L"PTB", L"RSA", L"SVE", L"THA", L"TRK"};
const wchar_t* const kFeatures[] = {L"CFS", L"RLX", L"WVH", L"SMK", L"CWL"};
constexpr int32_t kDriverHeading = 206;  // the key the Portuguese (Brazil) header table lacks
// Product names, the same in every language.
constexpr int32_t kTitle = 138;
constexpr int32_t kFirstFeatureName = 201;

std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

size_t Placeholders(const std::wstring& text) {
  size_t count = 0;
  for (size_t at = text.find(L"%s"); at != std::wstring::npos; at = text.find(L"%s", at + 2)) ++count;
  return count;
}

class ProgramTablesTest : public testing::Test {
 protected:
  void SetUp() override {
    const std::wstring program = test::ProgramPath();
    generated_ = test::WindowsPathFromEnvironment("QUILLO_I18N_GENERATED");
    ASSERT_FALSE(program.empty()) << "QUILLO_PROGRAM names the program under test";
    ASSERT_FALSE(generated_.empty()) << "QUILLO_I18N_GENERATED names the build's generated tables";
    module_ = LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(module_, nullptr);
    resources_.emplace(module_);

    wchar_t temp[MAX_PATH];
    ASSERT_NE(GetTempPathW(MAX_PATH, temp), 0u);
    folder_ = std::wstring(temp) + L"quillo-program-tables\\";
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override {
    std::filesystem::remove_all(folder_);
    if (module_ != nullptr) FreeLibrary(module_);
  }

  // The extracted file holds exactly the bytes the build generated for `name`.
  void ExpectGenerated(const std::wstring& extracted, const std::wstring& name) {
    const std::string bytes = ReadBytes(extracted);
    ASSERT_GE(bytes.size(), 2u) << testing::PrintToString(extracted);
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE") << "UTF-16 LE with its byte-order mark";
    const std::string made = ReadBytes(generated_ + L"\\" + name);
    EXPECT_TRUE(bytes == made) << testing::PrintToString(extracted) << " (" << bytes.size()
                               << " bytes) is not the build's " << testing::PrintToString(name) << " ("
                               << made.size() << " bytes)";
  }

  CaptionMap Captions(const std::wstring& code) {
    win32::SystemInfo system;
    win32::DisplayDevices devices;
    win32::Registry registry;
    RunLog log(system);
    DisplayDetector detector(devices, registry, log);
    const std::wstring main = ExtractLocalizedXML(*resources_, code, folder_, &detector);
    const std::wstring header = ExtractLocalizedHeaderXML(*resources_, code, folder_, detector);
    ExpectGenerated(main, L"Quillo" + code + L".xml");
    ExpectGenerated(header, L"QLUHDR" + code + L".xml");

    CaptionMap captions;
    CaptionWalk walk;
    LoadCaptionMap(xml_, walk, captions, main);
    LoadCaptionMap(xml_, walk, captions, header);
    return captions;
  }

  HMODULE module_ = nullptr;
  std::optional<win32::Resources> resources_;
  win32::XmlReaders xml_;
  std::wstring generated_;
  std::wstring folder_;
};

TEST_F(ProgramTablesTest, EveryLanguageHasEveryCaptionWithTheEnglishPlaceholders) {
  const CaptionMap english = Captions(L"ENU");
  ASSERT_EQ(english.size(), 32u);
  EXPECT_EQ(english.begin()->first, 125);
  EXPECT_EQ(english.rbegin()->first, 208);
  EXPECT_EQ(english.at(133), L"Cancel Downlaod");
  EXPECT_EQ(english.at(139), L"File is getting downloaded to %s");

  for (const wchar_t* code : kCodes) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(code)));
    const CaptionMap captions = Captions(code);
    const bool portugueseBrazil = std::wstring(code) == L"PTB";
    EXPECT_EQ(captions.size(), portugueseBrazil ? 31u : 32u);
    EXPECT_EQ(captions.count(kDriverHeading), portugueseBrazil ? 0u : 1u);
    for (const auto& [key, text] : english) {
      if (portugueseBrazil && key == kDriverHeading) continue;
      const auto found = captions.find(key);
      if (found == captions.end()) {
        ADD_FAILURE() << "no caption " << key;
        continue;
      }
      EXPECT_FALSE(found->second.empty()) << key;
      EXPECT_EQ(Placeholders(found->second), Placeholders(text)) << key;
      // A sentence is translated, not left in English (single words such
      // as "Driver" may well be the same; product names always are).
      const bool sentence = std::count(text.begin(), text.end(), L' ') >= 4;
      const bool productName = key == kTitle || (key >= kFirstFeatureName && key < kDriverHeading);
      if (std::wstring(code) != L"ENU" && sentence && !productName) {
        EXPECT_NE(found->second, text) << key << ": translated, not left in English";
      }
    }
  }
}

TEST_F(ProgramTablesTest, EveryFeatureNotesTextIsTheOneTheBuildMade) {
  win32::SystemInfo system;
  win32::DisplayDevices devices;
  win32::Registry registry;
  RunLog log(system);
  DisplayDetector detector(devices, registry, log);
  std::set<std::string> texts;
  for (const wchar_t* code : kCodes) {
    for (int feature = 1; feature <= 5; ++feature) {
      SCOPED_TRACE(testing::PrintToString(std::wstring(code)) + " feature " + std::to_string(feature));
      const std::wstring path = ExtractFeatureNotes(*resources_, code, feature, folder_, detector);
      ExpectGenerated(path, L"QLUFTR" + std::wstring(kFeatures[feature - 1]) + code + L".txt");
      texts.insert(ReadBytes(path));
    }
  }
  EXPECT_EQ(texts.size(), 110u) << "no two languages or features share a text";
}

}  // namespace
}  // namespace quillo
