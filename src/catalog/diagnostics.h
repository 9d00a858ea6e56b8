#pragma once

namespace quillo {

// Writes one diagnostic line of the XML passes: wide formatted text, to
// standard output and nowhere else (a windowed build has no console, so
// nobody sees it there). Format with %ls for wide text.
void WriteXmlDiagnostic(const wchar_t* format, ...);

}  // namespace quillo
