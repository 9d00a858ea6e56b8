#pragma once

#include <optional>
#include <string>

#include "app/endpoints.h"
#include "app/run_log.h"
#include "ports/ports.h"

namespace quillo {

// What the notices of one run share: set by the first notice that finds no
// adapter of the vendor, never cleared. The program creates one for the run.
struct NoticeState {
  bool noVendorAdapterSeen = false;
};

// What the caller of the notice sets before showing it.
struct NoticeRequest {
  bool hasCustomMessage = false;
  bool appleHardwareMode = false;
  std::wstring customMessage;
  std::wstring graphicsText;
};

// Everything the notice shows. A label the table lacks stays empty (the
// dialog then keeps its template text).
struct NoticeTexts {
  std::optional<std::wstring> processorLabel;
  std::optional<std::wstring> graphicsLabel;
  std::optional<std::wstring> systemLabel;
  std::wstring title;
  std::wstring message;
  std::wstring processor;
  std::wstring graphics;
  std::wstring system;
  std::wstring graphicsTip;  // the processor's and the system's tips are their texts
};

// The graphics name of a notice without a name from the hardware or the caller.
inline constexpr wchar_t kDefaultGraphicsName[] = L"Kestra Chip";

// The facts of the notice, gathered anew at every showing: starts the run
// log again, detects the adapters, queries the system and the processor,
// reads the caption table of the user's language, opens the manual-download
// page on Windows XP and Vista, and writes the notice's log records.
NoticeTexts PrepareNotice(const Ports& ports, RunLog& log, const Endpoints& endpoints, NoticeState& state,
                          const NoticeRequest& request);

// The log record written when the notice closes through WM_CLOSE.
inline constexpr wchar_t kNoticeCloseRecord[] = L"Error UI - Close event is received.\r\n";

}  // namespace quillo
