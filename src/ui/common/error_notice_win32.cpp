#include "ui/common/error_notice_win32.h"

#include <commctrl.h>

#include <array>

#include "ui/common/title_bar_win32.h"
#include "ui/common/tooltips_win32.h"
#include "ui/common/window_context.h"

namespace quillo::ui {
namespace {

constexpr int kCloseBitmap = 145;
constexpr int kMessage = 1068;
constexpr int kProcessorLabel = 1069;
constexpr int kGraphicsLabel = 1070;
constexpr int kSystemLabel = 1071;
constexpr int kGraphics = 1072;
constexpr int kSystem = 1073;
constexpr int kOk = 1074;
constexpr int kProcessor = 1076;
constexpr COLORREF kFrameColour = RGB(kFrameRed, kFrameGreen, kFrameBlue);

}  // namespace

ErrorNotifyUI::ErrorNotifyUI(HINSTANCE instance, const Ports& ports, RunLog& log, const Endpoints& endpoints,
                             NoticeState& state)
    : Dialog(instance, 168), ports_(ports), log_(log), endpoints_(endpoints), state_(state) {}

ErrorNotifyUI::~ErrorNotifyUI() { ReleaseResources(); }

void ErrorNotifyUI::SetCustomMessage(std::wstring message, std::wstring graphicsText) {
  request_.hasCustomMessage = true;
  request_.customMessage = std::move(message);
  request_.graphicsText = std::move(graphicsText);
}

bool ErrorNotifyUI::Route(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  using N = ErrorNotifyUI;
  static constexpr std::array<ui::Route<N>, 12> kMessages = {{
      OnMessage(WM_INITDIALOG, &N::OnInitDialog),
      OnMessage(WM_CTLCOLORDLG, &N::OnCtlColor),
      OnMessage(WM_CTLCOLORSTATIC, &N::OnCtlColor),
      OnMessage(WM_CTLCOLOREDIT, &N::OnCtlColor),
      OnMessage(WM_CTLCOLORBTN, &N::OnCtlColor),
      OnMessage(WM_CTLCOLORLISTBOX, &N::OnCtlColor),
      OnMessage(WM_PAINT, &N::OnPaint),
      OnMessage(WM_NCPAINT, &N::OnNcPaint),
      OnCommand(kOk, &N::OnOk),
      OnMessage(WM_CLOSE, &N::OnClose),
      OnMessage(WM_DESTROY, &N::OnDestroy),
      OnMessage(WM_CTLCOLORSCROLLBAR, &N::OnCtlColor),
  }};
  return Dispatch<N>(kMessages, message, wParam, lParam, result);
}

LRESULT ErrorNotifyUI::OnInitDialog(WPARAM, LPARAM) {
  ReleaseResources();  // of an earlier showing
  background_ = CreateSolidBrush(RGB(255, 255, 255));

  // No standard caption buttons; a taskbar button of its own.
  SetWindowLongW(hwnd(), GWL_STYLE, GetWindowLongW(hwnd(), GWL_STYLE) & ~WS_SYSMENU);
  SetWindowLongW(hwnd(), GWL_EXSTYLE, GetWindowLongW(hwnd(), GWL_EXSTYLE) | WS_EX_APPWINDOW);
  closeBitmap_ = LoadBitmapW(instance(), MAKEINTRESOURCEW(kCloseBitmap));
  AddCaptionButton(hwnd(), closeBitmap_);

  request_.appleHardwareMode = appleHardwareMode;
  texts_ = PrepareNotice(ports_, log_, endpoints_, state_, request_);

  valueFont_ = CreatePointFont(11, L"Calibri");
  labelFont_ = CreatePointFont(10.5, L"Calibri");
  for (int id : {kProcessor, kGraphics, kSystem}) SendMessageW(Item(id), WM_SETFONT, reinterpret_cast<WPARAM>(valueFont_), TRUE);
  for (int id : {kProcessorLabel, kGraphicsLabel, kSystemLabel, kMessage}) {
    SendMessageW(Item(id), WM_SETFONT, reinterpret_cast<WPARAM>(labelFont_), TRUE);
  }
  if (texts_.graphicsLabel) SetDlgItemTextW(hwnd(), kGraphicsLabel, texts_.graphicsLabel->c_str());
  if (texts_.systemLabel) SetDlgItemTextW(hwnd(), kSystemLabel, texts_.systemLabel->c_str());
  if (texts_.processorLabel) SetDlgItemTextW(hwnd(), kProcessorLabel, texts_.processorLabel->c_str());
  SetDlgItemTextW(hwnd(), kMessage, texts_.message.c_str());
  const std::pair<int, const std::wstring*> values[] = {
      {kProcessor, &texts_.processor}, {kGraphics, &texts_.graphics}, {kSystem, &texts_.system}};
  for (const auto& [id, text] : values) {
    SetDlgItemTextW(hwnd(), id, text->c_str());
    EnableWindow(Item(id), FALSE);
  }

  tooltip_ = CreateDialogTooltip(hwnd(), instance());
  if (tooltip_ != nullptr) {
    AddTool(kProcessor, texts_.processor);
    AddTool(kGraphics, texts_.graphicsTip);
    AddTool(kSystem, texts_.system);
  }

  // The frame follows the styles changed above.
  SetWindowPos(hwnd(), nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  return TRUE;
}

void ErrorNotifyUI::AddTool(int control, const std::wstring& text) { AddTooltipTool(tooltip_, hwnd(), control, text); }

bool ErrorNotifyUI::PreTranslateMessage(MSG& message) {
  RelayMouseMoveToTooltip(tooltip_, hwnd(), message);
  return Dialog::PreTranslateMessage(message);
}

LRESULT ErrorNotifyUI::OnCtlColor(WPARAM, LPARAM) { return reinterpret_cast<LRESULT>(background_); }

LRESULT ErrorNotifyUI::OnPaint(WPARAM, LPARAM) {
  PAINTSTRUCT paint{};
  BeginPaint(hwnd(), &paint);
  EndPaint(hwnd(), &paint);
  // A red line along the window's region, when it has one.
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  if (GetWindowRgn(hwnd(), region) != ERROR) {
    HDC dc = GetWindowDC(hwnd());
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    FrameRgn(dc, region, red, 2, 2);
    DeleteObject(red);
    ReleaseDC(hwnd(), dc);
  }
  DeleteObject(region);
  return 0;
}

LRESULT ErrorNotifyUI::OnNcPaint(WPARAM wParam, LPARAM) {
  RECT placement{};
  GetWindowRect(hwnd(), &placement);
  HRGN area = CreateRectRgn(0, 0, placement.right - placement.left, placement.bottom - placement.top);
  if (wParam == 1) {
    GetWindowRgn(hwnd(), area);  // its region when it has one
  } else {
    CombineRgn(area, reinterpret_cast<HRGN>(wParam), nullptr, RGN_COPY);
    OffsetRgn(area, -placement.left, -placement.top);
  }
  // The flat frame colour stops at the client area, so the controls are never painted over.
  RECT client{};
  GetClientRect(hwnd(), &client);
  MapWindowPoints(hwnd(), nullptr, reinterpret_cast<POINT*>(&client), 2);
  OffsetRect(&client, -placement.left, -placement.top);
  HRGN clientRegion = CreateRectRgnIndirect(&client);
  CombineRgn(area, area, clientRegion, RGN_DIFF);
  DeleteObject(clientRegion);

  HDC dc = GetWindowDC(hwnd());
  HBRUSH frame = CreateSolidBrush(kFrameColour);
  FillRgn(dc, area, frame);
  DeleteObject(frame);
  DeleteObject(area);
  DrawTitleText(hwnd(), dc, texts_.title.c_str(), NoticeTitleRect(placement.left, placement.right));
  ReleaseDC(hwnd(), dc);
  return 0;
}

LRESULT ErrorNotifyUI::OnOk(WPARAM, LPARAM) {
  SendMessageW(hwnd(), WM_CLOSE, 0, 0);
  return 0;
}

LRESULT ErrorNotifyUI::OnClose(WPARAM, LPARAM) {
  log_.Write(kNoticeCloseRecord);
  return PassOn();  // the default closing ends the run with 2
}

LRESULT ErrorNotifyUI::OnDestroy(WPARAM, LPARAM) {
  if (tooltip_ != nullptr) DestroyWindow(tooltip_);
  tooltip_ = nullptr;
  return PassOn();
}

void ErrorNotifyUI::ReleaseResources() {
  DeleteGdiObject(background_);
  DeleteGdiObject(valueFont_);
  DeleteGdiObject(labelFont_);
  DeleteGdiObject(closeBitmap_);
}

void ShowWindowNotice(HWND owner, HINSTANCE instance, const WindowContext& context, const std::wstring& message,
                      const std::wstring& graphicsText) {
  ErrorNotifyUI notice(instance, context.ports, context.log, context.endpoints, context.noticeState);
  notice.SetCustomMessage(message, graphicsText);
  notice.DoModal(owner);
}

bool PaintMinimisedIcon(HWND window, HICON icon) {
  if (!IsIconic(window)) return false;
  PAINTSTRUCT paint{};
  HDC dc = BeginPaint(window, &paint);
  SendMessageW(window, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  RECT client{};
  GetClientRect(window, &client);
  DrawIcon(dc, (client.right - GetSystemMetrics(SM_CXICON) + 1) / 2,
           (client.bottom - GetSystemMetrics(SM_CYICON) + 1) / 2, icon);
  EndPaint(window, &paint);
  return true;
}

}  // namespace quillo::ui
