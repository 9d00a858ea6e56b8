// The notice, the popup, the title-bar button and the notes edit on the real
// window system, on the machine profile named by QUILLO_PROFILE. Each notice
// is read back through its own controls while its modal run is going on.

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "detect/system.h"
#include "fakes/fake_ports.h"
#include "platform/win32/win32_ports.h"
#include "ui/common/controls_win32.h"
#include "ui/common/error_notice_win32.h"
#include "ui/common/popup_win32.h"
#include "ui/common/title_bar_win32.h"
#include "win32/window_script.h"

namespace quillo::ui {
namespace {

const Endpoints kEndpoints{L"127.0.0.2", L"127.0.0.3", L"127.0.0.4", L"127.0.0.5", L"127.0.0.6", L"127.0.0.7"};
const std::wstring kXpPage =
    L"http://127.0.0.3/en-us/download/desktop?os=Windows%20XP%20-%20Professional/Home&RenderOnServer=true";
const std::wstring kVista64Page = L"http://127.0.0.3/en-us/download/desktop?os=Windows%20Vista%20-%2064";

std::string Profile() {
  const char* profile = std::getenv("QUILLO_PROFILE");
  return profile != nullptr ? profile : "";
}

using test::ChosenSystem;

// What a person sees of a notice.
struct Reading {
  std::wstring message, processor, graphics, system;
  std::wstring processorLabel, graphicsLabel, systemLabel;
  bool processorEnabled = true, graphicsEnabled = true, systemEnabled = true;
  std::vector<std::pair<int, std::wstring>> tips;  // control ID, text
  bool systemMenu = true;
  bool appWindow = false;
};

std::wstring ItemText(HWND dialog, int id) {
  wchar_t text[1024] = L"";
  GetDlgItemTextW(dialog, id, text, 1024);
  return text;
}

Reading Read(ErrorNotifyUI& notice) {
  HWND dialog = notice.hwnd();
  Reading reading;
  reading.message = ItemText(dialog, 1068);
  reading.processor = ItemText(dialog, 1076);
  reading.graphics = ItemText(dialog, 1072);
  reading.system = ItemText(dialog, 1073);
  reading.processorLabel = ItemText(dialog, 1069);
  reading.graphicsLabel = ItemText(dialog, 1070);
  reading.systemLabel = ItemText(dialog, 1071);
  reading.processorEnabled = IsWindowEnabled(GetDlgItem(dialog, 1076)) != FALSE;
  reading.graphicsEnabled = IsWindowEnabled(GetDlgItem(dialog, 1072)) != FALSE;
  reading.systemEnabled = IsWindowEnabled(GetDlgItem(dialog, 1073)) != FALSE;
  reading.systemMenu = (GetWindowLongW(dialog, GWL_STYLE) & WS_SYSMENU) != 0;
  reading.appWindow = (GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_APPWINDOW) != 0;
  HWND tooltip = notice.tooltip();
  const auto count = SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0);
  for (int i = 0; i < count; ++i) {
    wchar_t text[1024] = L"";
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.lpszText = text;
    if (SendMessageW(tooltip, TTM_ENUMTOOLSW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&tool)) == 0) continue;
    reading.tips.emplace_back(GetDlgCtrlID(reinterpret_cast<HWND>(tool.uId)), text);
  }
  return reading;
}

// Runs `step` on the dialog's thread once the modal run is going on.
class DuringModalRun {
 public:
  explicit DuringModalRun(std::function<void()> step) {
    current_ = this;
    step_ = std::move(step);
    timer_ = SetTimer(nullptr, 0, 200, &DuringModalRun::Fire);
  }
  ~DuringModalRun() {
    KillTimer(nullptr, timer_);
    current_ = nullptr;
  }

 private:
  static void CALLBACK Fire(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    if (current_ != nullptr && current_->step_) {
      auto step = std::move(current_->step_);
      step();
    }
  }
  static inline DuringModalRun* current_ = nullptr;
  std::function<void()> step_;
  UINT_PTR timer_ = 0;
};

