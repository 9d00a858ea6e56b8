#include "ui/classic/classic_window_win32.h"

#include <commctrl.h>
#include <uxtheme.h>

#include <array>

#include "notices/title_bar.h"
#include "ui/common/captions_win32.h"
#include "ui/common/error_notice_win32.h"
#include "ui/common/title_bar_win32.h"
#include "ui/common/tooltips_win32.h"
#include "ui/common/worker_calls_win32.h"
#include "usage/survey.h"

namespace quillo::ui {
namespace {

constexpr int kIcon = 128;
constexpr int kCloseBitmap = 145;
constexpr UINT_PTR kWatchTimer = 1;
constexpr COLORREF kWhite = RGB(255, 255, 255);

// The controls the repaint keeps painted, in the order they are repainted.
constexpr int kLabelsAndLines[] = {classic::kGraphicsLabel, classic::kProcessorLabel, classic::kDriverLabel,
                                   classic::kSystemLabel,   classic::kChipsetLink,     classic::kTargetLine,
                                   classic::kStatusLine,    classic::kLogo,            classic::kSeparator};

}  // namespace

OldUIDialog::OldUIDialog(HINSTANCE instance, WindowContext context)
    : Dialog(instance, 143),
      context_(context),
      setup_(WindowKind::kClassic, context.ports, context.files, context.endpoints, context.log, context.state, context.usage),
      panel_(PanelWindow::kClassic, context.ports.network, context.ports.system, context.endpoints, context.log, context.state, context.usage,
             *this),
      popup_(instance),
      driverWorkers_(*this, panel_, setup_, classic::kProgress, classic::kTargetLine) {
  icon_ = LoadIconW(instance, MAKEINTRESOURCEW(kIcon));
}

OldUIDialog::~OldUIDialog() {
  threads_.AbandonAll();
  threads_.WaitAll();
  ReleaseResources();
}

bool OldUIDialog::Route(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  using W = OldUIDialog;
  static constexpr std::array<ui::Route<W>, 23> kMessages = {{
      OnMessage(WM_INITDIALOG, &W::OnInitDialog),
      OnMessage(WM_CTLCOLORDLG, &W::OnCtlColor),
      OnMessage(WM_CTLCOLORSTATIC, &W::OnCtlColor),
      OnMessage(WM_CTLCOLOREDIT, &W::OnCtlColor),
      OnMessage(WM_CTLCOLORBTN, &W::OnCtlColor),
      OnMessage(WM_CTLCOLORLISTBOX, &W::OnCtlColor),
      OnMessage(WM_CTLCOLORSCROLLBAR, &W::OnCtlColor),
      OnMessage(WM_NCPAINT, &W::OnNcPaint),
      OnMessage(WM_PAINT, &W::OnPaint),
      OnMessage(WM_ACTIVATEAPP, &W::OnRepaintEvent),
      OnMessage(WM_NCACTIVATE, &W::OnNcActivate),
      OnMessage(WM_KEYUP, &W::OnRepaintEvent),
      OnMessage(WM_LBUTTONDOWN, &W::OnRepaintEvent),
      OnMessage(WM_SHOWWINDOW, &W::OnRepaintEvent),
      OnMessage(WM_SYSCOMMAND, &W::OnSysCommand),
      OnMessage(WM_QUERYDRAGICON, &W::OnQueryDragIcon),
      OnMessage(WM_NOTIFY, &W::OnNotify),
      OnMessage(WM_TIMER, &W::OnTimer),
      OnMessage(kDownloadCancelledMessage, &W::OnDownloadCancelled),
      OnCommand(classic::kDownload, &W::OnDownloadButton),
      OnMessage(WM_CLOSE, &W::OnClose),
      OnMessage(WM_DESTROY, &W::OnDestroy),
      OnMessage(WorkerCalls::kMessage, &W::OnWorkerCall),
  }};
  return Dispatch<W>(kMessages, message, wParam, lParam, result);
}

void OldUIDialog::ExitWithNotice(const NoticeExit& exit) {
  ShowNotice(exit.message, exit.graphicsText);
  exitProcess(0);
}

LRESULT OldUIDialog::OnInitDialog(WPARAM, LPARAM) {
  SendMessageW(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
  SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));

