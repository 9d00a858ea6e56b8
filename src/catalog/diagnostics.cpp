#include "catalog/diagnostics.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "ports/utf8.h"

namespace quillo {

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
  // glibc refuses wide output on a stream that has already carried narrow
  // output (the test framework's, for one): the text goes out as UTF-8 bytes.
  const std::string bytes = Utf8(buffer.data());
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
#endif
}

}  // namespace quillo