std::string RunLogText(SystemInfoPort& system) {
  std::ifstream in(system.ToAnsi(system.TempPath() + L"\\VelmoraQuillo.log"), std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// A notice on this machine, its own fakes for the browser.
struct NoticeRig {
  NoticeRig() : ports{devices, registry, system, network, shell, resources, xml} {}
  win32::DisplayDevices devices;
  win32::Registry registry;
  ChosenSystem system;
  win32::Network network;
  fakes::FakeShell shell;  // records the pages instead of starting a browser
  win32::Resources resources;
  win32::XmlReaders xml;
  Ports ports;
  RunLog log{system};
  NoticeState state;
};


struct Shown {
  Reading reading;
  INT_PTR result = 0;
  std::string log;
};

enum class Close { kOkButton, kEscape, kEnter };

Shown ShowNotice(NoticeRig& rig, ErrorNotifyUI& notice, Close how = Close::kOkButton, const std::string& shot = "") {
  Shown shown;
  DuringModalRun step([&] {
    shown.reading = Read(notice);
    if (!shot.empty()) test::SaveScreenshot(notice.hwnd(), "notice-" + shot);
    switch (how) {
      case Close::kOkButton:
        SendMessageW(GetDlgItem(notice.hwnd(), 1074), BM_CLICK, 0, 0);
        break;
      case Close::kEscape:
      case Close::kEnter:
        // Through the modal loop, as a key the user presses.
        PostMessageW(notice.hwnd(), WM_KEYDOWN, how == Close::kEscape ? VK_ESCAPE : VK_RETURN, 0);
        break;
    }
  });
  shown.result = notice.DoModal(nullptr);
  shown.log = RunLogText(rig.system);
  return shown;
}

std::wstring ProcessorText(SystemInfoPort& system) {
  std::wstring brand;
  GetProcessorBrand(system, brand);
  TrimLeadingBlanks(brand);
  return brand;
}

// The notice in each start-up mode on the machine it belongs to.
struct MachineCase {
  const char* profile;
  bool apple;
  const wchar_t* customMessage;
  std::optional<WindowsVersion> version;
  std::wstring message, graphics, graphicsTip, system;
  std::vector<std::wstring> pages;
  const char* logRecord;
  const char* shot;
};

const wchar_t kNoHardware[] =
    L"We were unable to find a driver for your system. No supported Velmora hardware was detected.";
const wchar_t kUnsupported[] =
    L"We were unable to find a driver for your system. Your operating system may not be supported.";
const wchar_t kConnection[] =
    L"Can\u2019t connect to Velmora web service. Please check your internet connection, then try again.";

const MachineCase kMachines[] = {
    {"no-vendor", false, nullptr, std::nullopt, kNoHardware, L"Other Maker Graphics B20", L"Other Maker Graphics B20",
     L"Windows 10 64-bit", {}, "Error UI - No Velmora Card is present in the mahcine..", "no-vendor"},
    {"basic-display", false, nullptr, std::nullopt, kUnsupported, L"Kestra Chip", L"Kestra Chip", L"Windows 10 64-bit",
     {}, "Error UI - Velmora card is present. But, OS is not supported.Microsoft Basic Display Adapter",
     "basic-display"},
    {"dual", false, nullptr, std::nullopt, kUnsupported, L"Velmora Lumen 0C30 Graphics",
     L"Velmora Lumen 0C30 Graphics", L"Windows 10 64-bit", {}, "Error UI - OS is Windows 10 64-bit", "dual"},
    {"winxp", false, nullptr, std::nullopt, kUnsupported, L"Velmora Prism 7A10 Graphics",
     L"Velmora Prism 7A10 Graphics", L"Windows XP 64-bit", {kXpPage}, "Error UI - OS is Windows XP 64-bit", "winxp"},
    {"vista", false, nullptr, std::nullopt, kUnsupported, L"Velmora Prism 7A10 Graphics",
     L"Velmora Prism 7A10 Graphics", L"Windows Vista 64-bit", {kVista64Page}, "Error UI - OS is Windows Vista 64-bit",
     "vista"},
    {"vista", true, nullptr, std::nullopt, kNoHardware, L"Velmora Prism 7A10 Graphics", L"Velmora Prism 7A10 Graphics",
     L"Windows Vista", {}, "Error UI - OS is Windows Vista", "vista-apple"},
    {"demo", false, kConnection, std::nullopt, kConnection, L"Velmora Prism 7A10 Graphics",
     L"Velmora Prism 7A10 Graphics", L"Windows 10 64-bit", {}, "Error UI - OS is Windows 10 64-bit", "demo-connection"},
    {"demo", false, L"Never shown", WindowsVersion{6, 4, 9841}, L"", L"Velmora Prism 7A10 Graphics",
     L"Velmora Prism 7A10 Graphics", L"", {}, "Error UI - OS is ", ""},
};

TEST(NoticeOnMachineTest, ShowsTheFactsOfThisMachineInItsControls) {
  bool any = false;
  for (const MachineCase& c : kMachines) {
    if (Profile() != c.profile) continue;
    any = true;
    SCOPED_TRACE(std::string(c.profile) + (c.apple ? " in Apple mode" : "") + (c.version ? " on 6.4" : ""));
    NoticeRig rig;
    rig.system.version = c.version;
    ErrorNotifyUI notice(GetModuleHandleW(nullptr), rig.ports, rig.log, kEndpoints, rig.state);
    notice.appleHardwareMode = c.apple;
    if (c.customMessage != nullptr) notice.SetCustomMessage(c.customMessage, L"");
    const Shown shown = ShowNotice(rig, notice, Close::kOkButton, c.shot);

    const Reading& r = shown.reading;
    EXPECT_EQ(r.message, c.message);
    EXPECT_EQ(r.graphics, c.graphics);
    EXPECT_EQ(r.system, c.system);
    EXPECT_EQ(r.processor, ProcessorText(rig.system));
    EXPECT_EQ(r.processorLabel, L"Processor:");
    EXPECT_EQ(r.graphicsLabel, L"Graphics Hardware:");
    EXPECT_EQ(r.systemLabel, L"Operating System:");
    EXPECT_FALSE(r.processorEnabled);
    EXPECT_FALSE(r.graphicsEnabled);
    EXPECT_FALSE(r.systemEnabled);
    EXPECT_FALSE(r.systemMenu);
    EXPECT_TRUE(r.appWindow);
    const std::vector<std::pair<int, std::wstring>> tips = {
        {1076, ProcessorText(rig.system)}, {1072, c.graphicsTip}, {1073, c.system}};
    EXPECT_EQ(r.tips, tips);
    EXPECT_EQ(rig.shell.openedUrls, c.pages);
    EXPECT_EQ(shown.result, 2) << "OK ends the run with the cancel result";
    EXPECT_NE(shown.log.find(c.logRecord), std::string::npos) << shown.log;
    EXPECT_NE(shown.log.find("Error UI - Close event is received."), std::string::npos);

    // The same notice again, in two other languages: every text is gathered
    // anew, the run log starts again, the values stay the machine's.
    for (const auto& [language, code] : {std::pair<uint16_t, const char*>{1031, "DEU"}, {1041, "JAP"}}) {
      SCOPED_TRACE(code);
      rig.system.language = language;
      const std::string shot = c.shot[0] == '\0' ? std::string() : std::string(c.shot) + "-" + code;
      const Shown again = ShowNotice(rig, notice, Close::kOkButton, shot);
      EXPECT_NE(again.reading.processorLabel, L"Processor:");
      EXPECT_NE(again.reading.systemLabel, L"Operating System:");
      if (!c.message.empty() && c.customMessage == nullptr) {
        EXPECT_NE(again.reading.message, c.message);
        EXPECT_FALSE(again.reading.message.empty());
      }
      if (c.customMessage != nullptr && !c.version) {
        EXPECT_EQ(again.reading.message, c.customMessage) << "the caller's message is in any language";
      }
      EXPECT_EQ(again.reading.graphics, c.graphics);
      EXPECT_EQ(again.reading.system, c.system);
      EXPECT_EQ(again.log.find("Log file created"), 0u);
      EXPECT_EQ(again.log.find("Close event"), again.log.rfind("Close event")) << "one showing's records";
    }
  }
  if (!any) GTEST_SKIP() << "no notice case for this machine";
}

TEST(NoticeKeysTest, EscapeClosesWithoutTheCloseRecordEnterWithIt) {
  if (Profile() != "demo") GTEST_SKIP();
  NoticeRig rig;
  ErrorNotifyUI notice(GetModuleHandleW(nullptr), rig.ports, rig.log, kEndpoints, rig.state);
  Shown shown = ShowNotice(rig, notice, Close::kEscape);
  EXPECT_EQ(shown.result, 2);
  EXPECT_EQ(shown.log.find("Close event"), std::string::npos) << shown.log;
  EXPECT_NE(shown.log.find("Error UI - OS is Windows 10 64-bit"), std::string::npos);

  // The same object again: the run log starts anew, the default button answers Enter.
  shown = ShowNotice(rig, notice, Close::kEnter);
  EXPECT_EQ(shown.result, 2);
  EXPECT_NE(shown.log.find("Error UI - Close event is received."), std::string::npos) << shown.log;
  EXPECT_EQ(shown.log.find("Log file created"), 0u);
  EXPECT_EQ(shown.reading.graphics, L"Velmora Prism 7A10 Graphics");
}

TEST(NoticeLanguageTest, ShowsTheCaptionsOfTheUsersLanguage) {
  if (Profile() != "no-vendor") GTEST_SKIP();
  const struct {
    uint16_t language;
    const char* shot;
    const wchar_t* processorLabel;
  } languages[] = {{1031, "no-vendor-DEU", nullptr}, {1032, "no-vendor-GRK", nullptr},
                   {1041, "no-vendor-JAP", nullptr}, {1054, "no-vendor-THA", nullptr}};
  for (const auto& language : languages) {
    SCOPED_TRACE(language.shot);
    NoticeRig rig;
    rig.system.language = language.language;
    ErrorNotifyUI notice(GetModuleHandleW(nullptr), rig.ports, rig.log, kEndpoints, rig.state);
    const Shown shown = ShowNotice(rig, notice, Close::kOkButton, language.shot);
    EXPECT_FALSE(shown.reading.message.empty());
    EXPECT_NE(shown.reading.message, kNoHardware) << "the table of the language, not English";
    EXPECT_NE(shown.reading.processorLabel, L"Processor:");
    EXPECT_EQ(shown.reading.graphics, L"Other Maker Graphics B20");
  }
}

// Real mouse input at a point of the screen.
void Mouse(DWORD flags, POINT at) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = static_cast<LONG>(at.x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1));
  input.mi.dy = static_cast<LONG>(at.y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1));
  input.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
  SendInput(1, &input, sizeof input);
}

