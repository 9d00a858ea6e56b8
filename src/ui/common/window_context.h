#pragma once

#include <windows.h>

#include <string>

#include "app/endpoints.h"
#include "app/run_log.h"
#include "app/run_state.h"
#include "notices/error_notice.h"
#include "ports/files.h"
#include "ports/ports.h"
#include "ports/signature.h"
#include "usage/usage_events.h"

namespace quillo::ui {

// What a main window works with: the platform, and the run's shared objects.
struct WindowContext {
  Ports ports;
  FilePort& files;
  SignaturePort& signatures;
  const Endpoints& endpoints;
  RunLog& log;
  RunState& state;
  UsageReporter& usage;
  NoticeState& noticeState;
};

// A main window's notice over it, with the window's own message and graphics
// text, shown modally.
void ShowWindowNotice(HWND owner, HINSTANCE instance, const WindowContext& context, const std::wstring& message,
                      const std::wstring& graphicsText);

// A minimised window's painting: its icon centred on the erased background.
// False when the window is not minimised and paints as usual.
bool PaintMinimisedIcon(HWND window, HICON icon);

}  // namespace quillo::ui
