// The classic window on the demo machine and on the same machine with 32-bit
// Windows, against the vendor server: what it shows once initialised, a download from Download Now to the started setup,
// a package that fails its signature check, a connection lost during a
// download, and a start without connection. Each is driven from inside the
// window's modal run, as a person would drive it.

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "platform/win32/win32_ports.h"
#include "ui/classic/classic_window_win32.h"
#include "win32/test_io.h"
#include "win32/window_script.h"
#include "win32/vendor_server.h"

namespace quillo::ui {
namespace {

using test::FindBox;
using test::ItemText;
using test::Lines;
using test::Narrow;
using test::ReadAll;
using test::RecordingShell;
using test::Script;
using test::VendorServer;
using test::Visible;

// The system the window names and the package the catalogue offers it, on
// each machine profile the tests run on (all of them the demo machine's adapter).
struct ProfileOffer {
  const char* profile;
  const wchar_t* system;
  const wchar_t* minimalPackage;  // served under /demo/ by the download server
};
const ProfileOffer kOffers[] = {
    {"demo", L"Windows 10 64-bit", L"velmora-graphics-31.0.101.4502-minimal.exe"},
    {"win10-32", L"Windows 10 32-bit", L"velmora-graphics-31.0.101.4502-win10-32-minimal.exe"},
    {"win7-32", L"Windows 7 32-bit", L"velmora-graphics-31.0.101.4502-win7-32-minimal.exe"},
};

const ProfileOffer* FindOffer() {
  const char* profile = std::getenv("QUILLO_PROFILE");
  for (const ProfileOffer& offer : kOffers) {
    if (profile != nullptr && std::string(profile) == offer.profile) return &offer;
  }
  return nullptr;
}


class ClassicWindowTest : public testing::Test {
 protected:
  void SetUp() override {
    OleInitialize(nullptr);  // as the program's entry does: the page below the panel needs it
    ASSERT_TRUE(VendorServer::SetFaults(""));
    ASSERT_NE(offer_, nullptr) << "no offer known for the profile named by QUILLO_PROFILE";
    package_ = offer_->minimalPackage;
    servedPackage_ = "/demo/" + Narrow(package_);
    temp_ = system_.TempPath();
    launchLog_ = temp_ + L"classic-launches.log";
    DeleteFileW(launchLog_.c_str());
    SetEnvironmentVariableW(L"QUILLO_LAUNCH_LOG", launchLog_.c_str());
    // Each test downloads afresh.
    DeleteFileW((temp_ + package_).c_str());
    window_.exitProcess = [this](UINT code) {
      exitCode_ = code;
      window_.EndDialog(-2);
    };
  }
  void TearDown() override {
    SetEnvironmentVariableW(L"QUILLO_LAUNCH_LOG", nullptr);
    EXPECT_TRUE(VendorServer::SetFaults(""));
    OleUninitialize();
  }

