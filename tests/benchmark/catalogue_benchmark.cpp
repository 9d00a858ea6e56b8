// Times the driver catalogue pass on a large synthetic catalogue (thousands
// of device groups, the adapter's group last, so the whole file is read)
// and libxml2's own streaming parse of the same file (xmllint --stream), and
// reports milliseconds per megabyte and their ratio. Not a test.
//
//   catalogue_benchmark [GROUPS] [FOLDER]

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "catalog/xml_passes.h"
#include "platform/libxml2/libxml2_ports.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRuns = 5;

std::string Hex4(unsigned value) {
  char text[8];
  std::snprintf(text, sizeof text, "%04X", value & 0xFFFF);
  return text;
}

void WriteCatalogue(const std::filesystem::path& path, unsigned groups) {
  std::ofstream out(path, std::ios::binary);
  out << "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<catalogue>\n";
  for (unsigned g = 0; g < groups; ++g) {
    // Device IDs 1000 and up; the adapter, 7A10, only in the last group.
    const std::string first = g + 1 == groups ? "7A10" : Hex4(0x1000 + 2 * g);
    const std::string number = std::to_string(g);
    out << "  <product label=\"Velmora Iris " << number << "\">\n"
        << "    <devices ids=\"" << first << " " << Hex4(0x1001 + 2 * g) << "\" rid=\"00\">\n";
    for (const char* system : {"Windows 7 - 64 Bit", "Windows 8.1 - 64 Bit", "Windows 10 - 64 Bit"}) {
      out << "      <driver type=\"" << system << "\" internal=\"24.20.100." << number << "\" beta=\"24.20.101."
          << number << "\" file=\"http://download.test/drivers/" << number << "/velmora_" << number
          << ".exe\" filesize=\"345 MB\" minimalsetup=\"http://download.test/drivers/" << number
          << "/setup.exe\" minimalsetupsize=\"12 MB\"/>\n";
    }
    out << "    </devices>\n  </product>\n";
  }
  out << "</catalogue>\n";
}

template <typename Action>
double BestMilliseconds(Action action) {
  double best = 1e300;
  for (int run = 0; run < kRuns; ++run) {
    const auto start = Clock::now();
    action();
    best = std::min(best, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  return best;
}

bool RunXmllint(const std::string& file) {
  const char* argv[] = {"xmllint", "--stream", "--noout", file.c_str(), nullptr};
  pid_t pid = 0;
  if (posix_spawnp(&pid, "xmllint", nullptr, nullptr, const_cast<char**>(argv), environ) != 0) return false;
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  const unsigned groups = argc > 1 ? static_cast<unsigned>(std::strtoul(argv[1], nullptr, 10)) : 8000;
  const std::filesystem::path folder = argc > 2 ? argv[2] : std::filesystem::temp_directory_path();
  const std::filesystem::path file = folder / "quillo-benchmark-catalogue.xml";
  WriteCatalogue(file, groups);
  const double megabytes = static_cast<double>(std::filesystem::file_size(file)) / (1024.0 * 1024.0);

  if (!RunXmllint(file.string())) {
    std::fprintf(stderr, "xmllint --stream failed or is missing (Debian package libxml2-utils)\n");
    return 1;
  }
  const double xmllint = BestMilliseconds([&] { RunXmllint(file.string()); });

  // The reader alone: every node, every attribute value in pieces of 255,
  // as the pass reads them, without the walk and its diagnostic lines.
  quillo::libxml2::XmlReaders xml;
  size_t characters = 0;
  const double reader = BestMilliseconds([&] {
    quillo::XmlOpenResult opened = xml.Open(file.wstring(), quillo::XmlOpenOptions{});
    quillo::XmlNodeType type = quillo::XmlNodeType::kNone;
    wchar_t buffer[256];
    characters = 0;
    while (opened.reader && opened.reader->Read(&type) == quillo::kXmlOk) {
      if (type != quillo::XmlNodeType::kElement) continue;
      for (int32_t at = opened.reader->MoveToFirstAttribute(); at == quillo::kXmlOk;
           at = opened.reader->MoveToNextAttribute()) {
        uint32_t read = 0;
        while (opened.reader->ReadValueChunk(buffer, 255, &read) == quillo::kXmlOk && read > 0) characters += read;
      }
    }
  });

  // The pass's diagnostic lines go to standard output, as in the program;
  // here they go nowhere, and the report comes out on the saved descriptor.
  std::fflush(stdout);
  const int report = dup(STDOUT_FILENO);
  if (report < 0 || std::freopen("/dev/null", "w", stdout) == nullptr) return 1;
  bool complete = false;
  const double pass = BestMilliseconds([&] {
    quillo::CatalogueWalk walk;
    quillo::DriverRecord record;
    complete = quillo::ParseDriverCatalogue(xml, walk, record, file.wstring(), L"7A10", L"00", L"Windows 10 - 64 Bit");
  });
  std::fflush(stdout);
  dup2(report, STDOUT_FILENO);
  close(report);

  std::printf("catalogue: %u device groups, %.2f MB, record %s (best of %d runs each)\n", groups, megabytes,
              complete ? "found at the end" : "NOT FOUND", kRuns);
  std::printf("  xmllint --stream          %8.1f ms  %7.2f ms/MB\n", xmllint, xmllint / megabytes);
  std::printf("  reader alone (port)       %8.1f ms  %7.2f ms/MB  (%zu value characters)\n", reader,
              reader / megabytes, characters);
  std::printf("  ParseDriverCatalogue      %8.1f ms  %7.2f ms/MB\n", pass, pass / megabytes);
  std::printf("  ratio (pass / xmllint)    %8.2f\n", pass / xmllint);
  std::filesystem::remove(file);
  return complete ? 0 : 1;
}
