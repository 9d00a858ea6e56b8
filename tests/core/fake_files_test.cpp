#include "contract/files_contract.h"
#include "fakes/fake_ports.h"

namespace quillo {
namespace {

struct FakeFilesBackend {
  std::wstring Path(const std::wstring& name) { return L"C:\\Temp\\" + name; }
  std::optional<std::string> Read(const std::wstring& path) {
    const auto found = files.files.find(path);
    if (found == files.files.end()) return std::nullopt;
    return found->second.data;
  }
  void MakeLarge(const std::wstring& path, uint64_t size) { files.files[path] = fakes::FakeFiles::File{size, {}}; }
  FilePort& port() { return files; }

  fakes::FakeFiles files;
};

}  // namespace
}  // namespace quillo

namespace quillo::contract {
INSTANTIATE_TYPED_TEST_SUITE_P(Fake, FilesContract, quillo::FakeFilesBackend);
}  // namespace quillo::contract
