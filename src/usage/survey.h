#pragma once

#include <optional>
#include <string>

#include "app/endpoints.h"
#include "app/run_log.h"
#include "ports/shell.h"

namespace quillo {

// Which feature sections of the sectioned main window are open when it
// closes (features 2 to 5).
struct OpenSections {
  bool rapidline = false;
  bool wavehand = false;
  bool smilekey = false;
  bool castwell = false;
};

// The survey page's address: "https://", the survey host, "/acc?" and the
// survey query; the sectioned main window's close adds the switch tail with
// its open sections.
std::wstring SurveyAddress(const Endpoints& endpoints, const std::wstring& surveyQuery,
                           std::optional<OpenSections> switches = std::nullopt);

// A window's close: opens the survey page in the browser and writes the
// log record; a shell that cannot open it changes nothing.
void OpenSurveyOnClose(ShellPort& shell, RunLog& log, const std::wstring& address);

}  // namespace quillo
