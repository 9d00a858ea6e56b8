#pragma once

#include <string>

#include "detect/adapters.h"
#include "ports/resources.h"

namespace quillo {

// A table the program carries: its resource number (type "BINARY") and the
// name of its copy in the temporary folder.
struct EmbeddedFile {
  int resource = 0;
  std::wstring fileName;
  friend bool operator==(const EmbeddedFile&, const EmbeddedFile&) = default;
};

// The main string table, the header table and the notes of feature 1 to 5
// for a language code, compared without regard to case; codes without
// tables of their own get the English ones. A feature number outside 1 to 5
// gives resource 0 and no file name.
EmbeddedFile MainTableFor(const std::wstring& code);
EmbeddedFile HeaderTableFor(const std::wstring& code);
EmbeddedFile FeatureNotesFor(const std::wstring& code, int feature);

// Writes the resource's bytes to `path`, replacing the file. Reports success
// whatever happens: a failure leaves the file missing or empty, which the
// readers treat as an empty table.
bool ExtractBinaryResource(ResourcePort& resources, int resource, const std::wstring& type, const std::wstring& path);

// Copies the table or notes of the language into `folder` (which ends with a
// backslash) and returns the file's path; empty for an empty code. The
// detector, when given, receives the log record.
std::wstring ExtractLocalizedXML(ResourcePort& resources, const std::wstring& code, const std::wstring& folder,
                                 DisplayDetector* detector);
std::wstring ExtractLocalizedHeaderXML(ResourcePort& resources, const std::wstring& code, const std::wstring& folder,
                                       DisplayDetector& detector);
std::wstring ExtractFeatureNotes(ResourcePort& resources, const std::wstring& code, int feature,
                                 const std::wstring& folder, DisplayDetector& detector);

}  // namespace quillo