  if (auto exit = setup_.LoadCaptionsAndProbe()) {
    ExitWithNotice(*exit);
    return TRUE;
  }

  background_ = CreateSolidBrush(kWhite);
  SetWindowLongW(hwnd(), GWL_STYLE, GetWindowLongW(hwnd(), GWL_STYLE) & ~WS_SYSMENU);
  const std::wstring& code = setup_.texts().languageCode;
  PaintDownloadButton(instance(), hwnd(), code);
  closeBitmap_ = LoadBitmapW(instance(), MAKEINTRESOURCEW(kCloseBitmap));
  AddCaptionButton(hwnd(), closeBitmap_);
  SetWindowPos(hwnd(), nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  RECT window{};
  GetWindowRect(hwnd(), &window);
  const int width = window.right - window.left;
  const int height = window.bottom - window.top;
  SetWindowPos(hwnd(), nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
               (GetSystemMetrics(SM_CYSCREEN) - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

  if (browser_.Create(Item(classic::kBrowser))) {
    browser_.Navigate(L"http://" + context_.endpoints.supportServer + L"/en-us/download/hcc?app=qlo");
    browser_.SetSilent(true);
  }

  if (auto exit = setup_.Prepare()) {
    ExitWithNotice(*exit);
    return TRUE;
  }
  const WindowTexts& texts = setup_.texts();

  valueFont_ = CreatePointFont(11, L"Calibri");
  labelFont_ = CreatePointFont(10.5, L"Calibri");
  smallFont_ = CreatePointFont(8.5, L"Calibri");
  for (int id : {classic::kProcessor, classic::kSystem, classic::kDriver, classic::kGraphics}) {
    SendMessageW(Item(id), WM_SETFONT, reinterpret_cast<WPARAM>(valueFont_), TRUE);
  }
  for (int id : {classic::kGraphicsLabel, classic::kProcessorLabel, classic::kDriverLabel, classic::kSystemLabel,
                 classic::kStatusLine}) {
    SendMessageW(Item(id), WM_SETFONT, reinterpret_cast<WPARAM>(labelFont_), TRUE);
  }
  for (int id : {classic::kChipsetLink, classic::kTargetLine}) {
    SendMessageW(Item(id), WM_SETFONT, reinterpret_cast<WPARAM>(smallFont_), TRUE);
  }
  for (const auto& [id, text] : texts.controlTexts) SetDlgItemTextW(hwnd(), id, text.c_str());

  panel_.texts = {texts.noConnection, texts.cancelled, texts.notVerified, texts.targetLine, texts.labelValue};
  panel_.progressMaximum = static_cast<uint16_t>(setup_.offer().sizeMB & 0xFFFF);

  const std::pair<int, const std::wstring*> values[] = {{classic::kDriver, &texts.driver},
                                                        {classic::kProcessor, &texts.processor},
                                                        {classic::kGraphics, &texts.graphics},
                                                        {classic::kSystem, &texts.system}};
  size_t box = 0;
  for (const auto& [id, text] : values) {
    SetDlgItemTextW(hwnd(), id, text->c_str());
    boxes_[box++].Attach(Item(id));
    EnableWindow(Item(id), FALSE);
  }
  SetTimer(hwnd(), kWatchTimer, 1000, nullptr);
  status_.Attach(Item(classic::kStatusLine));

  // The progress bar is styled, coloured and ranged as for a download, and hidden until one starts.
  RestyleProgress();
  ShowProgress(panel_.progressMaximum);
  ShowWindow(Item(classic::kProgress), SW_HIDE);

  tooltip_ = CreateDialogTooltip(hwnd(), instance());
  if (tooltip_ != nullptr) {
    AddTooltipTool(tooltip_, hwnd(), classic::kGraphics, texts.graphicsTip);
    AddTooltipTool(tooltip_, hwnd(), classic::kSystem, texts.system);
    AddTooltipTool(tooltip_, hwnd(), classic::kDriver, texts.driver);
    AddTooltipTool(tooltip_, hwnd(), classic::kProcessor, texts.processor);
  }
  return TRUE;
}

bool OldUIDialog::PreTranslateMessage(MSG& message) {
  RelayMouseMoveToTooltip(tooltip_, hwnd(), message);
  if (message.message == WM_KEYDOWN && message.wParam == VK_RETURN) return true;  // Enter starts nothing
  const bool swallowed = Dialog::PreTranslateMessage(message);
  switch (message.message) {
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_NCMOUSEHOVER:
    case WM_MOUSEHOVER:
    case WM_MOUSELEAVE:
      if (hwnd() != nullptr && !ending()) RepaintControls();
      break;
    default:
      break;
  }
  return swallowed;
}

void OldUIDialog::RepaintControls() {
  SetFocus(Item(classic::kProgress));
  if (browser_.hwnd() != nullptr) {
    InvalidateRect(browser_.hwnd(), nullptr, TRUE);
    EnableWindow(browser_.hwnd(), TRUE);
  }
  Repaint(true);
}

LRESULT OldUIDialog::OnCtlColor(WPARAM, LPARAM lParam) {
  DrawWindowFrame(hwnd());
  // Some link controls delete the brush they are given: theirs is the stock one.
  if (reinterpret_cast<HWND>(lParam) == Item(classic::kChipsetLink)) {
    return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
  }
  return reinterpret_cast<LRESULT>(background_);
}

LRESULT OldUIDialog::OnNcPaint(WPARAM, LPARAM) {
  RECT placement{};
  GetWindowRect(hwnd(), &placement);
  PaintGradientTitleBar(hwnd(), L"Velmora Quillo", ClassicWindowTitleRect(placement.right - placement.left));
  return 0;
}

LRESULT OldUIDialog::OnPaint(WPARAM, LPARAM) { return PaintMinimisedIcon(hwnd(), icon_) ? 0 : PassOn(); }

LRESULT OldUIDialog::OnRepaintEvent(WPARAM, LPARAM) {
  RepaintControls();
  return PassOn();
}

LRESULT OldUIDialog::OnNcActivate(WPARAM, LPARAM) {
  RepaintControls();
  // No default handling: the title bar is the program's own painting.
  SendMessageW(hwnd(), WM_NCPAINT, 1, 0);
  return TRUE;
}

LRESULT OldUIDialog::OnSysCommand(WPARAM wParam, LPARAM) {
  if (wParam >= 16 && wParam <= 31) return 0;
  return PassOn();
}

LRESULT OldUIDialog::OnQueryDragIcon(WPARAM, LPARAM) { return reinterpret_cast<LRESULT>(icon_); }

LRESULT OldUIDialog::OnNotify(WPARAM, LPARAM lParam) {
  const auto* header = reinterpret_cast<const NMHDR*>(lParam);
  if (header->idFrom == classic::kChipsetLink && header->code == NM_CLICK) {
    const auto* link = reinterpret_cast<const NMLINK*>(lParam);
    context_.ports.shell.OpenUrl(link->item.szUrl);
    return 0;
  }
  return PassOn();
}

LRESULT OldUIDialog::OnTimer(WPARAM, LPARAM) {
  panel_.OnTimer();
  return PassOn();
}

LRESULT OldUIDialog::OnDownloadCancelled(WPARAM, LPARAM) {
  panel_.OnDownloadCancelled();
  return 0;
}

LRESULT OldUIDialog::OnDownloadButton(WPARAM, LPARAM) {
  panel_.OnButton();
  return 0;
}

LRESULT OldUIDialog::OnClose(WPARAM, LPARAM) {
  // Handled at once: the window is gone before a posted message would arrive.
  if (context_.state.classicDownloadActive) SendMessageW(hwnd(), kDownloadCancelledMessage, 0, 0);
  OpenSurveyOnClose(context_.ports.shell, context_.log,
                    SurveyAddress(context_.endpoints, context_.usage.SurveyQuery()));
  return PassOn();
}

LRESULT OldUIDialog::OnDestroy(WPARAM, LPARAM) {
  KillTimer(hwnd(), kWatchTimer);
  // Workers still running are let go of: they touch the window no more.
  threads_.AbandonAll();
  browser_.Destroy();
  if (tooltip_ != nullptr) DestroyWindow(tooltip_);
  tooltip_ = nullptr;
  return PassOn();
}

LRESULT OldUIDialog::OnWorkerCall(WPARAM, LPARAM lParam) { return WorkerCalls::RunOnWindowThread(lParam); }

void OldUIDialog::ShowNotice(const std::wstring& message, const std::wstring& graphicsText) {
  ShowWindowNotice(hwnd(), instance(), context_, message, graphicsText);
}

void OldUIDialog::ShowPopup(const std::wstring& message) {
  popup_.message = message;
  popup_.DoModal(hwnd());
}

void OldUIDialog::FocusProgress() {
  SendMessageW(hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(classic::kProgress)), TRUE);
}

void OldUIDialog::RestyleProgress() { RestyleProgressBar(Item(classic::kProgress)); }

void OldUIDialog::ShowProgress(uint16_t maximum) {
  HWND progress = Item(classic::kProgress);
  ColourProgressBar(progress);
  SendMessageW(progress, PBM_SETRANGE, 0, MAKELPARAM(0, maximum));
  ShowWindow(progress, SW_SHOW);
}

void OldUIDialog::SetProgressPosition(int32_t position) {
  SendMessageW(Item(classic::kProgress), PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

void OldUIDialog::PaintButton(bool running) {
  if (running) {
    PaintCancelButton(instance(), hwnd(), setup_.texts().languageCode);
  } else {
    PaintDownloadButton(instance(), hwnd(), setup_.texts().languageCode);
  }
}

void OldUIDialog::SetTargetLine(const std::wstring& text) {
  HWND target = Item(classic::kTargetLine);
  SetWindowTextW(target, text.c_str());
  if (!text.empty()) ShowWindow(target, SW_SHOW);
}

void OldUIDialog::SetStatusLine(const std::wstring& text) {
  // The control keeps its background; the window's colour answer paints it with the text.
  SetDlgItemTextW(hwnd(), classic::kStatusLine, text.c_str());
}

void OldUIDialog::Repaint(bool withButton) {
  UpdateWindow(Item(classic::kGraphics));
  for (int id : {classic::kGraphics, classic::kSystem, classic::kDriver, classic::kProcessor, classic::kProgress}) {
    InvalidateRect(Item(id), nullptr, TRUE);
  }
  for (int id : kLabelsAndLines) InvalidateRect(Item(id), nullptr, TRUE);
  if (withButton) InvalidateRect(Item(classic::kDownload), nullptr, TRUE);
}

void OldUIDialog::StartWorker() { driverWorkers_.Start(hwnd(), context_, WorkerVariant::kClassicDriver, threads_); }

void OldUIDialog::StopWorker() { driverWorkers_.StopLast(); }

void OldUIDialog::EndWorker() { threads_.Abandon(0); }

void OldUIDialog::HideButton() { ShowWindow(Item(classic::kDownload), SW_HIDE); }

void OldUIDialog::ReleaseResources() {
  DeleteGdiObject(background_);
  DeleteGdiObject(valueFont_);
  DeleteGdiObject(labelFont_);
  DeleteGdiObject(smallFont_);
  DeleteGdiObject(closeBitmap_);
}

}  // namespace quillo::ui
