#include "ui/main/main_window_win32.h"

#include <commctrl.h>

#include <array>

#include "main/main_controls.h"
#include "notices/title_bar.h"
#include "ui/common/captions_win32.h"
#include "ui/common/error_notice_win32.h"
#include "ui/common/title_bar_win32.h"
#include "ui/common/tooltips_win32.h"
#include "ui/common/worker_calls_win32.h"
#include "usage/survey.h"

namespace quillo::ui {
namespace {

using namespace mainwin;

constexpr int kIcon = 128;
constexpr int kCloseBitmap = 145;
constexpr int kCollapsedBitmap = 130;
constexpr int kExpandedBitmap = 131;
constexpr int kAboutBox = 100;
constexpr int kAboutText = 101;
constexpr UINT_PTR kWatchTimer = 1;
constexpr COLORREF kWhite = RGB(255, 255, 255);

// The controls the initialisation hides until their section or download needs them.
constexpr int kHiddenAtFirst[] = {1020, 1026, 1027, 1032, 1033, 1043, 1044, 1045, 1046,
                                  1047, 1048, kNotes, 1049, 1050, 1051};

// The about box of the window's system menu: the program's name and an OK button.
class AboutBox final : public Dialog {
 public:
  explicit AboutBox(HINSTANCE instance) : Dialog(instance, kAboutBox) {}

 protected:
  bool Route(UINT, WPARAM, LPARAM, LRESULT&) override { return false; }
};

RECT ToRECT(const Rect& rect) { return RECT{rect.left, rect.top, rect.right, rect.bottom}; }

}  // namespace

CQuilloUtilityDlg::CQuilloUtilityDlg(HINSTANCE instance, WindowContext context)
    : Dialog(instance, kDialog),
      context_(context),
      setup_(WindowKind::kMain, context.ports, context.files, context.endpoints, context.log, context.state,
             context.usage),
      panel_(PanelWindow::kSectioned, context.ports.network, context.ports.system, context.endpoints, context.log,
             context.state, context.usage, *this),
      popup_(instance),
      notes_(context.ports.shell),
      driverWorkers_(*this, panel_, setup_, kProgress, kTargetLine) {
  icon_ = LoadIconW(instance, MAKEINTRESOURCEW(kIcon));
  // The notes box is a rich edit control.
  LoadLibraryW(L"riched20.dll");
}

CQuilloUtilityDlg::~CQuilloUtilityDlg() {
  threads_.AbandonAll();
  threads_.WaitAll();
  ReleaseResources();
}

bool CQuilloUtilityDlg::Route(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  using W = CQuilloUtilityDlg;
  static constexpr std::array<ui::Route<W>, 20> kMessages = {{
      OnMessage(WM_INITDIALOG, &W::OnInitDialog),
      OnMessage(WM_CTLCOLORDLG, &W::OnCtlColor),
      OnMessage(WM_CTLCOLORSTATIC, &W::OnCtlColor),
      OnMessage(WM_CTLCOLOREDIT, &W::OnCtlColor),
      OnMessage(WM_CTLCOLORBTN, &W::OnCtlColor),
      OnMessage(WM_CTLCOLORLISTBOX, &W::OnCtlColor),
      OnMessage(WM_CTLCOLORSCROLLBAR, &W::OnCtlColor),
      OnMessage(WM_NCPAINT, &W::OnNcPaint),
      OnMessage(WM_PAINT, &W::OnPaint),
      OnMessage(WM_SYSCOMMAND, &W::OnSysCommand),
      OnMessage(WM_QUERYDRAGICON, &W::OnQueryDragIcon),
      OnMessage(WM_NOTIFY, &W::OnNotify),
      OnMessage(WM_SIZE, &W::OnSize),
      OnMessage(WM_VSCROLL, &W::OnVScroll),
      OnMessage(WM_GETMINMAXINFO, &W::OnGetMinMaxInfo),
      OnMessage(WM_TIMER, &W::OnTimer),
      OnCommand(kDownload, &W::OnDownloadButton),
      OnMessage(WM_CLOSE, &W::OnClose),
      OnMessage(WM_DESTROY, &W::OnDestroy),
      OnMessage(WorkerCalls::kMessage, &W::OnWorkerCall),
  }};
  return Dispatch<W>(kMessages, message, wParam, lParam, result);
}

void CQuilloUtilityDlg::ExitWithNotice(const NoticeExit& exit) {
  ShowNotice(exit.message, exit.graphicsText);
  exitProcess(0);
}

LRESULT CQuilloUtilityDlg::OnInitDialog(WPARAM, LPARAM) {
  wchar_t about[128] = L"";
  if (LoadStringW(instance(), kAboutText, about, static_cast<int>(std::size(about))) > 0) {
    HMENU menu = GetSystemMenu(hwnd(), FALSE);
    if (menu != nullptr) {
      AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
      AppendMenuW(menu, MF_STRING, kAboutCommand, about);
    }
  }
  SendMessageW(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
  SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));
  GetWindowRect(hwnd(), &designRect_);
  scrollPos_ = 0;

