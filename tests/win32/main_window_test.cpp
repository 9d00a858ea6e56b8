// The sectioned main window on the demo machine, against the vendor server:
// what it shows and writes once initialised, a download from Download Now to
// the started setup, a package that fails its signature check, a connection
// lost during a download, a start without connection, and scrolling. Each is
// driven from inside the window's modal run, as a person would drive it.

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "main/main_controls.h"
#include "main/main_layout.h"
#include "platform/win32/win32_ports.h"
#include "ui/main/main_window_win32.h"
#include "win32/test_io.h"
#include "win32/vendor_server.h"
#include "win32/window_script.h"

namespace quillo::ui {
namespace {

using namespace mainwin;
using test::FindBox;
using test::ItemText;
using test::Lines;
using test::Narrow;
using test::ReadAll;
using test::RecordingShell;
using test::Script;
using test::VendorServer;
using test::Visible;

const std::wstring kMinimalPackage = L"velmora-graphics-31.0.101.4502-minimal.exe";
const std::string kServedMinimal = "/demo/velmora-graphics-31.0.101.4502-minimal.exe";

// The feature catalogue the start-up checks leave in the temporary folder:
// all five features for the demo adapter, whatever the processor.
std::string AllFeatures() {
  const std::string download = Narrow(BuiltInEndpoints().downloadServer);
  const std::string web = Narrow(BuiltInEndpoints().vendorWebSite);
  return R"(<?xml version="1.0" encoding="utf-8"?>
<platforms>
  <platform Part="any" DeviceID="7A10" RevisionID="00">
    <features>
      <Feature Name="Velmora Clearframe" File="NA"/>
      <Feature Name="Velmora Rapidline" File=")" + download + R"(/features/VelmoraRLX.exe"/>
      <Feature Name="Velmora Wavehand" File=")" + web + R"(/features/VelmoraWavehand.exe"/>
      <Feature Name="Velmora Smilekey" File=")" + web + R"(/features/VelmoraSmilekey.exe"/>
      <Feature Name="Velmora Castwell" File="NA"/>
    </features>
  </platform>
</platforms>
)";
}

class MainWindowTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(VendorServer::SetFaults(""));
    temp_ = system_.TempPath();
    launchLog_ = temp_ + L"main-launches.log";
    DeleteFileW(launchLog_.c_str());
    SetEnvironmentVariableW(L"QUILLO_LAUNCH_LOG", launchLog_.c_str());
    DeleteFileW((temp_ + kMinimalPackage).c_str());
    test::WriteAll(temp_ + L"CompatibleFeatures.xml", AllFeatures());
    window_.exitProcess = [this](UINT code) {
      exitCode_ = code;
      window_.EndDialog(-2);
    };
  }
  void TearDown() override {
    SetEnvironmentVariableW(L"QUILLO_LAUNCH_LOG", nullptr);
    EXPECT_TRUE(VendorServer::SetFaults(""));
  }

  std::vector<std::string> Launches() { return Lines(ReadAll(launchLog_).value_or("")); }
  std::string RunLog() { return ReadAll(temp_ + L"VelmoraQuillo.log").value_or(""); }
  HWND Window() { return window_.hwnd(); }
  bool Shown() { return Window() != nullptr && IsWindowVisible(Window()) != FALSE; }
  void Press(int id) { PostMessageW(Window(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
  void Close() { PostMessageW(Window(), WM_CLOSE, 0, 0); }
  RECT ClientRect(int id) {
    RECT rect{};
    GetWindowRect(GetDlgItem(Window(), id), &rect);
    MapWindowPoints(nullptr, Window(), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
  }
  // Answers the popup and reads its message.
  std::wstring AnswerPopup() {
    HWND popup = FindBox(1077);
    const std::wstring message = ItemText(popup, 1077);
    PostMessageW(popup, WM_COMMAND, IDOK, 0);
    return message;
  }

  win32::DisplayDevices devices_;
  win32::Registry registry_;
  test::ChosenSystem system_;
  win32::Network network_;
  RecordingShell shell_;
  win32::Resources resources_;
  win32::XmlReaders xml_;
  win32::Files files_;
  win32::Signature signatures_;
  Ports ports_{devices_, registry_, system_, network_, shell_, resources_, xml_};
  quillo::RunLog log_{system_};
  RunState state_;
  UsageReporter usage_{network_, BuiltInEndpoints(), log_};
  NoticeState noticeState_;
  CQuilloUtilityDlg window_{GetModuleHandleW(nullptr),
                            {ports_, files_, signatures_, BuiltInEndpoints(), log_, state_, usage_, noticeState_}};
  std::wstring temp_;
  std::wstring launchLog_;
  std::optional<UINT> exitCode_;
};

TEST_F(MainWindowTest, ShowsTheMachineTheBestDriverAndTheFeatures) {
  struct Seen {
    std::wstring graphics, processor, driver, system, graphicsLabel, title1, title5;
    bool boxesDisabled = false, systemMenuStyle = true, progressVisible = true, downloadEnabled = false;
    bool notesVisible = true, guideVisible = true, featureDownloadVisible = true, togglesVisible = false;
    std::wstring aboutItem, chipsetUrl;
    int tools = 0;
    std::vector<std::wstring> tips;
    RECT window{}, toggle{}, driverToggle{};
  } seen;
  Script script(window_, {
      {"the window", [&] { return Shown(); },
       [&] {
         HWND w = Window();
         seen.graphics = ItemText(w, kGraphics);
         seen.processor = ItemText(w, kProcessor);
         seen.driver = ItemText(w, kDriver);
         seen.system = ItemText(w, kSystem);
         seen.graphicsLabel = ItemText(w, kGraphicsLabel);
         seen.title1 = ItemText(w, 1018);
         seen.title5 = ItemText(w, 1030);
         seen.boxesDisabled = !IsWindowEnabled(GetDlgItem(w, kGraphics)) && !IsWindowEnabled(GetDlgItem(w, kProcessor)) &&
                              !IsWindowEnabled(GetDlgItem(w, kDriver)) && !IsWindowEnabled(GetDlgItem(w, kSystem));
         seen.systemMenuStyle = (GetWindowLongW(w, GWL_STYLE) & WS_SYSMENU) != 0;
         seen.progressVisible = Visible(w, kProgress);
         seen.downloadEnabled = IsWindowEnabled(GetDlgItem(w, kDownload)) != FALSE;
         seen.notesVisible = Visible(w, kNotes);
         seen.guideVisible = Visible(w, 1020);
         seen.featureDownloadVisible = Visible(w, 1043);
         seen.togglesVisible = std::all_of(std::begin(kFeatureToggles), std::end(kFeatureToggles),
                                           [&](int id) { return Visible(w, id); });
         HMENU menu = GetSystemMenu(w, FALSE);
         wchar_t item[128] = L"";
         GetMenuStringW(menu, kAboutCommand, item, 128, MF_BYCOMMAND);
         seen.aboutItem = item;
         LITEM link{};
         link.mask = LIF_ITEMINDEX | LIF_URL;
         if (SendMessageW(GetDlgItem(w, kChipsetLink), LM_GETITEM, 0, reinterpret_cast<LPARAM>(&link))) {
           seen.chipsetUrl = link.szUrl;
         }
         seen.tools = static_cast<int>(SendMessageW(window_.tooltip(), TTM_GETTOOLCOUNT, 0, 0));
         for (int i = 0; i < seen.tools; ++i) {
           wchar_t text[512] = L"";
           TTTOOLINFOW tool{};
           tool.cbSize = sizeof tool;
           tool.lpszText = text;
           SendMessageW(window_.tooltip(), TTM_ENUMTOOLSW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&tool));
           seen.tips.push_back(text);
         }
         GetWindowRect(w, &seen.window);
         seen.toggle = ClientRect(1019);
         seen.driverToggle = ClientRect(kDriverToggle);
         Close();
       }},
  });
  window_.DoModal(nullptr);
  ASSERT_EQ(script.stuckAt, "");
  EXPECT_FALSE(exitCode_.has_value());

  EXPECT_EQ(seen.graphics, L"Velmora Prism 7A10 Graphics");
  EXPECT_FALSE(seen.processor.empty());
  EXPECT_EQ(seen.driver, kMinimalPackage);
  EXPECT_EQ(seen.system, L"Windows 10 64-bit");
  EXPECT_EQ(seen.graphicsLabel, L"Graphics Hardware:");
  EXPECT_EQ(seen.title1, L"Velmora Clearframe with Velmora Stillshot Technology") << "the header table's name";
  EXPECT_FALSE(seen.title5.empty());
  EXPECT_TRUE(seen.boxesDisabled);
  EXPECT_FALSE(seen.systemMenuStyle);
  EXPECT_EQ(seen.aboutItem, L"&About QuilloUtility...");
  EXPECT_FALSE(seen.progressVisible);
  EXPECT_TRUE(seen.downloadEnabled);
  EXPECT_FALSE(seen.notesVisible || seen.guideVisible || seen.featureDownloadVisible) << "every section closed";
  EXPECT_TRUE(seen.togglesVisible);
  EXPECT_EQ(seen.toggle.right - seen.toggle.left, 12) << "the collapsed picture's size";
  EXPECT_EQ(seen.toggle.bottom - seen.toggle.top, 24);
  EXPECT_EQ(seen.driverToggle.right - seen.driverToggle.left, 24) << "the expanded picture's size";
  EXPECT_EQ(seen.window.bottom, WindowBottom(GetSystemMetrics(SM_CYSCREEN))) << "three quarters down the screen";
  EXPECT_EQ(seen.chipsetUrl, L"http://" + BuiltInEndpoints().supportServer + L"/en-us/download/chipset?os=Windows");
  EXPECT_EQ(seen.tools, 4);
  EXPECT_EQ(seen.tips, (std::vector<std::wstring>{L"Velmora Prism 7A10 Graphics", L"Windows 10 64-bit",
                                                  kMinimalPackage, seen.processor}));
  EXPECT_EQ(state_.featureCount, 5);
  EXPECT_EQ(state_.homeRects.slots().size(), std::size(kHomeRectOrder));

  // The app-launch hit reached the collector as the program built it (the
  // platform escapes its blanks on the way).
  std::wstring launchPath;
  usage_.BuildEventPath(0, launchPath);
  for (size_t blank; (blank = launchPath.find(L' ')) != std::wstring::npos;) launchPath.replace(blank, 1, L"%20");
  const std::vector<std::string> hits = VendorServer::RequestLines("analytics");
  EXPECT_NE(std::find(hits.begin(), hits.end(), "GET " + Narrow(launchPath) + " HTTP/1.1"), hits.end())
      << Narrow(launchPath) << "\n" << testing::PrintToString(hits);

  // The run log's records of the initialisation, in their order.
  const std::string log = RunLog();
  size_t at = 0;
  for (const char* record : {"Log file created and initiating the pcrocess... ", "Primary Card is 7A10",
                             "revision id is 00", "ExtractLocalizedXML - Extracted localized XML is ",
                             "QLUHDRENU.xml", "label is Velmora Prism", "SendAppLaunchEvent - sending event params...",
                             "OnClose - sending event params..."}) {
    const size_t found = log.find(record, at);
    EXPECT_NE(found, std::string::npos) << record << " after offset " << at << " of\n" << log;
    if (found != std::string::npos) at = found;
  }
  EXPECT_EQ(log.find(".NET is required"), std::string::npos) << "the demo machine has 4.8";
  for (const wchar_t* name : {L"result.xml", L"QuilloENU.xml", L"CompatibleFeatures.xml"}) {
    EXPECT_EQ(GetFileAttributesW((temp_ + name).c_str()), INVALID_FILE_ATTRIBUTES) << Narrow(name);
  }
  // The close opened the survey page once, with the switches of the open sections.
  ASSERT_EQ(shell_.pages.size(), 1u);
  EXPECT_EQ(shell_.pages[0].rfind(L"https://" + BuiltInEndpoints().surveyServer + L"/acc?", 0), 0u);
  EXPECT_TRUE(Launches().empty());
}

TEST_F(MainWindowTest, DownloadNowFetchesChecksUnpacksAndStartsTheSetup) {
  const auto complete = [&] { return ItemText(Window(), kStatusLine) == L"Download Complete" && Launches().size() >= 2; };
  struct {
    bool linesShown = false;
    RECT button{}, progress{}, status{};
    std::wstring target;
  } running;
  Script script(window_, {
      {"the window", [&] { return Shown(); }, [&] { Press(kDownload); }},
      {"the download to start", [&] { return window_.panel().downloadRunning(); },
       [&] {
         running.linesShown = Visible(Window(), kProgress) && Visible(Window(), kStatusLine) &&
                              Visible(Window(), kTargetLine);
         running.button = ClientRect(kDownload);
         running.progress = ClientRect(kProgress);
         running.status = ClientRect(kStatusLine);
         running.target = ItemText(Window(), kTargetLine);
       }},
      {"the setup to start", complete, [&] { Close(); }},
  });
  window_.DoModal(nullptr);
  ASSERT_EQ(script.stuckAt, "");

  EXPECT_TRUE(running.linesShown) << "the bar, the status line and the target line show while it runs";
  EXPECT_EQ(running.progress.top, running.button.bottom + 15) << "the bar under the button";
  EXPECT_EQ(running.progress.bottom, running.button.bottom + 35);
  EXPECT_EQ(running.status.top, running.progress.bottom + 15);
  EXPECT_NE(running.target.find(L"Velmora Halvard Software, Features "), std::wstring::npos) << Narrow(running.target);
  const std::vector<std::string> launches = Launches();
  ASSERT_EQ(launches.size(), 2u);
  EXPECT_NE(launches[0].find(" /S /NCRC /D="), std::string::npos) << "the minimal package unpacks itself";
  EXPECT_NE(launches[1].find("\\Setup.exe\""), std::string::npos);
  EXPECT_EQ(ReadAll(temp_ + kMinimalPackage), VendorServer::DataFile("download", kServedMinimal));
  EXPECT_FALSE(window_.panel().downloadRunning()) << "the finished download leaves the panel idle";
  EXPECT_TRUE(state_.driverDownloadComplete);
  EXPECT_EQ(shell_.pages.size(), 2u) << "the survey page at the completion and at the close";
}

TEST_F(MainWindowTest, APackageThatFailsItsSignatureCheckIsRemovedAndReported) {
  std::string tampered = VendorServer::DataFile("download", kServedMinimal);
  ASSERT_FALSE(tampered.empty());
  tampered[tampered.size() / 2] ^= 0x20;
  test::WriteAll(temp_ + kMinimalPackage, tampered);

  std::wstring popupMessage;
  bool linesHidden = false;
  Script script(window_, {
      {"the window", [&] { return Shown(); }, [&] { Press(kDownload); }},
      {"the popup", [] { return FindBox(1077) != nullptr; },
       [&] {
         linesHidden = !Visible(Window(), kProgress) && !Visible(Window(), kStatusLine);
         popupMessage = AnswerPopup();
       }},
      {"the popup to close", [] { return FindBox(1077) == nullptr; }, [&] { Close(); }},
  });
  window_.DoModal(nullptr);
  ASSERT_EQ(script.stuckAt, "");

  EXPECT_EQ(popupMessage, L"The download could not be verified and was not started. Please try again later.");
  EXPECT_TRUE(linesHidden) << "the panel is idle behind the popup";
  EXPECT_EQ(GetFileAttributesW((temp_ + kMinimalPackage).c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(Launches().empty()) << "nothing was started";
  EXPECT_FALSE(window_.panel().downloadRunning());
}

TEST_F(MainWindowTest, ALostConnectionStopsTheDownloadAndTellsTheUser) {
  std::wstring popupMessage;
  bool idleBehindPopup = false;
  Script script(window_, {
      {"the window", [&] { return Shown(); },
       [&] {
         EXPECT_TRUE(VendorServer::SetFaults("download * rate 20000"));
         Press(kDownload);
       }},
      {"the download to start", [&] { return window_.panel().downloadRunning(); },
       [&] { EXPECT_TRUE(VendorServer::SetFaults("download * rate 20000\nvendor-web * refuse")); }},
      {"the popup", [] { return FindBox(1077) != nullptr; },
       [&] {
         idleBehindPopup = !Visible(Window(), kProgress) && !state_.driverDownloading && state_.driverDownloadStopped;
         popupMessage = AnswerPopup();
       }},
      {"the popup to close", [] { return FindBox(1077) == nullptr; }, [&] { Close(); }},
  });
  window_.DoModal(nullptr);
  ASSERT_EQ(script.stuckAt, "");

  EXPECT_NE(popupMessage.find(L"connect"), std::wstring::npos) << Narrow(popupMessage);
  EXPECT_TRUE(idleBehindPopup);
  EXPECT_FALSE(window_.panel().connectionLossHandled());
  EXPECT_TRUE(Launches().empty());
  EXPECT_NE(RunLog().find("ThrowInternetError - lInternet Connection is lost. Throwing error dialog to user for his "
                          "attention..."),
            std::string::npos);
}

TEST_F(MainWindowTest, WithoutAConnectionTheNoticeIsShownAndTheProcessEnds) {
  ASSERT_TRUE(VendorServer::SetFaults("vendor-web * refuse"));
  std::wstring noticeMessage;
  Script script(window_, {
      {"the notice", [] { return FindBox(1068) != nullptr; },
       [&] {
         HWND notice = FindBox(1068);
         noticeMessage = ItemText(notice, 1068);
         PostMessageW(notice, WM_COMMAND, 1074, 0);
       }},
  });
  window_.DoModal(nullptr);
  ASSERT_EQ(script.stuckAt, "");
  EXPECT_EQ(exitCode_, 0u);
  EXPECT_NE(noticeMessage.find(L"connect"), std::wstring::npos) << Narrow(noticeMessage);
  EXPECT_TRUE(shell_.pages.empty()) << "no survey: the window never opened";
}

// The scroll bar moves the client area by the computed steps: a page down,
// a line down, the thumb let go at the top, and a tracking move ignored.
TEST_F(MainWindowTest, ScrollingMovesTheClientAreaByTheComputedSteps) {
  struct Step {
    int code;
    int thumb;
  };
  const Step steps[] = {{SB_PAGEDOWN, 0}, {SB_LINEDOWN, 0}, {SB_THUMBTRACK, 5}, {SB_PAGEDOWN, 0}, {SB_THUMBPOSITION, 0}};
  std::vector<int> moved;    // how far the logo went up at each step
  std::vector<int> expected;
  int range = 0;
  int bottom = 0;
  Script script(window_, {
      {"the window", [&] { return Shown(); },
       [&] {
         RECT placement{};
         GetWindowRect(Window(), &placement);
         bottom = placement.bottom;
         SCROLLINFO info{};
         info.cbSize = sizeof info;
         info.fMask = SIF_RANGE;
         GetScrollInfo(Window(), SB_VERT, &info);
         range = info.nMax;
         int pos = 0;
         for (const Step& step : steps) {
           const int before = ClientRect(kLogo).top;
           SendMessageW(Window(), WM_VSCROLL, MAKEWPARAM(step.code, step.thumb), 0);
           moved.push_back(before - ClientRect(kLogo).top);
           const std::optional<int32_t> delta = ScrollDelta(static_cast<ScrollCode>(step.code), step.thumb, pos,
                                                            window_.designHeight(), window_.clientHeight());
           expected.push_back(delta.value_or(0));
           pos += delta.value_or(0);
           EXPECT_EQ(window_.scrollPos(), pos);
         }
         Close();
       }},
  });
  window_.DoModal(nullptr);
  ASSERT_EQ(script.stuckAt, "");
  // The run may place the window on a desktop of a given size.
  if (const char* height = std::getenv("QUILLO_SCREEN_HEIGHT")) {
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), std::atoi(height));
  }
  EXPECT_EQ(bottom, WindowBottom(GetSystemMetrics(SM_CYSCREEN))) << "three quarters down the screen";
  EXPECT_EQ(range, window_.designHeight() - window_.clientHeight()) << "the client area is shorter than the design";
  ASSERT_GT(range, 100);
  EXPECT_EQ(moved, expected);
  EXPECT_EQ(expected[0], range / 10);
  EXPECT_EQ(expected[1], range / 100);
  EXPECT_EQ(expected[2], 0) << "tracking is not followed";
}

// The window in four languages: every label, header and title holds its
// whole text in its control's width and height (the statics wrap; a text
// that needs more lines than the control has is cut off), and the window is
// saved as a picture for a person to look at.
TEST_F(MainWindowTest, EveryTextFitsItsControlInFourLanguages) {
  const int kTexts[] = {kDriverHeader, kGraphicsLabel, kProcessorLabel, kDriverLabel, kSystemLabel, kFeaturesHeader,
                        kFeaturesText, 1018, 1021, 1024, 1028, 1030, kTargetLine};
  for (const auto& [language, code] : {std::pair<uint16_t, const char*>{1033, "ENU"}, {1031, "DEU"}, {1041, "JAP"},
                                       {1054, "THA"}}) {
    SCOPED_TRACE(code);
    system_.language = language;
    test::WriteAll(temp_ + L"CompatibleFeatures.xml", AllFeatures());
    std::vector<std::string> cut;
    CQuilloUtilityDlg window(GetModuleHandleW(nullptr),
                             {ports_, files_, signatures_, BuiltInEndpoints(), log_, state_, usage_, noticeState_});
    Script script(window, {
        {"the window", [&] { return window.hwnd() != nullptr && IsWindowVisible(window.hwnd()); },
         [&] {
           HWND w = window.hwnd();
           // The target line shows while a download runs; its text is known now.
           SetDlgItemTextW(w, kTargetLine, window.panel().texts.targetLine.c_str());
           for (int id : kTexts) {
             HWND control = GetDlgItem(w, id);
             RECT area{};
             GetClientRect(control, &area);
             const std::wstring text = ItemText(w, id);
             HDC dc = GetDC(control);
             HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
             RECT needed{0, 0, area.right, 0};
             DrawTextW(dc, text.c_str(), -1, &needed, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
             SelectObject(dc, old);
             ReleaseDC(control, dc);
             if (needed.bottom > area.bottom || needed.right > area.right) {
               cut.push_back(std::to_string(id) + " needs " + std::to_string(needed.right) + "x" +
                             std::to_string(needed.bottom) + " of " + std::to_string(area.right) + "x" +
                             std::to_string(area.bottom) + ": " + Narrow(text));
             }
           }
           test::SaveScreenshot(w, std::string("main-") + code);
           PostMessageW(w, WM_CLOSE, 0, 0);
         }},
    });
    window.DoModal(nullptr);
    ASSERT_EQ(script.stuckAt, "");
    EXPECT_TRUE(cut.empty()) << testing::PrintToString(cut);
  }
}

}  // namespace
}  // namespace quillo::ui
