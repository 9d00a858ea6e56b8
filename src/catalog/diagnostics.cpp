#include "catalog/diagnostics.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace quillo {
namespace {

#ifndef _WIN32
// glibc refuses wide output on a stream that has already carried narrow
// output (the test framework's, for one), so the formatted text goes out as
// UTF-8 bytes instead.
std::string Utf8(const std::wstring& text) {
  std::string out;
  for (wchar_t wc : text) {
    const auto c = static_cast<uint32_t>(wc);
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}
#endif

}  // namespace

void WriteXmlDiagnostic(const wchar_t* format, ...) {
  std::vector<wchar_t> buffer(512);
  for (;;) {
    va_list arguments;
    va_start(arguments, format);
    const int length = std::vswprintf(buffer.data(), buffer.size(), format, arguments);
    va_end(arguments);
    if (length >= 0) break;
    if (buffer.size() >= 1u << 20) return;  // a format that cannot be rendered is dropped
    buffer.resize(buffer.size() * 2);
  }
#ifdef _WIN32
  std::fputws(buffer.data(), stdout);
#else
  const std::string bytes = Utf8(buffer.data());
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
#endif
}

}  // namespace quillo