  if (auto exit = setup_.LoadCaptionsAndProbe()) {
    ExitWithNotice(*exit);
    return TRUE;
  }

  white_ = CreateSolidBrush(kWhite);
  SetWindowLongW(hwnd(), GWL_STYLE, GetWindowLongW(hwnd(), GWL_STYLE) & ~WS_SYSMENU);
  closeBitmap_ = LoadBitmapW(instance(), MAKEINTRESOURCEW(kCloseBitmap));
  AddCaptionButton(hwnd(), closeBitmap_);
  SetWindowPos(hwnd(), nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const Point origin = CentredOrigin(designRect_.right - designRect_.left, designRect_.bottom - designRect_.top,
                                     Rect{work.left, work.top, work.right, work.bottom});
  SetWindowPos(hwnd(), nullptr, origin.x, origin.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

  if (auto exit = setup_.Prepare()) {
    ExitWithNotice(*exit);
    return TRUE;
  }
  if (const auto& current = setup_.driverCurrentNotice()) ShowNotice(current->message, current->graphicsText);

  SetFonts();
  const WindowTexts& texts = setup_.texts();
  for (const auto& [id, text] : texts.controlTexts) SetDlgItemTextW(hwnd(), id, text.c_str());
  panel_.texts = {texts.noConnection, texts.cancelled, texts.notVerified, texts.targetLine, texts.labelValue};
  panel_.progressMaximum = static_cast<uint16_t>(setup_.offer().sizeMB & 0xFFFF);
  SetTimer(hwnd(), kWatchTimer, 1000, nullptr);
  SetUpControls();

  // The window reaches three quarters down the screen; its resize sets the scroll range.
  RECT placement{};
  GetWindowRect(hwnd(), &placement);
  MoveWindow(hwnd(), placement.left, placement.top, placement.right - placement.left,
             WindowBottom(GetSystemMetrics(SM_CYSCREEN)) - placement.top, TRUE);

  SetUpToggles();
  for (int id : kHiddenAtFirst) ShowWindow(Item(id), SW_HIDE);
  RecordHomeRects();
  RECT window{};
  GetWindowRect(hwnd(), &window);
  MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&window), 2);
  const RunState& state = context_.state;
  Apply(InitialArrangement(context_.state.homeRects, {state.featureCount, state.wvhAvailable, state.smkAvailable},
                           Rect{window.left, window.top, window.right, window.bottom}));

  PaintButton(false);
  if (state.driverCurrent) DisableButton();
  return TRUE;
}