  std::vector<std::string> Launches() { return Lines(ReadAll(launchLog_).value_or("")); }
  std::string RunLog() { return ReadAll(temp_ + L"VelmoraQuillo.log").value_or(""); }
  HWND Window() { return window_.hwnd(); }
  void Press(int id) { PostMessageW(Window(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
  void Close() { PostMessageW(Window(), WM_CLOSE, 0, 0); }

  win32::DisplayDevices devices_;
  win32::Registry registry_;
  win32::SystemInfo system_;
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
  OldUIDialog window_{GetModuleHandleW(nullptr),
                      {ports_, files_, signatures_, BuiltInEndpoints(), log_, state_, usage_, noticeState_}};
  const ProfileOffer* offer_ = FindOffer();
  std::wstring package_;
  std::string servedPackage_;
  std::wstring temp_;
  std::wstring launchLog_;
  std::optional<UINT> exitCode_;
};

TEST_F(ClassicWindowTest, ShowsTheMachineAndTheBestDriverAndKeepsEnterFromStartingAnything) {
  struct Seen {
    std::wstring graphics, processor, driver, system, driverLabel, chipsetClass, chipsetUrl;
    bool boxesDisabled = false, systemMenu = true, progressVisible = true;
    int tools = 0;
    std::vector<std::wstring> tips;
  } seen;
  Script script(window_, {
      {"the window", [&] { return IsWindowVisible(Window()) != FALSE; },
       [&] {
         HWND w = Window();
         seen.graphics = ItemText(w, 1054);
         seen.processor = ItemText(w, 1055);
         seen.driver = ItemText(w, 1058);
         seen.system = ItemText(w, 1059);
         seen.driverLabel = ItemText(w, 1056);
         seen.boxesDisabled = !IsWindowEnabled(GetDlgItem(w, 1054)) && !IsWindowEnabled(GetDlgItem(w, 1055)) &&
                              !IsWindowEnabled(GetDlgItem(w, 1058)) && !IsWindowEnabled(GetDlgItem(w, 1059));
         seen.systemMenu = (GetWindowLongW(w, GWL_STYLE) & WS_SYSMENU) != 0;
         seen.progressVisible = Visible(w, 1012);
         wchar_t name[64] = L"";
         GetClassNameW(GetDlgItem(w, 1060), name, 64);
         seen.chipsetClass = name;
         LITEM item{};
         item.mask = LIF_ITEMINDEX | LIF_URL;
         item.iLink = 0;
         if (SendMessageW(GetDlgItem(w, 1060), LM_GETITEM, 0, reinterpret_cast<LPARAM>(&item))) {
           seen.chipsetUrl = item.szUrl;
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
         // Enter, through the modal loop as a key press, starts nothing.
         PostMessageW(GetDlgItem(w, 1061), WM_KEYDOWN, VK_RETURN, 0);
       }},
      {"the page below the panel to be asked for",
       [] {
         const std::vector<std::string> support = VendorServer::RequestLines("support");
         return std::find(support.begin(), support.end(), "GET /en-us/download/hcc?app=qlo HTTP/1.1") !=
                support.end();
       },
       [&] { Close(); }},
  });
  window_.DoModal(nullptr);
  ASSERT_EQ(script.stuckAt, "");
  EXPECT_FALSE(exitCode_.has_value());

  EXPECT_EQ(seen.graphics, L"Velmora Prism 7A10 Graphics");
  EXPECT_FALSE(seen.processor.empty());
  EXPECT_EQ(seen.driver, package_);
  EXPECT_EQ(seen.system, offer_->system);
  EXPECT_EQ(seen.driverLabel, L"The best Driver for this device is:") << "the caption table's text";
  EXPECT_TRUE(seen.boxesDisabled);
  EXPECT_FALSE(seen.systemMenu);
  EXPECT_FALSE(seen.progressVisible);
  EXPECT_EQ(seen.chipsetClass, L"SysLink");
  EXPECT_EQ(seen.chipsetUrl, L"http://" + BuiltInEndpoints().supportServer + L"/en-us/download/chipset?os=Windows");
  EXPECT_EQ(seen.tools, 4);
  EXPECT_EQ(seen.tips, (std::vector<std::wstring>{L"Velmora Prism 7A10 Graphics", offer_->system,
                                                  package_, seen.processor}));

  EXPECT_FALSE(window_.panel().downloadRunning()) << "Enter started no download";
  EXPECT_TRUE(Launches().empty());
  // The working files are gone; the close opened the survey page.
  for (const wchar_t* name : {L"result.xml", L"QuilloENU.xml", L"CompatibleFeatures.xml"}) {
    EXPECT_EQ(GetFileAttributesW((temp_ + name).c_str()), INVALID_FILE_ATTRIBUTES) << Narrow(name);
  }
  ASSERT_EQ(shell_.pages.size(), 1u);
  EXPECT_EQ(shell_.pages[0].rfind(L"https://" + BuiltInEndpoints().surveyServer + L"/acc?", 0), 0u);
  EXPECT_EQ(RunLog().find("OnDownloadCancelled"), std::string::npos) << "no download was started";
}

TEST_F(ClassicWindowTest, DownloadNowFetchesChecksUnpacksAndStartsTheSetup) {
  const auto complete = [&] { return ItemText(Window(), 1065) == L"Download Complete" && Launches().size() >= 2; };
  bool cancelShownWhileRunning = false;
  Script script(window_, {
      {"the window", [&] { return IsWindowVisible(Window()) != FALSE; }, [&] { Press(1061); }},
      {"the download to start", [&] { return window_.panel().downloadRunning(); },
       [&] { cancelShownWhileRunning = Visible(Window(), 1012); }},
      {"the setup to start", complete, [&] { Close(); }},
  });
  window_.DoModal(nullptr);
  ASSERT_EQ(script.stuckAt, "");

  EXPECT_TRUE(cancelShownWhileRunning) << "the progress bar shows while the download runs";
  const std::vector<std::string> launches = Launches();
  ASSERT_EQ(launches.size(), 2u);
  EXPECT_NE(launches[0].find(" /S /NCRC /D="), std::string::npos) << "the minimal package unpacks itself";
  EXPECT_NE(launches[1].find("\\Setup.exe\""), std::string::npos);
  EXPECT_EQ(ReadAll(temp_ + package_), VendorServer::DataFile("download", servedPackage_));
  EXPECT_FALSE(window_.panel().downloadRunning()) << "the finished download leaves the panel idle";
  const std::string log = RunLog();
  for (const char* record : {"Download is started....", "Starting the download thread....",
                             "OnDownloadCancelled - Cancelled the download process"}) {
    EXPECT_NE(log.find(record), std::string::npos) << record;
  }
  EXPECT_EQ(shell_.pages.size(), 2u) << "the survey page at the completion and at the close";
}

// A package that is not the vendor's signed one is removed, nothing is
// started, the user is told, and the panel is idle for a new download.
TEST_F(ClassicWindowTest, APackageThatFailsItsSignatureCheckIsRemovedAndReported) {
  // A whole package is already there, one byte changed: the check sees it at once.
  std::string tampered = VendorServer::DataFile("download", servedPackage_);
  ASSERT_FALSE(tampered.empty());
  tampered[tampered.size() / 2] ^= 0x20;
  test::WriteAll(temp_ + package_, tampered);

  std::wstring popupMessage;
  bool removedWhilePopupOpen = false;
  Script script(window_, {
      {"the window", [&] { return IsWindowVisible(Window()) != FALSE; }, [&] { Press(1061); }},
      {"the popup", [] { return FindBox(1077) != nullptr; },
       [&] {
         HWND popup = FindBox(1077);
         popupMessage = ItemText(popup, 1077);
         removedWhilePopupOpen =
             GetFileAttributesW((temp_ + package_).c_str()) == INVALID_FILE_ATTRIBUTES;
         PostMessageW(popup, WM_COMMAND, IDOK, 0);
       }},
      {"the popup to close", [] { return FindBox(1077) == nullptr; }, [&] { Close(); }},
  });
  window_.DoModal(nullptr);
  ASSERT_EQ(script.stuckAt, "");

  EXPECT_EQ(popupMessage, L"The download could not be verified and was not started. Please try again later.");
  EXPECT_TRUE(removedWhilePopupOpen);
  EXPECT_TRUE(Launches().empty()) << "nothing was started";
  EXPECT_FALSE(window_.panel().downloadRunning()) << "the panel is idle again";
  EXPECT_NE(RunLog().find("LaunchInstaller - Signature check failed, not started and removed: "), std::string::npos);
  EXPECT_EQ(shell_.pages.size(), 1u) << "only the close's survey page, none for the refused package";
}

TEST_F(ClassicWindowTest, ALostConnectionStopsTheDownloadAndTellsTheUser) {
  std::wstring popupMessage;
  Script script(window_, {
      {"the window", [&] { return IsWindowVisible(Window()) != FALSE; },
       [&] {
         // The package comes slowly; then the vendor web site stops answering.
         EXPECT_TRUE(VendorServer::SetFaults("download * rate 20000"));
         Press(1061);
       }},
      {"the download to start", [&] { return window_.panel().downloadRunning(); },
       [&] { EXPECT_TRUE(VendorServer::SetFaults("download * rate 20000\nvendor-web * refuse")); }},
      {"the popup", [] { return FindBox(1077) != nullptr; },
       [&] {
         HWND popup = FindBox(1077);
         popupMessage = ItemText(popup, 1077);
         PostMessageW(popup, WM_COMMAND, IDOK, 0);
       }},
      {"the popup to close", [] { return FindBox(1077) == nullptr; }, [&] { Close(); }},
  });
  window_.DoModal(nullptr);
  ASSERT_EQ(script.stuckAt, "");

  EXPECT_NE(popupMessage.find(L"connect"), std::wstring::npos) << Narrow(popupMessage);
  EXPECT_FALSE(window_.panel().downloadRunning());
  EXPECT_TRUE(Launches().empty());
  EXPECT_NE(RunLog().find("ThrowInternetError - lInternet Connection is lost. Throwing error dialog to user for his "
                          "attention..."),
            std::string::npos);
}

TEST_F(ClassicWindowTest, WithoutAConnectionTheNoticeIsShownAndTheProcessEnds) {
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

}  // namespace
}  // namespace quillo::ui
