#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "fakes/fake_ports.h"
#include "fakes/test_files.h"
#include "i18n/captions.h"
#include "i18n/language.h"
#include "i18n/tables.h"

namespace quillo {
namespace {

TEST(LanguageCodeTest, MapsTheFullIdentifier) {
  const std::pair<uint16_t, const wchar_t*> cases[] = {
      {1025, L"ARB"}, {1028, L"CHT"}, {1029, L"CSY"}, {1030, L"DAN"}, {1031, L"DEU"}, {1032, L"GRK"},
      {1033, L"ENU"}, {1034, L"ESP"}, {3082, L"ESP"}, {1035, L"FIN"}, {1038, L"HNG"}, {1040, L"ITA"},
      {1041, L"JAP"}, {1042, L"KOR"}, {1043, L"NLD"}, {1044, L"NOR"}, {2068, L"NOR"}, {1045, L"PLK"},
      {1046, L"PTB"}, {2070, L"PTB"}, {1049, L"RSA"}, {1053, L"SVE"}, {1054, L"THA"}, {1055, L"TRK"},
      {2052, L"CHS"}, {1, L"FRA"},
      // French, other regional variants and unlisted languages read English.
      {1036, L"ENU"}, {2057, L"ENU"}, {2058, L"ENU"}, {1050, L"ENU"}, {0, L"ENU"}, {0xFFFF, L"ENU"},
  };
  for (const auto& [id, code] : cases) EXPECT_EQ(GetLanguageCode(id), code) << id;
}

TEST(LanguageCodeTest, TheWindowsVariantLogsAndKeepsTheCode) {
  fakes::FakePorts fake;
  const auto folder = std::filesystem::path(testing::TempDir()) / "quillo-language";
  std::filesystem::create_directories(folder);
  fake.system.tempPath = folder.wstring() + L"/";
  RunLog log(fake.system);
  ASSERT_TRUE(log.Create());
  log.Enable();
  DisplayDetector detector(fake.devices, fake.registry, log);
  std::wstring current;
  EXPECT_EQ(GetLanguageCode(1041, detector, current), L"JAP");
  EXPECT_EQ(current, L"JAP");
  const std::string bytes = fakes::ReadBytes(log.path());
  EXPECT_EQ(bytes, "Log file created and initiating the pcrocess... \r\nLanguage string is JAP\r\r\n \r\n");
  std::filesystem::remove_all(folder);
}

struct TableCase {
  const wchar_t* code;
  EmbeddedFile main, header, cfsNotes, cwlNotes;
};

TEST(StringTableTest, ChoosesResourceAndFileByCode) {
  const TableCase cases[] = {
      {L"ENU", {151, L"QuilloENU.xml"}, {224, L"QLUHDRENU.xml"}, {173, L"QLUFTRCFSENU.txt"}, {213, L"QLUFTRCWLENU.txt"}},
      {L"JAP", {158, L"QuilloJAP.xml"}, {277, L"QLUHDRJPN.xml"}, {289, L"QLUFTRCFSJPN.txt"}, {301, L"QLUFTRCWLJPN.txt"}},
      {L"DEU", {150, L"QuilloDEU.xml"}, {223, L"QLUHDRDEU.xml"}, {176, L"QLUFTRCFSGER.txt"}, {216, L"QLUFTRCWLGER.txt"}},
      {L"FRA", {154, L"QuilloFRA.xml"}, {273, L"QLUHDRFRA.xml"}, {285, L"QLUFTRCFSFRA.txt"}, {297, L"QLUFTRCWLFRA.txt"}},
      {L"chs", {146, L"QuilloCHS.xml"}, {221, L"QLUHDRCHS.xml"}, {171, L"QLUFTRCFSCHS.txt"}, {211, L"QLUFTRCWLCHS.txt"}},
      {L"RSA", {164, L"QuilloRSA.xml"}, {230, L"QLUHDRRSA.xml"}, {179, L"QLUFTRCFSRSA.txt"}, {219, L"QLUFTRCWLRSA.txt"}},
      {L"TRK", {167, L"QuilloTRK.xml"}, {282, L"QLUHDRTRK.xml"}, {294, L"QLUFTRCFSTRK.txt"}, {306, L"QLUFTRCWLTRK.txt"}},
      // Arabic and unknown codes read English.
      {L"ARB", {151, L"QuilloENU.xml"}, {224, L"QLUHDRENU.xml"}, {173, L"QLUFTRCFSENU.txt"}, {213, L"QLUFTRCWLENU.txt"}},
      {L"XYZ", {151, L"QuilloENU.xml"}, {224, L"QLUHDRENU.xml"}, {173, L"QLUFTRCFSENU.txt"}, {213, L"QLUFTRCWLENU.txt"}},
  };
  for (const TableCase& c : cases) {
    const std::string code = testing::PrintToString(std::wstring(c.code));
    EXPECT_EQ(MainTableFor(c.code), c.main) << code;
    EXPECT_EQ(HeaderTableFor(c.code), c.header) << code;
    EXPECT_EQ(FeatureNotesFor(c.code, 1), c.cfsNotes) << code;
    EXPECT_EQ(FeatureNotesFor(c.code, 5), c.cwlNotes) << code;
  }
  EXPECT_EQ(FeatureNotesFor(L"SVE", 3), (EmbeddedFile{200, L"QLUFTRWVHSVE.txt"}));
  EXPECT_EQ(FeatureNotesFor(L"ENU", 0), EmbeddedFile{});
  EXPECT_EQ(FeatureNotesFor(L"ENU", 6), EmbeddedFile{});
}

TEST(StringTableTest, ExtractsTheTableAndLogsItsPath) {
  fakes::FakePorts fake;
  const auto folder = std::filesystem::path(testing::TempDir()) / "quillo-extract";
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  const std::wstring temp = folder.wstring() + L"/";
  fake.system.tempPath = temp;
  fake.resources.resources[{158, L"BINARY"}] = {0xFF, 0xFE, '<', 0};
  RunLog log(fake.system);
  ASSERT_TRUE(log.Create());
  log.Enable();
  DisplayDetector detector(fake.devices, fake.registry, log);

  // A stale file of the same name is replaced.
  std::ofstream(folder / "QuilloJAP.xml") << "stale and longer than the table";
  const std::wstring path = ExtractLocalizedXML(fake.resources, L"JAP", temp, &detector);
  EXPECT_EQ(path, temp + L"QuilloJAP.xml");
  EXPECT_EQ(std::filesystem::file_size(folder / "QuilloJAP.xml"), 4u);

  // A missing resource leaves an empty file, which reads as an empty table.
  EXPECT_EQ(ExtractFeatureNotes(fake.resources, L"DEU", 2, temp, detector), temp + L"QLUFTRRLXGER.txt");
  EXPECT_EQ(std::filesystem::file_size(folder / "QLUFTRRLXGER.txt"), 0u);
  EXPECT_EQ(ExtractLocalizedXML(fake.resources, L"", temp, nullptr), L"");

  const std::string bytes = fakes::ReadBytes(log.path());
  const std::string narrowTemp(temp.begin(), temp.end());
  EXPECT_NE(bytes.find("ExtractLocalizedXML - Extracted localized XML is " + narrowTemp + "QuilloJAP.xml\r\r\n \r\n"),
            std::string::npos);
  EXPECT_NE(bytes.find("ExtractFeatureNotes - Extracted localized XML is " + narrowTemp + "QLUFTRRLXGER.txt\r\r\n"),
            std::string::npos);
  std::filesystem::remove_all(folder);
}

TEST(CaptionTest, DownloadCaptionsFollowTheLanguage) {
  struct Case {
    const wchar_t* code;
    DownloadState state;
    bool sectioned;
    CaptionStyle expected;
  };
  const Case cases[] = {
      {L"ENU", DownloadState::kDownload, true, {L"Calibri", 24, 232, L"Download Now"}},
      {L"ENU", DownloadState::kCancel, false, {L"Calibri", 24, 232, L"Cancel Download"}},
      {L"JAP", DownloadState::kDownload, false, {L"Meiryo", 22, 232, L"今すぐダウンロード"}},
      {L"JAP", DownloadState::kCancel, false, {L"Meiryo", 18, 232, L"ダウンロードをキャンセル"}},
      {L"FRA", DownloadState::kDownload, false, {L"Calibri", 24, 231, L"Télécharger maintenant"}},
      {L"FRA", DownloadState::kCancel, true, {L"Calibri", 24, 231, L"Annuler le téléchargement"}},
      {L"NLD", DownloadState::kDownload, true, {L"Calibri", 24, 232, L"Nu downloaden"}},
      {L"NLD", DownloadState::kCancel, true, {L"Calibri", 24, 231, L"Downloaden annuleren"}},
      {L"tha", DownloadState::kCancel, true, {L"Tahoma", 21, 232, L"ยกเลิกการดาวน์โหลด"}},
      // A code without a row: English, and the wide picture for Download Now in the sectioned window only.
      {L"ARB", DownloadState::kDownload, true, {L"Calibri", 24, 231, L"Download Now"}},
      {L"ARB", DownloadState::kDownload, false, {L"Calibri", 24, 232, L"Download Now"}},
      {L"ARB", DownloadState::kCancel, true, {L"Calibri", 24, 232, L"Cancel Download"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DownloadCaption(c.code, c.state, c.sectioned), c.expected)
        << testing::PrintToString(std::wstring(c.code)) << (c.state == DownloadState::kCancel ? " cancel" : "");
  }
}

TEST(CaptionTest, GuideAndFeatureCaptionsUseTheWidePicture) {
  EXPECT_EQ(GuideCaption(L"GRK"), (CaptionStyle{L"Tahoma", 18, 231, L"Λήψη του οδηγού για τα πρώτα βήματα"}));
  EXPECT_EQ(GuideCaption(L"DEU"), (CaptionStyle{L"Calibri", 24, 231, L"„Erste Schritte“ herunterladen"}));
  EXPECT_EQ(GuideCaption(L"ARB"), (CaptionStyle{L"Calibri", 24, 231, L"Download Getting Started Guide"}));

  EXPECT_EQ(FeatureDownloadCaption(L"ENU", 2), (CaptionStyle{L"Calibri", 24, 231, L"Download Rapidline"}));
  EXPECT_EQ(FeatureDownloadCaption(L"XYZ", 4), (CaptionStyle{L"Calibri", 24, 231, L"Download Smilekey"}));
  struct Height {
    const wchar_t* code;
    int feature;
    int height;
    const wchar_t* font;
  };
  const Height heights[] = {
      {L"GRK", 2, 21, L"Tahoma"},  {L"GRK", 4, 21, L"Tahoma"},  {L"HNG", 3, 24, L"Calibri"},
      {L"HNG", 4, 21, L"Calibri"}, {L"JAP", 3, 19, L"Meiryo"},  {L"JAP", 4, 22, L"Meiryo"},
      {L"PLK", 3, 20, L"Calibri"}, {L"DAN", 2, 23, L"Calibri"}, {L"CHS", 2, 24, L"Microsoft YaHei"},
      {L"THA", 3, 24, L"Tahoma"},
  };
  for (const Height& h : heights) {
    const CaptionStyle style = FeatureDownloadCaption(h.code, h.feature);
    EXPECT_EQ(style.height, h.height) << testing::PrintToString(std::wstring(h.code)) << h.feature;
    EXPECT_EQ(style.fontName, h.font) << testing::PrintToString(std::wstring(h.code));
    EXPECT_EQ(style.image, 231);
  }
  // Every language names the feature on its own button.
  for (const wchar_t* code : {L"CHS", L"DEU", L"JAP", L"THA", L"RSA"}) {
    EXPECT_NE(FeatureDownloadCaption(code, 2).caption, L"Download Rapidline") << testing::PrintToString(std::wstring(code));
    EXPECT_NE(FeatureDownloadCaption(code, 2).caption.find(L"Rapidline"), std::wstring::npos);
  }
}

}  // namespace
}  // namespace quillo