void CQuilloUtilityDlg::SetFonts() {
  struct Sized {
    double points;
    std::vector<int> controls;
  };
  const Sized sizes[] = {
      {17.5, {kDriverHeader, kFeaturesHeader}},
      {12.5, {std::begin(kFeatureTitles), std::end(kFeatureTitles)}},
      {11, {kProcessor, kSystem, kDriver, kGraphics}},
      {10.5, {kGraphicsLabel, kProcessorLabel, kDriverLabel, kSystemLabel, kStatusLine}},
      {8.5, {kTargetLine, kChipsetLink}},
  };
  for (const Sized& size : sizes) {
    HFONT font = CreatePointFont(size.points, L"Calibri");
    fonts_.push_back(font);
    for (int id : size.controls) SendMessageW(Item(id), WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  }
}

void CQuilloUtilityDlg::SetUpControls() {
  const WindowTexts& texts = setup_.texts();
  const std::pair<int, const std::wstring*> values[] = {
      {kDriver, &texts.driver}, {kProcessor, &texts.processor}, {kGraphics, &texts.graphics}, {kSystem, &texts.system}};
  size_t box = 0;
  for (const auto& [id, text] : values) {
    SetDlgItemTextW(hwnd(), id, text->c_str());
    boxes_[box++].Attach(Item(id));
    EnableWindow(Item(id), FALSE);
  }
  const int statusIds[] = {kStatusLine, 1049, 1050, 1051};
  for (size_t i = 0; i < statusLines_.size(); ++i) statusLines_[i].Attach(Item(statusIds[i]));
  notes_.Attach(Item(kNotes));

  for (int id : {kProgress, 1046, 1047, 1048}) {
    RestyleProgressBar(Item(id));
    ColourProgressBar(Item(id));
  }
  ShowWindow(Item(kProgress), SW_HIDE);
  ShowWindow(Item(kStatusLine), SW_HIDE);
  ShowWindow(Item(kTargetLine), SW_HIDE);

  tooltip_ = CreateDialogTooltip(hwnd(), instance());
  if (tooltip_ != nullptr) {
    AddTooltipTool(tooltip_, hwnd(), kGraphics, texts.graphicsTip);
    AddTooltipTool(tooltip_, hwnd(), kSystem, texts.system);
    AddTooltipTool(tooltip_, hwnd(), kDriver, setup_.offer().packageFileName);
    AddTooltipTool(tooltip_, hwnd(), kProcessor, texts.processor);
  }
}

void CQuilloUtilityDlg::SetUpToggles() {
  SetToggleImage(kDriverToggle, driverToggle_, kExpandedBitmap);
  for (size_t i = 0; i < featureToggles_.size(); ++i) {
    SetToggleImage(kFeatureToggles[i], featureToggles_[i], kCollapsedBitmap);
    ShowWindow(Item(kFeatureToggles[i]), SW_SHOW);
  }
}

void CQuilloUtilityDlg::SetToggleImage(int id, HBITMAP& held, int bitmap) {
  DeleteGdiObject(held);
  held = LoadBitmapW(instance(), MAKEINTRESOURCEW(bitmap));
  SendMessageW(Item(id), BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(held));
  BITMAP size{};
  GetObjectW(held, sizeof size, &size);
  const Rect at = ClientRect(id);
  SetWindowPos(Item(id), nullptr, at.left, at.top, size.bmWidth, size.bmHeight, SWP_NOZORDER | SWP_NOACTIVATE);
}

void CQuilloUtilityDlg::RecordHomeRects() {
  HomeRects& home = context_.state.homeRects;
  home.clear();
  for (int id : kHomeRectOrder) home.Record(id, ClientRect(id));
}

Rect CQuilloUtilityDlg::ClientRect(int id) const {
  RECT rect{};
  GetWindowRect(Item(id), &rect);
  MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&rect), 2);
  return Rect{rect.left, rect.top, rect.right, rect.bottom};
}

void CQuilloUtilityDlg::MoveControl(int id, const Rect& rect) {
  const RECT target = ToRECT(rect);
  InvalidateRect(hwnd(), &target, TRUE);
  MoveWindow(Item(id), rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, TRUE);
}

void CQuilloUtilityDlg::Apply(const std::vector<LayoutStep>& steps) {
  for (const LayoutStep& step : steps) {
    switch (step.action) {
      case LayoutStep::Action::kMove: MoveControl(step.control, step.rect); break;
      case LayoutStep::Action::kHide: ShowWindow(Item(step.control), SW_HIDE); break;
      case LayoutStep::Action::kCollapseToggle:
        for (size_t i = 0; i < featureToggles_.size(); ++i) {
          if (kFeatureToggles[i] != step.control) continue;
          SetToggleImage(step.control, featureToggles_[i], kCollapsedBitmap);
          ShowWindow(Item(step.control), SW_SHOW);
        }
        break;
    }
  }
}

bool CQuilloUtilityDlg::PreTranslateMessage(MSG& message) {
  RelayMouseMoveToTooltip(tooltip_, hwnd(), message);
  if (message.message == WM_KEYDOWN && message.wParam == VK_F5) return true;  // no refresh here
  return Dialog::PreTranslateMessage(message);
}

