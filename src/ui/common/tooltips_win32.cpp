#include "ui/common/tooltips_win32.h"

#include <commctrl.h>

namespace quillo::ui {

HWND CreateDialogTooltip(HWND dialog, HINSTANCE instance) {
  return CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                         CW_USEDEFAULT, CW_USEDEFAULT, dialog, nullptr, instance, nullptr);
}

void AddTooltipTool(HWND tooltip, HWND dialog, int id, const std::wstring& text) {
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND;
  tool.hwnd = dialog;
  tool.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(dialog, id));
  std::wstring copy = text;
  tool.lpszText = copy.data();
  SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void RelayMouseMoveToTooltip(HWND tooltip, HWND dialog, const MSG& message) {
  if (message.message != WM_MOUSEMOVE || tooltip == nullptr) return;
  POINT point = message.pt;
  auto under = reinterpret_cast<HWND>(SendMessageW(tooltip, TTM_WINDOWFROMPOINT, 0, reinterpret_cast<LPARAM>(&point)));
  if (under == dialog) {
    // The system skips disabled windows here; the boxes are children of the dialog.
    POINT client = point;
    ScreenToClient(dialog, &client);
    under = ChildWindowFromPointEx(dialog, client, CWP_SKIPINVISIBLE);
  }
  if (under == nullptr) return;
  ScreenToClient(under, &point);
  MSG relayed = message;
  relayed.hwnd = under;
  relayed.lParam = MAKELPARAM(point.x, point.y);
  SendMessageW(tooltip, TTM_ACTIVATE, TRUE, 0);
  SendMessageW(tooltip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
}

}  // namespace quillo::ui
