#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace quillo::fakes {

// The bytes of a file, with the file closed again before the caller goes on
// (Windows will not delete a file that is still open).
inline std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace quillo::fakes