LRESULT CQuilloUtilityDlg::OnCtlColor(WPARAM, LPARAM lParam) {
  DrawWindowFrame(hwnd());
  // Some link controls delete the brush they are given: theirs is the stock one.
  const auto control = reinterpret_cast<HWND>(lParam);
  if (control == Item(kChipsetLink) || control == Item(kFootNotes)) {
    return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
  }
  return reinterpret_cast<LRESULT>(white_);
}

LRESULT CQuilloUtilityDlg::OnNcPaint(WPARAM, LPARAM) {
  RECT placement{};
  GetWindowRect(hwnd(), &placement);
  PaintGradientTitleBar(hwnd(), L"Velmora Quillo", MainWindowTitleRect(placement.left, placement.right));
  return 0;
}

LRESULT CQuilloUtilityDlg::OnPaint(WPARAM, LPARAM) { return PaintMinimisedIcon(hwnd(), icon_) ? 0 : PassOn(); }

LRESULT CQuilloUtilityDlg::OnSysCommand(WPARAM wParam, LPARAM) {
  if ((wParam & 0xFFF0) == kAboutCommand) {
    AboutBox about(instance());
    about.DoModal(hwnd());
    return 0;
  }
  return PassOn();
}

LRESULT CQuilloUtilityDlg::OnQueryDragIcon(WPARAM, LPARAM) { return reinterpret_cast<LRESULT>(icon_); }

LRESULT CQuilloUtilityDlg::OnNotify(WPARAM, LPARAM lParam) {
  const auto* header = reinterpret_cast<const NMHDR*>(lParam);
  if (header->code == TTN_NEEDTEXTW) {
    // The tools carry their texts; a tool that is a control is answered.
    const auto* need = reinterpret_cast<const NMTTDISPINFOW*>(lParam);
    return (need->uFlags & TTF_IDISHWND) != 0 && GetDlgCtrlID(reinterpret_cast<HWND>(header->idFrom)) != 0;
  }
  if (header->idFrom == kChipsetLink && (header->code == NM_CLICK || header->code == NM_RETURN)) {
    const auto* link = reinterpret_cast<const NMLINK*>(lParam);
    context_.ports.shell.OpenUrl(link->item.szUrl);
    context_.usage.SendChipsetEvent();
    return 0;
  }
  return PassOn();
}

LRESULT CQuilloUtilityDlg::OnSize(WPARAM, LPARAM lParam) {
  clientHeight_ = HIWORD(lParam);
  const ScrollRange range = ScrollRangeFor(designHeight(), clientHeight_);
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
  info.nMin = 0;
  info.nMax = range.maximum;
  info.nPage = static_cast<UINT>(range.page);
  info.nPos = 0;
  SetScrollInfo(hwnd(), SB_VERT, &info, TRUE);
  return PassOn();
}

LRESULT CQuilloUtilityDlg::OnVScroll(WPARAM wParam, LPARAM) {
  const auto code = static_cast<ScrollCode>(LOWORD(wParam));
  const std::optional<int32_t> delta =
      ScrollDelta(code, static_cast<int16_t>(HIWORD(wParam)), scrollPos_, designHeight(), clientHeight_);
  if (!delta) return 0;  // tracking and the rest are not followed
  scrollPos_ += *delta;
  SetScrollPos(hwnd(), SB_VERT, scrollPos_, TRUE);
  ScrollWindow(hwnd(), 0, -*delta, nullptr, nullptr);
  return PassOn();
}

LRESULT CQuilloUtilityDlg::OnGetMinMaxInfo(WPARAM, LPARAM lParam) {
  auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
  limits->ptMaxTrackSize.y = CapTrackHeight(context_.state.featureCount, limits->ptMaxTrackSize.y);
  return PassOn();
}

LRESULT CQuilloUtilityDlg::OnTimer(WPARAM, LPARAM) {
  panel_.OnTimer();
  return PassOn();
}

LRESULT CQuilloUtilityDlg::OnDownloadButton(WPARAM, LPARAM) {
  panel_.OnButton();
  return 0;
}

LRESULT CQuilloUtilityDlg::OnClose(WPARAM, LPARAM) {
  const SectionOpen& open = panel_.sections;
  const OpenSections switches{open[2], open[3], open[4], open[5]};
  OpenSurveyOnClose(context_.ports.shell, context_.log,
                    SurveyAddress(context_.endpoints, context_.usage.SurveyQuery(), switches));
  return PassOn();
}

