#pragma once

#include <windows.h>

#include <string>

namespace quillo::ui {

// A tooltip control for the dialog's value boxes; null when it cannot be made.
HWND CreateDialogTooltip(HWND dialog, HINSTANCE instance);

// One tool: the control `id` of the dialog, with its text.
void AddTooltipTool(HWND tooltip, HWND dialog, int id, const std::wstring& text);

// The value boxes are disabled and get no mouse messages, so the dialog's
// message pre-translation hands each mouse move to the tooltip itself.
void RelayMouseMoveToTooltip(HWND tooltip, HWND dialog, const MSG& message);

}  // namespace quillo::ui