TEST(CaptionButtonTest, PressDragOffDragBackAndReleaseWithRealMouseInput) {
  if (Profile() != "demo") GTEST_SKIP();
  CPopupDialog popup(GetModuleHandleW(nullptr));
  popup.message = L"The connection was lost.";
  struct Observed {
    bool pressed = false, releasedOff = false, stillOpenAfterReleaseOff = false, pressedAgain = false,
         draggedOff = false, draggedBack = false;
  } seen;
  DuringModalRun step([&] {
    HWND window = popup.hwnd();
    SetForegroundWindow(window);
    const RECT button = CaptionButtonScreenRect(window, 0);
    const POINT centre{(button.left + button.right) / 2, (button.top + button.bottom) / 2};
    const POINT away{centre.x - 60, centre.y + 80};

    // Pressed and released away from it: nothing happens.
    Mouse(0, centre);
    Mouse(MOUSEEVENTF_LEFTDOWN, centre);
    seen.pressed = test::Settle([&] { return IsCaptionButtonPressed(window, 0); });
    Mouse(0, away);
    seen.draggedOff = test::Settle([&] { return !IsCaptionButtonPressed(window, 0); });
    Mouse(MOUSEEVENTF_LEFTUP, away);
    seen.releasedOff = test::Settle([&] { return false; }) == false && !IsCaptionButtonPressed(window, 0);
    seen.stillOpenAfterReleaseOff = IsWindow(window) != FALSE;

    // Pressed, dragged off, dragged back and released on it: the window closes.
    Mouse(0, centre);
    Mouse(MOUSEEVENTF_LEFTDOWN, centre);
    seen.pressedAgain = test::Settle([&] { return IsCaptionButtonPressed(window, 0); });
    Mouse(0, away);
    test::Settle([&] { return !IsCaptionButtonPressed(window, 0); });
    Mouse(0, centre);
    seen.draggedBack = test::Settle([&] { return IsCaptionButtonPressed(window, 0); });
    test::SaveScreenshot(window, "notice-popup-pressed");
    Mouse(MOUSEEVENTF_LEFTUP, centre);
  });
  const INT_PTR result = popup.DoModal(nullptr);
  EXPECT_TRUE(seen.pressed);
  EXPECT_TRUE(seen.draggedOff);
  EXPECT_TRUE(seen.releasedOff);
  EXPECT_TRUE(seen.stillOpenAfterReleaseOff) << "a release off the button sends nothing";
  EXPECT_TRUE(seen.pressedAgain);
  EXPECT_TRUE(seen.draggedBack);
  EXPECT_EQ(result, 2) << "the button closes with the cancel result";
}