LRESULT CQuilloUtilityDlg::OnDestroy(WPARAM, LPARAM) {
  KillTimer(hwnd(), kWatchTimer);
  // Workers still running are let go of: they touch the window no more.
  threads_.AbandonAll();
  if (tooltip_ != nullptr) DestroyWindow(tooltip_);
  tooltip_ = nullptr;
  return PassOn();
}

LRESULT CQuilloUtilityDlg::OnWorkerCall(WPARAM, LPARAM lParam) { return WorkerCalls::RunOnWindowThread(lParam); }

void CQuilloUtilityDlg::ShowNotice(const std::wstring& message, const std::wstring& graphicsText) {
  ShowWindowNotice(hwnd(), instance(), context_, message, graphicsText);
}

void CQuilloUtilityDlg::ShowPopup(const std::wstring& message) {
  popup_.message = message;
  popup_.DoModal(hwnd());
}

void CQuilloUtilityDlg::RestyleProgress() { RestyleProgressBar(Item(kProgress)); }

void CQuilloUtilityDlg::SetProgressPosition(int32_t position) {
  SendMessageW(Item(kProgress), PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

void CQuilloUtilityDlg::PlaceLinesUnderButton() {
  const PanelLines lines = LinesUnderButton(ClientRect(kDownload), context_.state.homeRects);
  MoveControl(kProgress, lines.progress);
  MoveControl(kStatusLine, lines.status);
}

void CQuilloUtilityDlg::ShowLines(bool shown) {
  for (int id : {kProgress, kStatusLine, kTargetLine}) ShowWindow(Item(id), shown ? SW_SHOW : SW_HIDE);
}

void CQuilloUtilityDlg::PaintButton(bool running) {
  RenderDownloadCaption(instance(), hwnd(), setup_.texts().languageCode, 0,
                        running ? DownloadState::kCancel : DownloadState::kDownload);
}

void CQuilloUtilityDlg::HideButton() { ShowWindow(Item(kDownload), SW_HIDE); }

void CQuilloUtilityDlg::DisableButton() { EnableWindow(Item(kDownload), FALSE); }

void CQuilloUtilityDlg::SetTargetLine(const std::wstring& text) { SetDlgItemTextW(hwnd(), kTargetLine, text.c_str()); }

void CQuilloUtilityDlg::SetStatusLine(const std::wstring& text) {
  // The control keeps its background; the window's colour answer paints it with the text.
  SetDlgItemTextW(hwnd(), kStatusLine, text.c_str());
}

void CQuilloUtilityDlg::Repaint(bool withButton) {
  for (int id : {kProgress, kStatusLine, kTargetLine, kSeparator}) InvalidateRect(Item(id), nullptr, TRUE);
  if (withButton) InvalidateRect(Item(kDownload), nullptr, TRUE);
}

void CQuilloUtilityDlg::StartWorker() {
  driverWorkers_.Start(hwnd(), context_, WorkerVariant::kMainDriver, threads_);
}

void CQuilloUtilityDlg::StopWorker() {
  context_.state.driverDownloadStopped = true;
  driverWorkers_.StopLast();
}

void CQuilloUtilityDlg::EndWorker() { threads_.Abandon(0); }

void CQuilloUtilityDlg::ResetFeatureDownload(int kind, bool wasRunning, bool sectionOpen) {
  const size_t feature = static_cast<size_t>(kind - 2);
  HWND progress = Item(kFeatureProgress[feature]);
  if (wasRunning) {
    SendMessageW(progress, PBM_SETPOS, 0, 0);
    ShowWindow(progress, SW_HIDE);
  }
  ShowWindow(Item(kFeatureStatus[feature]), SW_HIDE);
  if (sectionOpen) {
    RenderDownloadCaption(instance(), hwnd(), setup_.texts().languageCode, kind, DownloadState::kDownload);
  } else {
    ShowWindow(Item(kFeatureDownloads[feature]), SW_HIDE);
  }
}

void CQuilloUtilityDlg::ReleaseResources() {
  DeleteGdiObject(white_);
  for (HFONT& font : fonts_) DeleteGdiObject(font);
  DeleteGdiObject(closeBitmap_);
  DeleteGdiObject(driverToggle_);
  for (HBITMAP& toggle : featureToggles_) DeleteGdiObject(toggle);
}

}  // namespace quillo::ui
