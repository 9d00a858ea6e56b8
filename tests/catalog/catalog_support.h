#pragma once

// What the catalogue tests share: the platform's own XML reader, the fixture
// catalogues, and what the passes write to standard output.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "fakes/fake_ports.h"
#include "ports/xml_reader.h"

#ifdef _WIN32
#include "platform/win32/win32_ports.h"
#else
#include "platform/libxml2/libxml2_ports.h"
#endif

namespace quillo::catalog_tests {

// XmlLite under Windows, libxml2 elsewhere: the same fixtures must read the
// same through either.
#ifdef _WIN32
using PlatformXmlReaders = win32::XmlReaders;
#else
using PlatformXmlReaders = libxml2::XmlReaders;
#endif

// `name` in the folder `folder` (a Unix path), as the platform's reader opens
// it: Wine maps the Unix root to drive Z:.
inline std::wstring FileIn(const std::string& folder, const std::string& name) {
  const std::string unixPath = folder + "/" + name;
  std::wstring path;
#ifdef _WIN32
  path = L"Z:";
  for (char c : unixPath) path += c == '/' ? L'\\' : static_cast<wchar_t>(c);
#else
  path.assign(unixPath.begin(), unixPath.end());
#endif
  return path;
}

// A fixture catalogue by file name. QUILLO_CATALOG_FIXTURES names their folder.
inline std::wstring Fixture(const std::string& name) {
  const char* folder = std::getenv("QUILLO_CATALOG_FIXTURES");
  if (folder == nullptr) {
    ADD_FAILURE() << "QUILLO_CATALOG_FIXTURES names the fixture folder";
    return std::wstring();
  }
  return FileIn(folder, name);
}

// What `action` writes to standard output. On Windows the C runtime writes a
// line feed there as carriage return and line feed; the texts compare
// without the carriage returns it adds.
template <typename Action>
std::string StandardOutput(Action action) {
  testing::internal::CaptureStdout();
  action();
  std::string output = testing::internal::GetCapturedStdout();
#ifdef _WIN32
  std::string lines;
  for (size_t i = 0; i < output.size(); ++i) {
    if (output[i] == '\r' && i + 1 < output.size() && output[i + 1] == '\n') continue;
    lines += output[i];
  }
  output = lines;
#endif
  return output;
}

// One "attribute chunk size" line of the catalogue walk for an ASCII piece.
inline std::string Chunk(const std::string& piece) {
  return "attribute chunk size:" + std::to_string(piece.size()) + " >" + piece + "<\n";
}

inline std::string FileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// A folder of its own for one test, as the temporary folder of the fakes.
class TempFolder {
 public:
  TempFolder() {
    const auto* test = testing::UnitTest::GetInstance()->current_test_info();
    path_ = std::filesystem::temp_directory_path() /
            (std::string("quillo-catalog-") + test->test_suite_name() + "-" + test->name());
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // As GetTempPathW gives it: ending in a separator.
  std::wstring WithSeparator() const {
#ifdef _WIN32
    return path_.wstring() + L"\\";
#else
    return path_.wstring() + L"/";
#endif
  }

 private:
  std::filesystem::path path_;
};

// A string table as the program carries it: UTF-16 with a byte-order mark.
inline std::vector<uint8_t> CaptionTable(const std::map<int, std::wstring>& captions) {
  std::wstring xml = L"\uFEFF<?xml version=\"1.0\" encoding=\"utf-16\"?>\r\n<Root><Language Name=\"Test\" "
                     L"Align=\"Left\" ID=\"TST\"><Products><Product Name=\"QuilloUtility\" ID=\"QLU\">\r\n";
  for (const auto& [value, text] : captions) {
    xml += L"<Caption ID=\"IDS_X\" Value=\"" + std::to_wstring(value) + L"\">" + text + L"</Caption>\r\n";
  }
  xml += L"</Product></Products></Language></Root>\r\n";
  std::vector<uint8_t> bytes;
  for (wchar_t c : xml) {
    bytes.push_back(static_cast<uint8_t>(c & 0xFF));
    bytes.push_back(static_cast<uint8_t>((c >> 8) & 0xFF));
  }
  return bytes;
}

// The processor brand string as the CPUID brand leaves give it.
inline void SetProcessorBrand(fakes::FakeSystemInfo& system, const std::string& brand) {
  std::string padded = brand;
  padded.resize(48, '\0');
  system.cpuid[0x80000000] = CpuidRegisters{0x80000004, 0, 0, 0};
  for (uint32_t leaf = 0; leaf < 3; ++leaf) {
    uint32_t words[4];
    for (int w = 0; w < 4; ++w) {
      words[w] = 0;
      for (int b = 3; b >= 0; --b) {
        words[w] = (words[w] << 8) | static_cast<unsigned char>(padded[leaf * 16 + static_cast<uint32_t>(w) * 4 + static_cast<uint32_t>(b)]);
      }
    }
    system.cpuid[0x80000002 + leaf] = CpuidRegisters{words[0], words[1], words[2], words[3]};
  }
}

}  // namespace quillo::catalog_tests