TEST(PopupTest, OkEndsWithOneEscapeWithTwo) {
  if (Profile() != "demo") GTEST_SKIP();
  CPopupDialog popup(GetModuleHandleW(nullptr));
  popup.message = L"Download Cancelled";
  std::wstring shown;
  {
    DuringModalRun step([&] {
      shown = ItemText(popup.hwnd(), 1077);
      test::SaveScreenshot(popup.hwnd(), "notice-popup");
      SendMessageW(GetDlgItem(popup.hwnd(), IDOK), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(popup.DoModal(nullptr), 1);
  }
  EXPECT_EQ(shown, L"Download Cancelled");
  DuringModalRun step([&] { PostMessageW(popup.hwnd(), WM_KEYDOWN, VK_ESCAPE, 0); });
  EXPECT_EQ(popup.DoModal(nullptr), 2);
}

// A window of the test's own holding a read-only multi-line edit.
TEST(NotesEditTest, OpensALinkOnceWhenPressedAndReleasedOnIt) {
  if (Profile() != "demo") GTEST_SKIP();
  HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 100, 100, 400, 200, nullptr, nullptr,
                                nullptr, nullptr);
  HWND edit = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_READONLY, 0, 0, 400, 200,
                              parent, nullptr, nullptr, nullptr);
  SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
  fakes::FakeShell shell;
  CQLUFNotesEdit notes(shell);
  ASSERT_TRUE(notes.Attach(edit));
  EXPECT_GT(notes.lineAllowance(), 0);
  std::vector<std::wstring> reported;
  notes.onLinkOpened = [&](const std::wstring& link) { reported.push_back(link); };
  SetWindowTextW(edit, L"Read http://velmora.example/guide or HTTP://velmora.example/b, not https://x.example.");
  UpdateWindow(edit);
  SendMessageW(edit, WM_PAINT, 0, 0);
  ASSERT_EQ(notes.links().size(), 2u);

  auto at = [&](int index) {
    const auto position = SendMessageW(edit, EM_POSFROMCHAR, static_cast<WPARAM>(index), 0);
    return MAKELPARAM(static_cast<short>(LOWORD(position)) + 2, HIWORD(position) + 3);
  };
  auto click = [&](LPARAM down, LPARAM up) {
    SendMessageW(edit, WM_LBUTTONDOWN, MK_LBUTTON, down);
    SendMessageW(edit, WM_LBUTTONUP, 0, up);
  };
  // The hand over a link, nothing of the kind elsewhere.
  HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
  SetCursor(arrow);
  SendMessageW(edit, WM_MOUSEMOVE, 0, at(1));
  EXPECT_EQ(GetCursor(), arrow);
  SendMessageW(edit, WM_MOUSEMOVE, 0, at(8));
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_HAND));
  SetCursor(arrow);
  SendMessageW(edit, WM_MOUSEMOVE, 0, MAKELPARAM(20, 190));  // far below the text
  EXPECT_EQ(GetCursor(), arrow);

  click(at(8), at(12));  // two characters of the first link
  EXPECT_EQ(shell.openedUrls, std::vector<std::wstring>{L"http://velmora.example/guide"});
  EXPECT_EQ(reported, std::vector<std::wstring>{L"http://velmora.example/guide"}) << "reported once per opened link";

  click(at(8), at(40));  // pressed on one link, released on the other
  click(at(1), at(1));   // not a link
  click(at(70), at(70)); // the secure scheme is no link
  SendMessageW(edit, WM_LBUTTONDOWN, MK_LBUTTON, at(8));
  SendMessageW(edit, WM_LBUTTONUP, 0, MAKELPARAM(20, 190));  // far below the text
  EXPECT_EQ(shell.openedUrls.size(), 1u);
  EXPECT_EQ(reported.size(), 1u);

  // With a selection a click opens nothing.
  SendMessageW(edit, EM_SETSEL, 5, 10);
  SendMessageW(edit, WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, at(8));
  SendMessageW(edit, WM_LBUTTONUP, MK_SHIFT, at(8));
  EXPECT_EQ(reported.size(), 1u);

  SendMessageW(edit, EM_SETSEL, 0, 0);
  click(at(40), at(42));
  EXPECT_EQ(reported.back(), L"HTTP://velmora.example/b,") << "only blanks, tabs and line ends end a word";
  EXPECT_EQ(reported.size(), 2u);
  DestroyWindow(parent);
}

}  // namespace
}  // namespace quillo::ui
